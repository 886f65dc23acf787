#include "check/check_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillmeter {
namespace {

TEST(CheckReportTest, EachKindOfLineHasItsTagStepAndText) {
  std::ostringstream out;
  CheckReport report(out);
  report.Ok("logon", "PRD, client 100");
  report.Warn("profile", "\"Destinaton.:\" is unknown");
  report.Fail("password", "Error 1004: bad", "write it anew");
  report.Plain("PRD.P00: ok");
  EXPECT_EQ(out.str(),
            "[ok]   logon: PRD, client 100\n"
            "[warn] profile: \"Destinaton.:\" is unknown\n"
            "[FAIL] password: Error 1004: bad - to fix: write it anew\n"
            "PRD.P00: ok\n");
  EXPECT_EQ(report.problems(), 1u);
}

TEST(CheckReportTest, NoValueBreaksOrGarblesALine) {
  EXPECT_EQ(CheckLineText("plain text ~"), "plain text ~");
  EXPECT_EQ(CheckLineText("caf\xC3\xA9 x\x7Fy"), "caf?? x?y");
  EXPECT_EQ(CheckLineText(std::string("a\0b\tc\x1B", 6)), "a?b?c?");
  // Blanks stay as they stand: a fixed-width value keeps its form.
  EXPECT_EQ(CheckLineText("Mon Dec  7 10:11:12 2026  "), "Mon Dec  7 10:11:12 2026  ");
  // A value with line ends stays on its line.
  const std::string broken = CheckLineText("first\r\nsecond\nthird");
  EXPECT_EQ(broken.find_first_of("\r\n"), std::string::npos) << broken;

  std::ostringstream out;
  CheckReport report(out);
  report.Ok("lo\ngon", "SAP says\r\nno\x80");
  report.Fail("x", "why\n", "fix\n");
  report.Relay("P\xFF: ", "[ok]   a\nb");
  report.Answer("Error 1011: \xE4\nx");
  report.Finish();
  const std::string text = out.str();
  size_t lines = 0;
  for (char c : text) {
    lines += c == '\n';
    EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << static_cast<int>(c);
  }
  EXPECT_EQ(lines, 5u) << text;
}

TEST(CheckReportTest, FinishEndsWithTheFirstAnswerAndTheResultOnce) {
  std::ostringstream out;
  CheckReport report(out);
  report.Ok("logon", "PRD");
  report.Answer("Error 1018: DataBase mismatch ! - the database is ORACLE");
  report.Answer(Status::Error("Error 1016: ReWriting failed !", "disk full"));
  EXPECT_EQ(report.Finish(), 0);
  EXPECT_EQ(out.str(),
            "[ok]   logon: PRD\n"
            "The sensor would answer: Error 1018: DataBase mismatch ! - the database is ORACLE\n"
            "Result: no problems\n");
  // What comes after the end (a late deadline, a second Finish) is dropped.
  report.Fail("logon", "late", "none");
  report.Ok("history", "late");
  report.Plain("late");
  report.Relay("P: ", "[FAIL] late");
  EXPECT_EQ(report.Finish(), 0);
  EXPECT_EQ(report.problems(), 0u);
  EXPECT_EQ(out.str(),
            "[ok]   logon: PRD\n"
            "The sensor would answer: Error 1018: DataBase mismatch ! - the database is ORACLE\n"
            "Result: no problems\n");
}

TEST(CheckReportTest, RelayedLinesKeepTheirFormAndAFailedOneCounts) {
  std::ostringstream out;
  CheckReport report(out);
  report.Relay("PRD.P00: ", "[ok]   logon: PRD");
  report.Relay("PRD.P00: ", "[warn] profile: a typo?");
  EXPECT_EQ(report.problems(), 0u);
  report.Relay("QAS.P00: ", "[FAIL] logon: refused - to fix: lift it");
  // Only a line that starts as a failed step counts, not one naming it.
  report.Relay("QAS.P00: ", "[ok]   history: [FAIL] in a value");
  EXPECT_EQ(report.problems(), 1u);
  EXPECT_EQ(report.Finish(), 1);
  EXPECT_EQ(out.str(),
            "PRD.P00: [ok]   logon: PRD\n"
            "PRD.P00: [warn] profile: a typo?\n"
            "QAS.P00: [FAIL] logon: refused - to fix: lift it\n"
            "QAS.P00: [ok]   history: [FAIL] in a value\n"
            "The sensor would answer: \n"
            "Result: 1 problem(s)\n");
}

}  // namespace
}  // namespace quillmeter
