// A librfc32.dll of any bytes, whose header the loader reads after a failed
// load: the machine is known only where the header says so plainly, and the
// message for either sensor names the other bitness alone.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "rfc/library_architecture.h"

namespace quillmeter {
namespace {

uint32_t Little(const uint8_t* bytes, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return value;
}

// The machine by a second reading of the header, written apart from the
// product's.
Machine Expected(const uint8_t* data, size_t size) {
  if (size < 0x40 || data[0] != 'M' || data[1] != 'Z') return Machine::kUnknown;
  uint64_t pe = Little(data + 0x3C, 4);
  if (pe + 6 > size || Little(data + pe, 4) != 0x4550) return Machine::kUnknown;
  switch (Little(data + pe + 4, 2)) {
    case 0x014C: return Machine::kI386;
    case 0x8664: return Machine::kX86_64;
    default: return Machine::kUnknown;
  }
}

// A minimal header of an executable built for `machine`.
std::string Executable(uint16_t machine) {
  std::string header(0x46, '\0');
  header.replace(0, 2, "MZ");
  header[0x3C] = 0x40;
  header.replace(0x40, 4, std::string("PE\0\0", 4));
  header[0x44] = static_cast<char>(machine & 0xFF);
  header[0x45] = static_cast<char>(machine >> 8);
  return header;
}

}  // namespace
}  // namespace quillmeter

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  const std::string image(reinterpret_cast<const char*>(data), size);

  Machine machine = PeMachine(image);
  if (machine != Expected(data, size)) Require("the machine was misread", image);

  const struct {
    uint16_t code;
    Machine machine;
    const char* bitness;
  } sensors[] = {{0x014C, Machine::kI386, "32-bit"}, {0x8664, Machine::kX86_64, "64-bit"}};
  for (const auto& sensor : sensors) {
    FakePlatform platform;
    platform.files[platform.ExecutablePath()] = Executable(sensor.code);
    const std::string library = platform.executable_dir + "librfc32.dll";
    platform.files[library] = image;
    std::string error = OtherArchitectureError(platform, {library});
    std::string expected;
    if (machine != Machine::kUnknown && machine != sensor.machine)
      expected = "Error 1040: RFC library " + library + " is a " +
                 (machine == Machine::kI386 ? "32-bit" : "64-bit") +
                 " library and this quillmeter.exe is " + sensor.bitness + ": use the " +
                 (machine == Machine::kI386 ? "win32" : "win64") + " package !";
    if (error != expected) Require("wrong message for the library: " + error, image);
  }
  return 0;
}
