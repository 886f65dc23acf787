#include "check/check_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/text.h"

namespace quillmeter {
namespace {

TEST(CheckReportRelayTest, RelayedLinesStandAsTheSystemsCheckPrintedThem) {
  // A system's check, as a listing's child process prints it.
  std::ostringstream child_out;
  CheckReport child(child_out);
  child.Ok("profile", "C:\\Sensors\\PRD.P00: Destination PRD");
  child.Warn("profile", "\"Hostnam....\" is no key");
  child.Fail("logon", "refused", "write the password anew");
  child.Finish();

  std::ostringstream out;
  CheckReport listing(out);
  std::string expected;
  for (const std::string& line : SplitLines(child_out.str())) {
    if (StartsWith(line, "[")) {
      listing.Relay("PRD.P00: ", line);
      expected += "PRD.P00: " + line + "\n";
    }
  }
  // The tags keep their padding, so that the steps line up in a console.
  EXPECT_EQ(out.str(), expected);
  EXPECT_NE(expected.find("PRD.P00: [ok]   profile: "), std::string::npos) << expected;
  EXPECT_EQ(listing.problems(), 1u);

  // Whatever else a child printed stays one line of plain ASCII.
  listing.Relay("QAS.P00: ", "[FAIL] x\r\x80\x1b" "y");
  EXPECT_EQ(out.str(), expected + "QAS.P00: [FAIL] x???y\n");
  EXPECT_EQ(listing.problems(), 2u);
  EXPECT_EQ(listing.Finish(), 1);
}

}  // namespace
}  // namespace quillmeter
