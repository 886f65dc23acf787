#include "driver/worker_protocol.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(WorkerProtocolTest, TheLastStepToldIsTheOneAStoppedWorkerWaitedOn) {
  const std::string wait = "waiting for SapRfc.lck, held by the scan of HNG";
  EXPECT_EQ(LastStep(""), "");
  EXPECT_EQ(LastStep("chatter"), "");
  EXPECT_EQ(LastStep(EncodeStep("RfcOpen") + "chatter" + EncodeStep(wait) + "x"), wait);
  EXPECT_EQ(LastStep(EncodeStep("a\nb\\c")), "a\nb\\c");
  EXPECT_EQ(LastStep(EncodeStep("RfcOpen") + EncodeStep("ADA_ST04").substr(0, 8)), "RfcOpen")
      << "a step cut off by the kill";
  // The report after the steps is found as ever.
  WorkerReport back;
  EXPECT_TRUE(DecodeReport(EncodeStep("RfcOpen") + EncodeReport(WorkerReport()), &back));
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

// Several reports on one stream, as a worker writes them, however the pipe
// cuts it: each comes out once and in order, the chatter around them passed
// over.
TEST(WorkerProtocolTest, FramesComeOutOfAStreamOneByOneHoweverItArrives) {
  std::string stream;
  for (std::uint64_t n = 0; n < 3; ++n) {
    WorkerReport report;
    report.scan.growth = {n, 0, 0, 0};
    stream += "chatter \x1e" + std::to_string(n) + "\n" + EncodeReport(report);
  }
  // A frame that another begins inside is damaged: only the later counts.
  const std::string damaged = EncodeReport(WorkerReport());
  stream += damaged.substr(0, damaged.size() / 2) + EncodeReport(WorkerReport()) + "\x1eQM";
  for (size_t piece : {size_t{1}, size_t{7}, stream.size()}) {
    FrameReader frames(kMaxReportFrame);
    std::vector<std::uint64_t> seen;
    std::string frame;
    for (size_t at = 0; at < stream.size(); at += piece) {
      frames.Add(std::string_view(stream).substr(at, piece));
      while (frames.Next(&frame)) {
        WorkerReport back;
        ASSERT_TRUE(DecodeReport(frame, &back)) << piece;
        seen.push_back(back.scan.growth[0]);
      }
    }
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 1, 2, 0})) << piece;
  }
}

TEST(WorkerProtocolTest, AFrameThatNeverEndsIsDroppedAtItsBound) {
  FrameReader frames(64);
  frames.Add("\x1eQMW1\n" + std::string(100, 'x'));
  std::string frame;
  EXPECT_FALSE(frames.Next(&frame));
  // Had the long one been kept, this end would close it.
  frames.Add(std::string(1, '\x1e') + "END\n" + EncodeReport(WorkerReport()));
  ASSERT_TRUE(frames.Next(&frame));
  EXPECT_EQ(frame, EncodeReport(WorkerReport()));
  EXPECT_FALSE(frames.Next(&frame));
}

}  // namespace
}  // namespace quillmeter
