#include "rfc/library_architecture.h"

#include <cstdint>

namespace quillmeter {
namespace {

// The MZ header's field at 0x3C holds the file offset of the "PE\0\0"
// signature; the COFF header's machine follows it.
constexpr size_t kMzHeaderSize = 0x40;
constexpr size_t kPeOffsetField = 0x3C;
constexpr size_t kSignatureAndMachine = 6;
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

uint32_t Little(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

const char* Bitness(Machine machine) { return machine == Machine::kI386 ? "32-bit" : "64-bit"; }
const char* Package(Machine machine) { return machine == Machine::kI386 ? "win32" : "win64"; }

}  // namespace

Machine PeMachine(std::string_view image) {
  if (image.size() < kMzHeaderSize || image.substr(0, 2) != "MZ") return Machine::kUnknown;
  // Compared as a remainder, so an offset near 4 GiB cannot wrap around.
  size_t pe = Little(image, kPeOffsetField, 4);
  if (pe > image.size() - kSignatureAndMachine) return Machine::kUnknown;
  if (image.substr(pe, 4) != std::string_view("PE\0\0", 4)) return Machine::kUnknown;
  switch (Little(image, pe + 4, 2)) {
    case kMachineI386: return Machine::kI386;
    case kMachineAmd64: return Machine::kX86_64;
    default: return Machine::kUnknown;
  }
}

Machine FileMachine(Platform& platform, const std::string& path) {
  std::string contents;
  if (path.empty() || !platform.ReadFile(path, &contents).ok()) return Machine::kUnknown;
  return PeMachine(contents);
}

std::string OtherArchitectureError(Platform& platform, const std::vector<std::string>& candidates) {
  // The first file that exists is the one the loader failed on: if it is
  // of this bitness or no PE image at all, the system's reason stands.
  for (const std::string& path : candidates) {
    std::string contents;
    if (path.empty() || !platform.ReadFile(path, &contents).ok()) continue;
    Machine library = PeMachine(contents);
    if (library == Machine::kUnknown) break;
    // Only a PE library makes the executable worth reading: a failed load
    // that another library then makes good costs nothing more.
    Machine own = FileMachine(platform, platform.ExecutablePath());
    if (own == Machine::kUnknown || library == own) break;
    return "Error 1040: RFC library " + path + " is a " + Bitness(library) +
           " library and this quillmeter.exe is " + Bitness(own) + ": use the " + Package(library) +
           " package !";
  }
  return std::string();
}

}  // namespace quillmeter
