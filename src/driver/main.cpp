// quillmeter: the PRTG EXE/XML sensor for SAP systems on MaxDB.
#include <iostream>
#include <string_view>

#include "driver/sensor.h"
#include "driver/worker.h"

int main(int argc, char** argv) {
  quillmeter::SensorContext context(quillmeter::SystemPlatform(), std::cout);
  // A multi-system run starts the sensor again to scan one system.
  if (argc == 2 && std::string_view(argv[1]) == quillmeter::kWorkerEntry)
    return quillmeter::RunWorker(context, std::cin);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return quillmeter::RunSensor(arguments, context);
}
