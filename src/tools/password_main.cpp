// quillmeter-password: writes the stored form of a password for a profile.
#include <iostream>

#include "tools/password_tool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return quillmeter::RunPasswordTool(args, std::cin, std::cout, std::cerr,
                                     quillmeter::SystemPlatform(), quillmeter::SystemTerminal());
}
