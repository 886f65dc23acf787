// quillmeter: the PRTG EXE/XML sensor for SAP systems on MaxDB.
#include <iostream>

#include "driver/sensor.h"

int main(int argc, char** argv) {
  quillmeter::SensorContext context(quillmeter::SystemPlatform(), std::cout);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return quillmeter::RunSensor(arguments, context);
}
