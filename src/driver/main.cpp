// quillmeter: the PRTG EXE/XML sensor for SAP systems on MaxDB.
#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) {
  quillmeter::RunState run(quillmeter::SystemPlatform(), std::cout);
  for (int i = 1; i < argc; ++i) run.arguments.emplace_back(argv[i]);
  return quillmeter::RunSensor(run);
}
