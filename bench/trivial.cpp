// The floor of any EXE sensor: a static C++ program that prints one line.
#include <iostream>

int main() {
  std::cout << "<Prtg><Text>trivial</Text></Prtg>\n";
  return 0;
}
