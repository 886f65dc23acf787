#include "rfc/trace_file.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class TraceFileTest : public ::testing::Test {
 protected:
  std::string HintFor(const std::string& contents) {
    platform.files[kTraceFile] = contents;
    return TraceHint(platform);
  }
  FakePlatform platform;
};

TEST_F(TraceFileTest, NoTraceFileAsksToLookForIt) {
  EXPECT_EQ(TraceHint(platform), " - Look for Trace-File");
}

TEST_F(TraceFileTest, HintIsTheLastMessageOfTheLastSection) {
  const std::string long_text(120, 'x');
  const struct {
    std::string contents;
    std::string hint;
  } cases[] = {
      {"", " - Please Check Trace-File !"},
      {"**** ERROR file opened\nERROR       partner not reached\n", " - partner not reached"},
      {"ERROR       first\nT:1234 ======> second\n", " - second"},
      {"T:1234 ======> first\nERROR       second\n", " - second"},
      // The last "**** ERROR " section has no message of its own.
      {"**** ERROR a\nERROR       old\n**** ERROR b\nplain line\n", " - Please Check Trace-File !"},
      {"ERROR       old\n**** ERROR b\n", " - Please Check Trace-File !"},
      {"**** ERROR a\nERROR       old\n**** ERROR b\nERROR       new\n", " - new"},
      // Positions count from 1: the message starts at the 13th character.
      {"ERROR short\n", " - Please Check Trace-File !"},
      {"ERROR       X\n", " - X"},
      {"ERRORS      none\n", " - Please Check Trace-File !"},
      {"1234567======> at column eight\n", " - at column eight"},
      {"12345678======> at column nine\n", " - Please Check Trace-File !"},
      {"1234567======> \n", " - Please Check Trace-File !"},
      {"ERROR       windows line\r\n", " - windows line"},
      {"ERROR       last line without end", " - last line without end"},
      // A long line is read in pieces of 99: the message is the first piece's
      // rest, and a piece boundary can start a new match.
      {"ERROR       " + long_text + "\n", " - " + long_text.substr(0, 87)},
      {std::string(99, 'y') + "ERROR       tail\n", " - tail"},
      // Binary content: a NUL ends the piece, other bytes pass.
      {std::string("ERROR       ab\0cd\n", 18), " - ab"},
      {std::string("\0\xff\xfe======> \x01\n", 14), " - Please Check Trace-File !"},
  };
  for (const auto& c : cases) EXPECT_EQ(HintFor(c.contents), c.hint) << c.contents;
}

TEST_F(TraceFileTest, LargeBinaryFileIsHarmless) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk.push_back(static_cast<char>(i * 7919 % 256));
  std::string hint = HintFor(junk + "\nERROR       found\n");
  EXPECT_EQ(hint, " - found");
}

}  // namespace
}  // namespace quillmeter
