// The built simulated librfc32, loaded into this process through the
// sensor's own loader, with the records the sensor fills.
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <sstream>

#include "rfc/failure.h"
#include "rfc/logon.h"
#include "rfc/rfc_library.h"
#include "rfc/trace_file.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

class SimulatedLibraryTest : public SensorTest {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    saved_dir_ = cwd;
    // The library reads and writes its files in the working directory.
    ASSERT_EQ(chdir(box.dir().c_str()), 0);
    WriteSystem(ProfileFields{}, more_description_);
    RecordLibraryCalls();
    Status loaded = LoadRfcLibrary(platform_, &rfc_);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    failure_ = std::make_unique<FailureReporter>(*rfc_, sink_, platform_);
    session_ = std::make_unique<RfcSession>(RfcSession{*rfc_, *failure_, log_});
    request_.profile_name = "PRD.P00";
    ConnectionProfile& p = profile();
    p.destination = "PRD";
    p.client = "100";
    p.user = "MONITOR";
    p.password = "Secret12";
    p.language = "E";
    p.mode = "R/3";
    p.host_name = "sapprd01";
    p.system_number = "02";
  }
  void TearDown() override {
    if (session_) CloseConnection(*session_);
    ASSERT_EQ(chdir(saved_dir_.c_str()), 0);
  }

  RfcLibrary& rfc() { return *rfc_; }
  ConnectionProfile& profile() { return request_.profile; }
  // Opens through the sensor's own logon; the handle, 0 when it failed.
  RFC_HANDLE Open() {
    std::string note;
    (void)OpenConnection(*session_, platform_, request_, &note);
    return session_->handle;
  }
  void Close() { CloseConnection(*session_); }
  RFC_HANDLE connection() const { return session_->handle; }

  // Installs a structure of `count` character fields of `length` each.
  RFC_TYPEHANDLE Install(const char* name, unsigned count, unsigned length, RFC_RC* rc) {
    std::vector<RFC_TYPE_ELEMENT> fields(count);
    for (auto& f : fields) f = {const_cast<char*>("F"), kRfcTypeChar, length, 0, 0};
    RFC_TYPEHANDLE handle = 0;
    *rc = rfc().RfcInstallStructure(const_cast<char*>(name), fields.data(), count, &handle);
    return handle;
  }

  std::ostringstream out;
  std::string more_description_;

 private:
  // These tests make the library fail only where it reports by result.
  struct : FailureSink {
    void Report(const LibraryFailure&) override {}
    void Aborted() override {}
  } sink_;
  Platform& platform_ = SystemPlatform();
  std::unique_ptr<RfcLibrary> rfc_;
  std::unique_ptr<FailureReporter> failure_;
  CallLog log_;
  std::unique_ptr<RfcSession> session_;
  OpenRequest request_;
  std::string saved_dir_;
};

TEST_F(SimulatedLibraryTest, OpenBothWaysShowsWhatEachRecordCarried) {
  profile().user = "MON";
  profile().gateway_host = "";
  profile().gateway_service = "sapgw02";
  box.WriteFile("PRD.simrfc", "client 100\nuser MON\npassword Secret12\n");
  EXPECT_NE(Open(), 0u);
  Close();
  profile().mode = "R/2";
  profile().gateway_host = "gw01";
  profile().gateway_service = "";
  EXPECT_NE(Open(), 0u);
  Close();
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  EXPECT_NE(Open(), 0u);
  std::string calls = LibraryCalls();
  EXPECT_NE(calls.find("RfcOpen destination=[PRD] mode=0 client=[100] user=[MON         ] "
                       "password=[Secret12  ] language=[E] trace=0 hostname=[sapprd01] sysnr=2 "
                       "gateway_host=(null) gateway_service=[sapgw02]\n"),
            std::string::npos)
      << calls;
  EXPECT_NE(calls.find("RfcOpen destination=[PRD] mode=1 client=[100] user=[MON         ] "
                       "password=[Secret12  ] language=[E] trace=0 gateway_host=[gw01] "
                       "gateway_service=(null)\n"),
            std::string::npos)
      << calls;
  EXPECT_NE(calls.find("RfcOpenEx [CLIENT=100 USER=MON PASSWD=Secret12 LANG=D DEST=PRD]\n"),
            std::string::npos)
      << calls;
}

TEST_F(SimulatedLibraryTest, UnknownDestinationSaysWhatTheLibraryIs) {
  profile().destination = "QAS";
  EXPECT_EQ(Open(), 0u);
  RFC_ERROR_INFO error{};
  rfc().RfcLastError(&error);
  EXPECT_STREQ(error.key, "UNKNOWN_DESTINATION");
  EXPECT_NE(std::string(error.message).find("simulated library"), std::string::npos);
  EXPECT_NE(std::string(error.message).find("SAP's librfc32 in its place"), std::string::npos);
  EXPECT_LT(strnlen(error.message, sizeof error.message), sizeof error.message);
}

TEST_F(SimulatedLibraryTest, RefusedLogonLeavesAScannableTrace) {
  profile().password = "Wrong";
  EXPECT_EQ(Open(), 0u);
  EXPECT_EQ(TraceHint(SystemPlatform()), " - Name or password is incorrect (repeat logon)");
}

TEST_F(SimulatedLibraryTest, AnswersSystemInfoInTheRfcsiLayout) {
  ASSERT_NE(Open(), 0u);
  RFC_RC rc;
  RFC_TYPEHANDLE rfcsi = Install("RFCSI", 1, 200, &rc);
  ASSERT_EQ(rc, kRfcOk);
  char record[200];
  int resources = 0;
  RFC_PARAMETER importing[] = {
      {const_cast<char*>("CURRENT_RESOURCES"), 17, kRfcTypeInt, 4, &resources},
      {const_cast<char*>("RFCSI_EXPORT"), 12, rfcsi, 200, record},
      {nullptr, 0, 0, 0, nullptr}};
  RFC_PARAMETER none[] = {{nullptr, 0, 0, 0, nullptr}};
  ASSERT_EQ(rfc().RfcCall(connection(), const_cast<char*>("RFC_SYSTEM_INFO"), none, nullptr),
            kRfcOk);
  char* exception = nullptr;
  ASSERT_EQ(rfc().RfcReceive(connection(), importing, nullptr, &exception), kRfcOk);
  EXPECT_EQ(std::string(record + 45, 8), "sapprd01");      // RFCHOST
  EXPECT_EQ(std::string(record + 101, 10), "ADABAS D  ");  // RFCDBSYS
  EXPECT_EQ(resources, 5);
}

TEST_F(SimulatedLibraryTest, St04LinesHoldFixedDottedAndGrowingCounters) {
  box.WriteFile("PRD.simrfc",
                "lastcoll Wed Jun  1 09:05:07 2011\nepoch 0\n"
                "st04line\nLOGPAGES 100\n"
                "st04line\nLOGPAGES 5000000000\nLOGWAITS 1234567 dotted\n"
                "ROLLBACKS 1000 + 2/s\nQUEUEOVER \"x\"\n");
  ASSERT_NE(Open(), 0u);
  RFC_RC rc;
  RFC_TYPEHANDLE line_type = Install("TST04SQD", 1, 860, &rc);
  ITAB_H table = rfc().ItCreate(const_cast<char*>("TST04ADA"), 860, 0, 0);
  ASSERT_NE(table, nullptr);
  RFC_TABLE tables[] = {{const_cast<char*>("TST04ADA"), 8, line_type, 860, table, 0, 0},
                        {nullptr, 0, 0, 0, nullptr, 0, 0}};
  RFC_PARAMETER none[] = {{nullptr, 0, 0, 0, nullptr}};
  ASSERT_EQ(rfc().RfcCall(connection(), const_cast<char*>("ADA_ST04"), none, tables), kRfcOk);
  char* exception = nullptr;
  std::time_t before = std::time(nullptr);
  ASSERT_EQ(rfc().RfcReceive(connection(), none, tables, &exception), kRfcOk);
  std::time_t after = std::time(nullptr);
  ASSERT_EQ(rfc().ItFill(table), 2u);
  std::string first(static_cast<char*>(rfc().ItGetLine(table, 1)), 860);
  std::string last(static_cast<char*>(rfc().ItGetLine(table, 2)), 860);
  EXPECT_EQ(rfc().ItGetLine(table, 3), nullptr);
  EXPECT_EQ(first.substr(652, 26), std::string(23, ' ') + "100");
  EXPECT_EQ(last.substr(652, 26), std::string(16, ' ') + "5000000000");
  EXPECT_EQ(last.substr(678, 26), std::string(17, ' ') + "1.234.567");
  EXPECT_EQ(last.substr(730, 26), "x" + std::string(25, ' '));
  long long rollbacks = std::stoll(last.substr(106, 26));
  EXPECT_GE(rollbacks, 1000 + 2LL * before);
  EXPECT_LE(rollbacks, 1000 + 2LL * after);
  EXPECT_EQ(rfc().ItDelete(table), 0);
}

TEST_F(SimulatedLibraryTest, CpuAllCarriesTheCollectionText) {
  box.WriteFile("PRD.simrfc", "lastcoll Wed Jun  1 09:05:07 2011\ncpulines 3\n");
  ASSERT_NE(Open(), 0u);
  RFC_RC rc;
  RFC_TYPEHANDLE cpu_all = Install("CPU_ALL", 1, 48, &rc);
  ITAB_H table = rfc().ItCreate(const_cast<char*>("TF_CPU_ALL"), 48, 0, 0);
  RFC_TABLE tables[] = {{const_cast<char*>("TF_CPU_ALL"), 10, cpu_all, 48, table, 0, 0},
                        {nullptr, 0, 0, 0, nullptr, 0, 0}};
  char collection[25];
  RFC_PARAMETER importing[] = {{const_cast<char*>("LASTCOLLWRT"), 11, kRfcTypeChar, 25, collection},
                               {nullptr, 0, 0, 0, nullptr}};
  RFC_PARAMETER none[] = {{nullptr, 0, 0, 0, nullptr}};
  ASSERT_EQ(rfc().RfcCall(connection(), const_cast<char*>("GET_CPU_ALL"), none, tables), kRfcOk);
  char* exception = nullptr;
  ASSERT_EQ(rfc().RfcReceive(connection(), importing, tables, &exception), kRfcOk);
  EXPECT_EQ(std::string(collection, 25), "Wed Jun  1 09:05:07 2011 ");
  EXPECT_EQ(rfc().ItFill(table), 3u);
  rfc().ItDelete(table);
}

// Runs the ADA_ST04 sequence until it fails; returns what failed and how.
std::string FirstFailure(RfcLibrary& rfc, RFC_HANDLE connection) {
  std::vector<RFC_TYPE_ELEMENT> fields(1, {const_cast<char*>("F"), kRfcTypeChar, 860, 0, 0});
  RFC_TYPEHANDLE type = 0;
  if (RFC_RC rc = rfc.RfcInstallStructure(const_cast<char*>("TST04SQD"), fields.data(), 1, &type))
    return "install " + std::to_string(rc);
  ITAB_H table = rfc.ItCreate(const_cast<char*>("TST04ADA"), 860, 0, 0);
  if (table == nullptr) return "itcreate";
  RFC_TABLE tables[] = {{const_cast<char*>("TST04ADA"), 8, type, 860, table, 0, 0},
                        {nullptr, 0, 0, 0, nullptr, 0, 0}};
  RFC_PARAMETER none[] = {{nullptr, 0, 0, 0, nullptr}};
  if (RFC_RC rc = rfc.RfcCall(connection, const_cast<char*>("ADA_ST04"), none, tables))
    return "call " + std::to_string(rc);
  char* exception = nullptr;
  if (RFC_RC rc = rfc.RfcReceive(connection, none, tables, &exception))
    return "receive " + std::to_string(rc) + (exception ? std::string(" ") + exception : "");
  if (rfc.ItGetLine(table, 1) == nullptr) return "itgetline";
  if (rfc.ItDelete(table) != 0) return "itdelete";
  return "none";
}

TEST_F(SimulatedLibraryTest, FailsOnDemandAtEveryPointWithTrace) {
  const struct {
    const char* description;
    const char* failure;
  } cases[] = {
      {"", "none"},
      {"fail install TST04SQD", "install 1"},
      {"fail itcreate", "itcreate"},
      {"fail call ADA_ST04 1", "call 1"},
      {"fail call ADA_ST04 3", "call 3"},
      {"fail receive ADA_ST04", "receive 1"},
      {"fail receive ADA_ST04 2 NO_DATA", "receive 2 NO_DATA"},
      {"fail receive ADA_ST04 2", "receive 2 NOT_FOUND"},
      {"fail receive ADA_ST04 3", "receive 3 SYSTEM_FAILURE"},
      {"fail receive * 7", "receive 7"},
      {"fail receive GET_CPU_ALL 3", "none"},
      {"fail itgetline TST04ADA", "itgetline"},
      {"fail itdelete TST04ADA", "itdelete"},
  };
  for (const auto& c : cases) {
    box.WriteFile("Dev_Rfc.Trc", "");
    WriteSystem(ProfileFields{}, std::string(c.description) + "\n");
    ASSERT_NE(Open(), 0u) << c.description;
    EXPECT_EQ(FirstFailure(rfc(), connection()), c.failure) << c.description;
    std::string trace = box.ReadFile("Dev_Rfc.Trc");
    if (std::string(c.failure) == "none") {
      EXPECT_EQ(trace, "") << c.description;
    } else {
      EXPECT_NE(trace.find("\n**** ERROR "), std::string::npos) << c.description;
      EXPECT_EQ(trace.find("======> ", trace.rfind('\n', trace.size() - 2)) -
                    trace.rfind('\n', trace.size() - 2),
                8u)
          << c.description << ": " << trace;
    }
    Close();
  }
}

TEST_F(SimulatedLibraryTest, TraceStylesGiveEachHint) {
  const struct {
    const char* style;
    const char* hint;
  } cases[] = {
      {"full", " - Call of ADA_ST04 in simulated system PRD failed (result 1)"},
      {"bare", " - Please Check Trace-File !"},
      {"off", " - Look for Trace-File"},
  };
  for (const auto& c : cases) {
    std::remove("Dev_Rfc.Trc");
    WriteSystem(ProfileFields{}, std::string("fail call ADA_ST04\ntrace ") + c.style + "\n");
    ASSERT_NE(Open(), 0u);
    FirstFailure(rfc(), connection());
    EXPECT_EQ(TraceHint(SystemPlatform()), c.hint) << c.style;
    Close();
  }
}

}  // namespace
}  // namespace quillmeter
