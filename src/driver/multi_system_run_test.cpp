// Whole multi-system runs in this process, over the fake SAP library.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <sstream>

#include "base/text.h"
#include "driver/sensor.h"
#include "driver/worker.h"
#include "platform/fake_platform.h"
#include "profiles/profile_text.h"
#include "rfc/fake_sap_system.h"

namespace quillmeter {
namespace {

constexpr const char kSensorDir[] = "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";

std::string Profile(const std::string& destination, const std::string& host = "sapprd01") {
  ProfileFields fields;
  fields.destination = destination;
  fields.host = host;
  return ProfileText(fields);
}

std::string Channel(const std::string& name, const std::string& value) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Value>" + value + "</Value></Result>\n";
}

std::string Summary(const std::string& text) {
  return "\n<Text>(***) " + text + "</Text>\n\n</Prtg>\n\n";
}

class MultiSystemRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library = FakeSapLibrary();
    for (const char* sid : {"PRD", "QAS", "DEV"})
      Put(std::string(sid) + ".P00", Profile(sid, "sap" + std::string(sid) + "01"));
  }

  void Put(const std::string& name, const std::string& contents) {
    platform.files[kSensorDir + name] = contents;
  }
  std::string& File(const std::string& name) { return platform.files[kSensorDir + name]; }
  void ItemProfile(const std::string& list) { Put("Tessarin.Prf", "# Gsng: list        " + list); }

  // One run, as PRTG starts it; `loads` false: the library is not there.
  int Run(const std::vector<std::string>& args, bool loads = true) {
    out.str("");
    SensorContext context(platform, out);
    context.load_library = [&](RfcLibraryChoice, FailureSink&, std::unique_ptr<SapLibrary>* loaded) {
      if (!loads) return Status::Error("Error 1040: RFC library librfc32.so cannot be loaded !");
      *loaded = library.Lend();
      return Status::Ok();
    };
    context.new_worker = [&] { return MakeInProcessWorker(context); };
    return RunSensor(args, context);
  }

  // The destinations the run opened; workers scan at once, in any order.
  std::vector<std::string> Opened() const {
    std::vector<std::string> opened;
    for (const OpenRequest& open : library.opens) opened.push_back(open.profile.destination);
    std::sort(opened.begin(), opened.end());
    return opened;
  }

  // The state its trace line gives the system.
  std::string StateOf(const std::string& name) const {
    std::string text = out.str();
    size_t line = text.find("* 10:11:12 " + name + ", ");
    if (line == std::string::npos) return "(no line)";
    size_t state = text.find(" State=", line) + 7;
    return text.substr(state, text.find('\n', state) - state);
  }

  FakePlatform platform;
  FakeSapLibrary library;
  std::ostringstream out;
};

TEST_F(MultiSystemRunTest, MissingProfileCountsOnlyAsASystem) {
  ItemProfile("PRD.P00#GONE.P00#QAS.P00#");
  EXPECT_EQ(Run({"x", "Item=LogWrites"}), 0);
  EXPECT_EQ(out.str(),
            "\n<Prtg>\n\n" + Channel("PRD.P00", "0") + Channel("QAS.P00", "0") +
                Summary("LogWrites: NoSystems=3, Processed=2, Failed=0 - GONE.P00: missing"));
  EXPECT_EQ(Opened(), (std::vector<std::string>{"PRD", "QAS"}));
}

TEST_F(MultiSystemRunTest, UnusableNamesFailWithoutBeingRead) {
  const std::string long_name = std::string(64, 'L') + ".P00";
  Put(long_name, Profile("LONG"));
  ItemProfile(long_name + "#" + std::string("PRD.P00\0x", 9) + "#QAS.P00#");
  EXPECT_EQ(Run({"x", "Item=LogWrites"}), 0);
  EXPECT_EQ(Opened(), std::vector<std::string>{"QAS"});
  EXPECT_NE(out.str().find("NoSystems=3, Processed=1, Failed=2"), std::string::npos) << out.str();
  for (const std::string& read : platform.reads)
    EXPECT_EQ(read.find("LLLL"), std::string::npos) << read;
}

TEST_F(MultiSystemRunTest, FaultySystemsFailWithoutStoppingTheRun) {
  const std::string qas = Profile("QAS");
  struct Case {
    const char* name;
    std::string profile;
    FakeSystemSetup setup;
    bool opened;
    const char* cause;  // in the summary
  } cases[] = {
      {"no Extcompany line",
       qas.substr(qas.find('\n') + 1),
       {},
       false,
       "Error 1003: Extcompany.: missing"},
      {"short client",
       std::string(qas).replace(qas.find("100"), 3, "10"),
       {},
       false,
       "Error 1003: Client.....: shorter than 3 characters (\"10\" read from column 25; values "
       "start in column 25)"},
      {"faulty stored password",
       std::string(qas).replace(qas.find("Password...:") + 25, 1, "X"),
       {},
       false,
       "Error 1004: character 1 of the stored form is outside the form's alphabet"},
      {"failed open", qas,
       FakeSystemSetup().FailOpen(
           Status::Error("Error 1011: RFC-Open for QAS failed !", "partner not reached")),
       true, "RfcOpen: Error 1011: RFC-Open for QAS failed ! - partner not reached"},
      {"failed monitor", qas,
       FakeSystemSetup().FailMonitor(Status::Error("Error 1014: RFC-Failure raised !")), true,
       "ADA_ST04: Error 1014: RFC-Failure raised !"},
  };
  for (const Case& c : cases) {
    SetUp();
    ItemProfile("PRD.P00#QAS.P00#DEV.P00#");
    File("QAS.P00") = c.profile;
    library.systems["QAS"] = c.setup;
    EXPECT_EQ(Run({"x", "Item=LogWrites", "#"}), 0) << c.name;
    std::vector<std::string> opened = {"DEV", "PRD", "QAS"};
    if (!c.opened) opened = {"DEV", "PRD"};
    EXPECT_EQ(Opened(), opened) << c.name;
    EXPECT_EQ(StateOf("QAS.P00"), "Rfc Failure") << c.name << out.str();
    EXPECT_EQ(out.str().find("<Channel>QAS.P00"), std::string::npos) << c.name;
    // The state as before, and why.
    EXPECT_NE(out.str().find("(***) LogWrites: NoSystems=3, Processed=2, Failed=1 - QAS.P00: Rfc "
                             "Failure (" +
                             std::string(c.cause) + ")</Text>"),
              std::string::npos)
        << c.name << out.str();
    EXPECT_EQ(File("QAS.P00"), c.profile) << c.name;
  }
}

TEST_F(MultiSystemRunTest, AnUnknownItemLogsOnNowhereAndWritesNothing) {
  ItemProfile("PRD.P00#QAS.P00#");
  const auto before = platform.files;
  EXPECT_EQ(Run({"x", "Item=Log:writes", "#"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1046: Item Log writes is none of LogWrites, "
            "WaitBusy, RollBacks, Overflows !</Text>\n</Prtg>\n");
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(platform.files, before);
}

TEST_F(MultiSystemRunTest, EachSystemKeepsTheSensorsHistoryLine) {
  ItemProfile("PRD.P00#QAS.P00#");
  library.systems["PRD"].monitor_line = MonitorLine("150", "0", "0", "0");
  File("PRD.P00") +=
      "# Alm Tessarin.Prf/LogWrites Date=20261207 09:00:00 Writes=100 WaitBusy=0 RollBacks=0 "
      "OverFlows=0\n";
  EXPECT_EQ(Run({"x", "Item=LogWrites"}), 0);
  EXPECT_EQ(out.str(), "\n<Prtg>\n\n" + Channel("PRD.P00", "50") + Channel("QAS.P00", "0") +
                           Summary("LogWrites: NoSystems=2, Processed=2, Failed=0"));
  EXPECT_EQ(File("PRD.P00"),
            Profile("PRD", "sapPRD01") +
                "# Alm Tessarin.Prf/LogWrites Date=20261207 10:11:12 Writes=150 WaitBusy=0 "
                "RollBacks=0 OverFlows=0\n");
  EXPECT_EQ(File("QAS.P00"),
            Profile("QAS", "sapQAS01") +
                "# Alm Tessarin.Prf/LogWrites Date=20261207 10:11:12 Writes=0 WaitBusy=0 "
                "RollBacks=0 OverFlows=0\n");
}

TEST_F(MultiSystemRunTest, FailedFigureLeavesNoTextBeforeTheSummary) {
  ItemProfile("PRD.P00#");
  const std::string profile = File("PRD.P00");
  platform.fail_next_replace = true;
  EXPECT_EQ(Run({"x", "Item=LogWrites", "#"}), 0);
  EXPECT_EQ(StateOf("PRD.P00"), "Rfc Failure");
  EXPECT_NE(out.str().find("State=Rfc Failure\n" +
                           Summary("LogWrites: NoSystems=1, Processed=0, Failed=1 - PRD.P00: Rfc "
                                   "Failure (history not written: Read-only file system)")),
            std::string::npos)
      << out.str();
  EXPECT_EQ(File("PRD.P00"), profile);
}

TEST_F(MultiSystemRunTest, RunEndingFaultFinishesTheOpenedDocument) {
  struct Case {
    const char* name;
    FakeSystemSetup setup;
    const char* message;
  } cases[] = {
      {"timestamp",
       FakeSystemSetup().FailCollection(
           Status::Error("Error 1014: RFC-Failure raised ! - Look for Trace-File")),
       "Error 1014: RFC-Failure raised ! - Look for Trace-File - Q&amp;A.P00"},
      {"system information",
       FakeSystemSetup().FailInfo(Status::Error("Error 1013: Sys-Exception raised ! - x")),
       "Error 1013: Sys-Exception raised ! - x - Q&amp;A.P00"},
      {"not MaxDB", FakeSystemSetup().Database("ORACLE    "),
       "Error 1018: DataBase mismatch ! - Q&amp;A.P00: the database is ORACLE"},
  };
  for (const Case& c : cases) {
    SetUp();
    ItemProfile("PRD.P00#Q&A.P00#DEV.P00#");
    Put("Q&A.P00", Profile("QAS"));
    library.systems["QAS"] = c.setup;
    const std::string before = File("DEV.P00");
    EXPECT_EQ(Run({"x", "Item=LogWrites"}), 2) << c.name;
    EXPECT_EQ(out.str(), "\n<Prtg>\n\n" + Channel("PRD.P00", "0") + "<Error>1</Error>\n<Text>" +
                             c.message + "</Text>\n</Prtg>\n")
        << c.name;
    // Later systems may be scanned already, but none is reported or written.
    std::vector<std::string> opened = Opened();
    for (const char* sid : {"PRD", "QAS"})
      EXPECT_NE(std::find(opened.begin(), opened.end(), sid), opened.end()) << c.name << sid;
    EXPECT_NE(std::find(library.calls.begin(), library.calls.end(), "Close QAS"),
              library.calls.end())
        << c.name;
    EXPECT_EQ(File("DEV.P00"), before) << c.name;
  }
}

TEST_F(MultiSystemRunTest, TheAllocationsParametersReachEveryLogon) {
  Put("SAP Tessarin.Gbl",
      "# GSNG: AB        ::PRD.P00#\n"
      "# GSNX: AB        :Item=LogWrites,HOST=other,NO=07,Sensor=\"SAP Quillmeter\"\n");
  EXPECT_EQ(Run({"global", "ab", ",HOST=ignored"}), 0);
  ASSERT_EQ(library.opens.size(), 1u);
  EXPECT_EQ(library.opens[0].overrides.host, "other");
  EXPECT_EQ(library.opens[0].overrides.system_number, "07");
}

TEST_F(MultiSystemRunTest, FaultsBeforeTheDocumentGiveOneErrorDocument) {
  ItemProfile("PRD.P00#");
  EXPECT_EQ(Run({"x", "Item=LogWrites"}, false), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library librfc32.so cannot be "
            "loaded !</Text>\n</Prtg>\n");

  Put("SAP Tessarin.Gbl", "# GSNG: AB        ::PRD.P00#\n");
  EXPECT_EQ(Run({"global", "ab", "#"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1030: Global Sensor ab not found... - SAP "
            "Tessarin.Gbl has no line \"# GSNX: AB\"</Text>\n</Prtg>\n");
  Put("SAP Tessarin.Gbl", "# GSNG:           ::PRD.P00#\n");
  EXPECT_EQ(Run({"global"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1030: Global Sensor  not found... - no sensor "
            "key was given (the first parameter word)</Text>\n</Prtg>\n");
  EXPECT_TRUE(Opened().empty());
}

// Hands the job and the report through the protocol's text, as the pipes
// of a worker process carry them, and keeps that text.
class PipedWorker : public SystemWorker {
 public:
  PipedWorker(SensorContext& context, std::vector<std::string>* traffic)
      : context_(context), traffic_(traffic) {}
  WorkerOutcome Scan(const WorkerJob& job) override {
    // The pool's threads share the fake library and the traffic.
    static std::mutex one_at_a_time;
    std::lock_guard<std::mutex> hold(one_at_a_time);
    WorkerOutcome outcome;
    WorkerJob received;
    const std::string job_text = EncodeJob(job);
    if (!DecodeJob(job_text, &received)) return outcome;
    class : public FailureSink {
      void Report(const LibraryFailure&) override {}
      void Aborted() override {}
    } sink;
    std::unique_ptr<SapLibrary> library;
    const std::string report_text = EncodeReport(ScanJob(context_, received, sink, &library));
    traffic_->push_back("job " + job.request.open.profile_name + ": " + job_text);
    traffic_->push_back("report: " + report_text);
    if (DecodeReport(report_text, &outcome.report)) outcome.end = WorkerOutcome::End::kReported;
    return outcome;
  }
  void Stop() override {}

 private:
  SensorContext& context_;
  std::vector<std::string>* traffic_;
};

class RecordingPlatform : public FakePlatform {
 public:
  Status StartWorker(const std::vector<std::string>& arguments,
                     std::unique_ptr<ChildProcess>*) override {
    started.push_back(arguments);
    return Status::Error("cannot start a worker", "not in tests");
  }
  std::vector<std::vector<std::string>> started;
};

// The password from PRTG goes to its system's worker over the pipe only: not
// on the command line, not to another system, not back in a report, and a
// refused one leaves a salted guard line.
TEST_F(MultiSystemRunTest, PrtgCredentialsReachOnlyTheirSystemsWorkerOverItsPipe) {
  platform.environment = {{"prtg_linuxuser", "rfclin"}, {"prtg_linuxpassword", "Lin=Secret 9"}};
  File("PRD.P00") += "Credentials:             prtg-linux\n";
  File("DEV.P00") += "Credentials:             prtg-linux\n";
  library.systems["DEV"] = FakeSystemSetup().FailOpen(
      Status::Refused("Error 1011: RFC-Open for DEV failed !", "Name or password is incorrect"));
  ItemProfile("PRD.P00#QAS.P00#DEV.P00#");
  std::vector<std::string> traffic;
  out.str("");
  SensorContext context(platform, out);
  context.load_library = [&](RfcLibraryChoice, FailureSink&, std::unique_ptr<SapLibrary>* loaded) {
    *loaded = library.Lend();
    return Status::Ok();
  };
  context.new_worker = [&] { return std::make_unique<PipedWorker>(context, &traffic); };
  EXPECT_EQ(RunSensor({"x", "Item=LogWrites", "#"}, context), 0);
  EXPECT_EQ(std::count(platform.environment_reads.begin(), platform.environment_reads.end(),
                       "prtg_linuxpassword"),
            1);
  ASSERT_EQ(library.opens.size(), 3u);
  for (const OpenRequest& open : library.opens) {
    bool prtg = open.profile.destination != "QAS";
    EXPECT_EQ(open.profile.user, prtg ? "RFCLIN" : "MONITOR") << open.profile.destination;
    EXPECT_EQ(open.profile.password, prtg ? "Lin=Secret 9" : "Secret12");
  }
  EXPECT_EQ(StateOf("DEV.P00"), "Logon Refused");
  for (const std::string& text : traffic) {
    bool carries = text.find("Lin=Secret 9") != std::string::npos;
    EXPECT_EQ(carries, StartsWith(text, "job PRD") || StartsWith(text, "job DEV")) << text;
  }
  EXPECT_EQ(out.str().find("Lin=Secret 9"), std::string::npos);
  const std::string dev = File("DEV.P00");
  EXPECT_NE(dev.find(" Logon=pbkdf2-sha256:20000:"), std::string::npos) << dev;
  EXPECT_EQ(dev.find("Lin=Secret 9"), std::string::npos);

  // A worker process is started with its entry word alone.
  RecordingPlatform recording;
  WorkerJob job;
  job.request.open.profile.password = "Lin=Secret 9";
  (void)MakeProcessWorker(recording)->Scan(job);
  EXPECT_EQ(recording.started, (std::vector<std::vector<std::string>>{{kWorkerEntry}}));
}

}  // namespace
}  // namespace quillmeter
