#include "rfc/library_architecture.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

constexpr uint16_t kI386 = 0x014C;
constexpr uint16_t kAmd64 = 0x8664;
constexpr uint16_t kArm64 = 0xAA64;

void PutLittle(std::string& bytes, size_t at, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// An image whose MZ header points at a "PE\0\0" signature and machine at
// `pe`, cut to `size` bytes.
std::string Image(uint16_t machine, uint32_t pe = 0x80, size_t size = 0x200) {
  std::string bytes(std::max<size_t>(size, pe + 6), '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  PutLittle(bytes, 0x3C, pe, 4);
  bytes.replace(pe, 4, std::string("PE\0\0", 4));
  PutLittle(bytes, pe + 4, machine, 2);
  bytes.resize(size);
  return bytes;
}

TEST(PeMachineTest, ReadsTheMachineAndRefusesAnythingElse) {
  std::string no_signature = Image(kI386);
  no_signature[0x81] = 'X';
  std::string wrapping = Image(kI386);
  PutLittle(wrapping, 0x3C, 0xFFFFFFFF, 4);
  const struct {
    const char* name;
    std::string image;
    Machine machine;
  } cases[] = {
      {"i386", Image(kI386), Machine::kI386},
      {"x86-64", Image(kAmd64), Machine::kX86_64},
      {"signature right after the MZ header", Image(kAmd64, 0x40, 0x46), Machine::kX86_64},
      {"arm64", Image(kArm64), Machine::kUnknown},
      {"empty", "", Machine::kUnknown},
      {"MZ alone", "MZ", Machine::kUnknown},
      {"MZ header one byte short", Image(kI386, 0x80, 0x3F), Machine::kUnknown},
      {"machine cut in half", Image(kI386, 0x80, 0x85), Machine::kUnknown},
      {"signature beyond the end", Image(kI386, 0x400, 0x200), Machine::kUnknown},
      {"offset near 4 GiB", wrapping, Machine::kUnknown},
      {"no PE signature", no_signature, Machine::kUnknown},
      {"ELF", "\177ELF\2\1\1" + std::string(0x80, '\0'), Machine::kUnknown},
      {"text", std::string(0x100, 'M'), Machine::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(PeMachine(c.image), c.machine) << c.name;
}

class OtherArchitectureTest : public ::testing::Test {
 protected:
  // The running executable, by its header.
  void BuiltFor(uint16_t machine) { platform.files[platform.ExecutablePath()] = Image(machine); }

  FakePlatform platform;
  const std::string beside = platform.executable_dir + "librfc32.dll";
};

TEST_F(OtherArchitectureTest, EachBitnessNamesThePackageThatFitsTheLibrary) {
  const struct {
    uint16_t executable, library;
    std::string error;
  } cases[] = {
      {kI386, kAmd64,
       "Error 1040: RFC library /opt/quillmeter/librfc32.dll is a 64-bit library and this "
       "quillmeter.exe is 32-bit: use the win64 package !"},
      {kAmd64, kI386,
       "Error 1040: RFC library /opt/quillmeter/librfc32.dll is a 32-bit library and this "
       "quillmeter.exe is 64-bit: use the win32 package !"},
      // A library of the right bitness failed for another reason.
      {kAmd64, kAmd64, ""},
      {kI386, kI386, ""},
      {kAmd64, kArm64, ""},
  };
  for (const auto& c : cases) {
    BuiltFor(c.executable);
    platform.files[beside] = Image(c.library);
    EXPECT_EQ(OtherArchitectureError(platform, {beside}), c.error)
        << c.executable << " " << c.library;
  }
}

TEST_F(OtherArchitectureTest, NothingIsSaidWithoutTwoKnownMachines) {
  platform.files[beside] = Image(kI386);
  // A non-Windows build (ELF) has no PE header of its own.
  platform.files[platform.ExecutablePath()] = "\177ELF\2\1\1" + std::string(0x80, '\0');
  EXPECT_EQ(OtherArchitectureError(platform, {beside}), "");
  platform.files.erase(platform.ExecutablePath());
  EXPECT_EQ(OtherArchitectureError(platform, {beside}), "");

  BuiltFor(kAmd64);
  platform.files.erase(beside);
  EXPECT_EQ(OtherArchitectureError(platform, {beside, ""}), "");
}

TEST_F(OtherArchitectureTest, TheFirstLibraryThatExistsDecides) {
  BuiltFor(kAmd64);
  const std::string searched = "C:\\Windows\\SysWOW64\\librfc32.dll";
  platform.files[searched] = Image(kI386);
  EXPECT_NE(OtherArchitectureError(platform, {beside, "", searched}).find(searched + " is a 32"),
            std::string::npos);
  platform.files[beside] = Image(kI386);
  EXPECT_NE(OtherArchitectureError(platform, {beside, searched}).find(beside + " is a 32"),
            std::string::npos);
  // The library beside the sensor failed for a reason of its own: the
  // package is not what is wrong.
  for (const std::string& own_failure : {Image(kAmd64), std::string("damaged")}) {
    platform.files[beside] = own_failure;
    EXPECT_EQ(OtherArchitectureError(platform, {beside, searched}), "") << own_failure.size();
  }
}

}  // namespace
}  // namespace quillmeter
