// quillmeter-check: checks a sensor's setup step by step.
#include <iostream>
#include <string>
#include <vector>

#include "check/check_run.h"

int main(int argc, char** argv) {
  quillmeter::SensorContext context(quillmeter::SystemPlatform(), std::cout);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return quillmeter::RunCheck(arguments, context, std::cin);
}
