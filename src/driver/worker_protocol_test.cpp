#include "driver/worker_protocol.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(WorkerProtocolTest, AJobComesThroughWhole) {
  WorkerJob job;
  job.request.open.profile.destination = "PRD";
  job.request.open.profile.password = "pa\\ss=\nw\x1e\x1a";
  job.request.open.profile_name = "PRD.P00";
  job.request.open.overrides.host = "";
  job.request.history.sensor = "Tessarin.Prf/LogWrites";
  job.request.profile_text = std::string("line\r\nnul\0end", 13);
  job.call_log = "PRD.P00.log";
  job.request.open.profile.library = RfcLibraryChoice::kNetWeaver;
  job.request.open.profile_folder = "/prtg/ExeXml/";
  WorkerJob back;
  ASSERT_TRUE(DecodeJob(EncodeJob(job), &back));
  EXPECT_EQ(back.request.open.profile.destination, "PRD");
  EXPECT_EQ(back.request.open.profile.password, job.request.open.profile.password);
  EXPECT_EQ(back.request.open.overrides.host, "");
  EXPECT_FALSE(back.request.open.overrides.system_number);
  EXPECT_EQ(back.request.history.sensor, "Tessarin.Prf/LogWrites");
  EXPECT_EQ(back.request.profile_text, job.request.profile_text);
  EXPECT_EQ(back.call_log, "PRD.P00.log");
  EXPECT_EQ(back.request.open.profile.library, RfcLibraryChoice::kNetWeaver);
  EXPECT_EQ(back.request.open.profile_folder, "/prtg/ExeXml/");
  EXPECT_EQ(EncodeJob(job).find('\r'), std::string::npos) << "no byte a text pipe changes";
}

TEST(WorkerProtocolTest, AReportComesThroughWhateverSurroundsIt) {
  WorkerReport report;
  report.scan.growth = {5000000000u, 1, 2, 3};
  report.scan.console_note = "* SapRfc.Ini.......: PRD<";
  report.scan.history = HistoryUpdate{{"s"}, "# Alm s Date=x", ""};
  WorkerReport back;
  ASSERT_TRUE(DecodeReport("a library's chatter\n" + EncodeReport(report) + "more", &back));
  EXPECT_FALSE(back.library_failed);
  EXPECT_EQ(back.scan.step, ScanStep::kDone);
  EXPECT_TRUE(back.scan.status.ok());
  EXPECT_EQ(back.scan.growth, report.scan.growth);
  EXPECT_EQ(back.scan.console_note, report.scan.console_note);
  ASSERT_TRUE(back.scan.history);
  EXPECT_EQ(back.scan.history->line, "# Alm s Date=x");

  report.scan.step = ScanStep::kDatabaseCheck;
  report.scan.status = Status::Error("Error 1018: DataBase mismatch !", "the database is X");
  report.scan.history.reset();
  ASSERT_TRUE(DecodeReport(EncodeReport(report), &back));
  EXPECT_EQ(back.scan.step, ScanStep::kDatabaseCheck);
  EXPECT_EQ(back.scan.status.cause(), "the database is X");
  EXPECT_FALSE(back.scan.history);
  EXPECT_FALSE(back.scan.status.IsRefused());

  // The run must know a refused logon, not to send it again.
  report.scan.step = ScanStep::kOpen;
  report.scan.status = Status::Refused("Error 1011: RFC-Open for PRD failed !", "User is locked");
  ASSERT_TRUE(DecodeReport(EncodeReport(report), &back));
  EXPECT_TRUE(back.scan.status.IsRefused());
  EXPECT_EQ(back.scan.status.cause(), "User is locked");

  WorkerReport failed;
  failed.library_failed = true;
  failed.failure = {"RfcCall ADA_ST04", "SYSTEM_FAILURE", "simulated", "broken", "x"};
  ASSERT_TRUE(DecodeReport(EncodeReport(failed), &back));
  EXPECT_TRUE(back.library_failed);
  EXPECT_EQ(back.failure.operation, "RfcCall ADA_ST04");
}

TEST(WorkerProtocolTest, ADamagedReportIsNoReport) {
  WorkerReport report;
  const std::string whole = EncodeReport(report);
  WorkerReport back;
  for (const std::string& damaged : {std::string(), whole.substr(0, whole.size() - 2),
                                     std::string("\x1eQMW1\nstep=9\n\x1e"
                                                 "END\n"),
                                     std::string("\x1eQMW1\nstep=5\nok=0\n\x1e"
                                                 "END\n"),
                                     std::string("\x1eQMW1\nnote=\\q\n\x1e"
                                                 "END\n"),
                                     std::string("\x1eQMW1\nno equals\n\x1e"
                                                 "END\n")})
    EXPECT_FALSE(DecodeReport(damaged, &back)) << damaged;
}

}  // namespace
}  // namespace quillmeter
