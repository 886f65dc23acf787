// The run's deadline and the multi-system run's workers, end to end: a
// system that stops answering costs the run neither its answer nor its
// other systems, and no process of the sensor outlives the run.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "prtg_answer.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

class DeadlineE2eTest : public SensorTest {
 protected:
  // A copy of the sensor of its own, so that its processes can be counted.
  void SetUp() override {
    options_.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
    box.Copy(SimulatedLibrary(), "bin/librfc32.so");
  }

  // The processes of this test's sensor still running, a moment after the
  // run: a worker killed with its parent needs that moment to go.
  int Leftovers() {
    for (int i = 0; i < 50 && ProcessesOf(options_.executable) > 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return ProcessesOf(options_.executable);
  }

  void System(const std::string& sid, const std::string& logpages, const std::string& more = "") {
    ProfileFields fields;
    fields.destination = sid;
    WriteProfile(sid, fields);
    WriteSystem(fields,
                "lastcoll Mon Dec  7 10:11:12 2026\nst04line\nLOGPAGES " + logpages + "\n" + more);
  }

  RunOptions options_;
};

TEST_F(DeadlineE2eTest, AScanThatStopsAnsweringIsError1044InTime) {
  const struct {
    const char* fail;
    const char* step;
  } cases[] = {
      {"fail hang open", "RfcOpen"},
      {"fail hang GET_CPU_ALL", "GET_CPU_ALL"},
      {"fail hang RFC_SYSTEM_INFO", "RFC_SYSTEM_INFO"},
      {"fail hang ADA_ST04", "ADA_ST04"},
  };
  WriteProfile("PRD");
  const std::string profile = box.ReadFile("PRD.P00");
  for (const auto& c : cases) {
    WriteSystem(ProfileFields{}, std::string(c.fail) + "\n");
    SensorResult r = RunSensor({"PRD", "@", "timeout=2"}, options_);
    EXPECT_EQ(r.exit_code, 2) << c.step;
    EXPECT_LT(r.seconds, 3.0) << c.step;
    EXPECT_EQ(
        DocumentPart(r.out),
        ErrorDocument(std::string("Error 1044: No answer from PRD within 2 s (") + c.step + ") !"))
        << r.out;
    EXPECT_EQ(box.ReadFile("PRD.P00"), profile) << c.step;
    EXPECT_EQ(Leftovers(), 0) << c.step;
  }
}

TEST_F(DeadlineE2eTest, AHungSystemIsATimeoutAndTheOthersAreReportedInTime) {
  for (const char* sid : {"PRD", "QAS", "DEV"}) System(sid, "1000");
  System("HUNG", "1000", "fail hang ADA_ST04\n");
  box.WriteFile("Tessarin.Prf", "# Gsng: systems     PRD.P00#HUNG.P00#QAS.P00#DEV.P00#\n");
  SensorResult r = RunSensor({"x", "Item=LogWrites", "@ timeout=3"}, options_);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_LT(r.seconds, 3.0);
  EXPECT_EQ(MaskedTimes(r.out),
            "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* hh:mm:ss Item=LogWrites State=Executing\n"
            "\n<Prtg>\n\n" +
                Channel("PRD.P00", "0") +
                "\n* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processed\n"
                "\n* hh:mm:ss HUNG.P00, sapprd01, HUNG, 02, 100 State=Timeout\n" +
                Channel("QAS.P00", "0") +
                "\n* hh:mm:ss QAS.P00, sapprd01, QAS, 02, 100 State=Processed\n" +
                Channel("DEV.P00", "0") +
                "\n* hh:mm:ss DEV.P00, sapprd01, DEV, 02, 100 State=Processed\n"
                "\n<Text>(***) LogWrites: NoSystems=4, Processed=3, Failed=1 - HUNG.P00: "
                "Timeout (ADA_ST04)</Text>\n\n</Prtg>\n\n"
                "\n* hh:mm:ss SAP Quillmeter now processed...\n");
  for (const char* sid : {"PRD", "QAS", "DEV"})
    EXPECT_NE(box.ReadFile(std::string(sid) + ".P00").find("# Alm Tessarin.Prf/LogWrites Date="),
              std::string::npos)
        << sid;
  EXPECT_EQ(box.ReadFile("HUNG.P00").find("# Alm"), std::string::npos);
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(DeadlineE2eTest, TheListingsTimeoutSetsTheRunsTimeUnlessTheCommandLineGivesOne) {
  System("PRD", "1000");
  System("HUNG", "1000", "fail hang ADA_ST04\n");
  auto listing = [&](const std::string& timeout) {
    box.WriteFile("SAP Tessarin.Gbl",
                  "# GSNG: SENS1       PRD.P00#HUNG.P00#\n"
                  "# GSNX: SENS1     :Item=LogWrites," +
                      timeout + ",Sensor=\"SAP Quillmeter\"\n");
  };
  const std::string summary =
      "Processed=1, Failed=1 - HUNG.P00: Timeout (ADA_ST04)</Text>\n\n</Prtg>\n\n";
  // Any letter case; the workers are stopped shortly before that time.
  listing("timeout=3");
  SensorResult r = RunSensor({"global", "sens1", "@"}, options_);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_LT(r.seconds, 3.0);
  EXPECT_GT(r.seconds, 2.0);
  EXPECT_NE(r.out.find(Channel("PRD.P00", "0")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(summary), std::string::npos) << r.out;

  listing("TIMEOUT=30");
  r = RunSensor({"global", "sens1", "@ TIMEOUT=2"}, options_);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_LT(r.seconds, 2.0) << "the command line wins";
  EXPECT_NE(r.out.find(summary), std::string::npos) << r.out;
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(DeadlineE2eTest, AScanWaitingForAnotherScansTurnNamesThatScan) {
  for (const char* sid : {"HNG", "DEM", "PRD"}) {
    System(sid, "1000", std::string(sid) == "HNG" ? "fail hang open\n" : "");
    if (std::string(sid) != "PRD")
      box.WriteFile(std::string("SapRfc.") + sid, std::string("DEST=") + sid + "\n");
  }
  // A scan that hangs in its open holds SapRfc.ini's lock, and names itself
  // in the lock file.
  SensorResult r = RunSensor({"HNG", "@", "timeout=1"}, options_);
  EXPECT_EQ(DocumentPart(r.out),
            ErrorDocument("Error 1044: No answer from HNG within 1 s (RfcOpen) !"));
  EXPECT_EQ(box.ReadFile("SapRfc.lck"), "HNG");

  // While it holds the lock (this test, in its stead), the others wait and
  // say so.
  const int lock = open(box.Path("SapRfc.lck").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  r = RunSensor({"DEM", "@", "timeout=2"}, options_);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(DocumentPart(r.out),
            ErrorDocument("Error 1044: No answer from DEM within 2 s (waiting for SapRfc.lck, held "
                          "by the scan of HNG) !"));
  box.WriteFile("Tessarin.Prf", "# Gsng: systems     PRD.P00#DEM.P00#\n");
  r = RunSensor({"x", "Item=LogWrites", "@ timeout=2"}, options_);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("Processed=1, Failed=1 - DEM.P00: Timeout (waiting for SapRfc.lck, held by "
                       "the scan of HNG)</Text>"),
            std::string::npos)
      << r.out;
  ASSERT_EQ(ftruncate(lock, 0), 0);
  r = RunSensor({"DEM", "@", "timeout=1"}, options_);
  EXPECT_EQ(DocumentPart(r.out),
            ErrorDocument("Error 1044: No answer from DEM within 1 s (waiting for SapRfc.lck, held "
                          "by another scan) !"));
  close(lock);

  // Free again, the scan goes through and leaves the lock file naming nobody.
  r = RunSensor({"DEM", "@"}, options_);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(box.ReadFile("SapRfc.lck"), "");
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(DeadlineE2eTest, OneSystemAtATimeIsolatesAsWell) {
  System("PRD", "1000");
  System("QAS", "1000", "fail handler ADA_ST04\n");
  box.WriteFile("Tessarin.Prf", "# Gsng: systems     QAS.P00#PRD.P00#\n");
  SensorResult r = RunSensor({"x", "Item=LogWrites", "JOBS=1"}, options_);
  EXPECT_EQ(r.exit_code, 2) << "the profiles are not in a sensor folder";
  r = RunSensor({"x", "Item=LogWrites", "@ JOBS=1"}, options_);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find(Channel("PRD.P00", "0")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Processed=1, Failed=1 - QAS.P00: Rfc Failure (RFC error - "
                       "operation/code: RfcCall ADA_ST04 - key: SYSTEM_FAILURE - message: "
                       "Connection to simulated system QAS broken)</Text>"),
            std::string::npos)
      << r.out;
}

TEST_F(DeadlineE2eTest, NoWorkerOutlivesASensorThatPrtgKills) {
  for (const char* sid : {"PRD", "QAS", "DEV", "TST"}) System(sid, "1000", "fail hang open\n");
  box.WriteFile("Tessarin.Prf", "# Gsng: systems     PRD.P00#QAS.P00#DEV.P00#TST.P00#\n");
  options_.kill_after_ms = 700;
  SensorResult r = RunSensor({"x", "Item=LogWrites", "@ timeout=60"}, options_);
  EXPECT_EQ(r.exit_code, -1) << "killed";
  EXPECT_EQ(Leftovers(), 0);
}

}  // namespace
}  // namespace quillmeter
