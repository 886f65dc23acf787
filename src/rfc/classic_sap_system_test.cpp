// The classic library's side of the seam, against the simulated librfc32
// beside this test executable, as the sensor finds it beside its own.
#include "rfc/classic_sap_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/fake_platform.h"
#include "rfc/remote_call.h"
#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

class ClassicSapSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The library reads and writes its files in the working directory.
    saved_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("quillmeter-classic-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    Write("SimRfc.log", "");
    Write("PRD.simrfc",
          "client 100\nuser MONITOR\npassword Secret12\nlastcoll Wed Jun  1 09:05:07 2011\n"
          "st04line\nLOGPAGES 1\nst04line\nLOGPAGES 2\n");
    Status loaded = LoadClassicLibrary(SystemPlatform(), sink_, &library_);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    ConnectionProfile& p = request.profile;
    p.destination = "PRD";
    p.client = "100";
    p.user = "MONITOR";
    p.password = "Secret12";
    p.language = "E";
    p.mode = "R/3";
    p.host_name = "sapprd01";
    p.system_number = "02";
    request.profile_name = "PRD.P00";
  }
  void TearDown() override {
    system_.reset();  // a session ends before its library
    library_.reset();
    fs::current_path(saved_dir_);
    fs::remove_all(dir_);
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The last line of the library's log that starts with `prefix`.
  std::string LastLogged(const std::string& prefix) {
    std::istringstream log(Read("SimRfc.log"));
    std::string line, last;
    while (std::getline(log, line))
      if (line.rfind(prefix, 0) == 0) last = line;
    return last;
  }

  // Opens a session with `request`; the session stays open until the next.
  Status Open() {
    system_ = library_->NewSystem(CallLog());
    note_.clear();
    return system_->Open(request, &note_);
  }

  OpenRequest request;
  std::unique_ptr<SapSystem> system_;
  std::string note_;

 private:
  fs::path dir_, saved_dir_;
  struct : FailureSink {
    void Report(const LibraryFailure&) override {}
    void Aborted() override {}
  } sink_;
  std::unique_ptr<SapLibrary> library_;
};

TEST_F(ClassicSapSystemTest, TheOptionsRecordCarriesTheProfileAsTheLibraryTakesIt) {
  struct Case {
    const char* name;
    void (*change)(OpenRequest&);
    const char* logged;  // a part of the RfcOpen line
  } cases[] = {
      {"padding", [](OpenRequest&) {},
       "user=[MONITOR     ] password=[Secret12  ] language=[E] trace=0 hostname=[sapprd01] "
       "sysnr=2 gateway_host=(null) gateway_service=(null)"},
      {"empty overrides",
       [](OpenRequest& r) {
         r.overrides = {std::string(), std::string()};
       },
       "hostname=(null) sysnr=2"},  // an empty number keeps the one of the last open
      {"long values stay whole",
       [](OpenRequest& r) {
         r.profile.user = "ABCDEFGHIJKLMNO";
         r.profile.password = "0123456789ABC";
       },
       "user=[ABCDEFGHIJKLMNO] password=[0123456789ABC]"},
      {"only R/2 is the gateway record",
       [](OpenRequest& r) {
         r.profile.mode = "R/2";
         r.profile.gateway_host = "gw01";
       },
       "mode=1 client=[100] user=[MONITOR     ] password=[Secret12  ] language=[E] trace=0 "
       "gateway_host=[gw01] gateway_service=(null)"},
      {"r/2 is not", [](OpenRequest& r) { r.profile.mode = "r/2"; }, "mode=0"},
      {"empty host is null", [](OpenRequest& r) { r.profile.host_name = ""; }, "hostname=(null)"},
      {"system number", [](OpenRequest& r) { r.profile.system_number = " 7x"; }, "sysnr=7"},
      {"absurd number", [](OpenRequest& r) { r.profile.system_number = "99999999999999"; },
       "sysnr=2147483647"},
      {"overrides",
       [](OpenRequest& r) {
         r.overrides = {std::string("SapPrd02"), std::string("11")};
       },
       "hostname=[SapPrd02] sysnr=11"},
  };
  Write("PRD.simrfc", "client 100\n");  // takes any user and password
  for (const Case& c : cases) {
    OpenRequest saved = request;
    c.change(request);
    EXPECT_TRUE(Open().ok()) << c.name;
    EXPECT_NE(LastLogged("RfcOpen ").find(c.logged), std::string::npos)
        << c.name << ": " << LastLogged("RfcOpen ");
    EXPECT_EQ(note_, "") << c.name;
    request = saved;
  }
}

TEST_F(ClassicSapSystemTest, AConnectFileIsCopiedAndRefusalsComeBeforeAnyLogon) {
  Write("SapRfc.PRD", "DEST=PRD\r\nTYPE=A\n");
  ASSERT_TRUE(Open().ok());
  EXPECT_EQ(note_, "* SapRfc.Ini.......: PRD<");
  EXPECT_EQ(Read("SapRfc.ini"), "DEST=PRD\r\nTYPE=A\n");
  EXPECT_EQ(LastLogged("RfcOpenEx"),
            "RfcOpenEx [CLIENT=100 USER=MONITOR PASSWD=Secret12 LANG=D DEST=PRD]");

  struct Case {
    const char* name;
    void (*change)(OpenRequest&);
    std::string message;
    std::string cause = "";
  } cases[] = {
      {"blank in the user", [](OpenRequest& r) { r.profile.user = "MON ITOR"; },
       "Error 1042: User in Profile PRD.P00 holds a character not allowed in the RFC connect "
       "string !"},
      {"blank in PRTG's password",
       [](OpenRequest& r) {
         r.profile.password = "Sec ret";
         r.profile.password_variable = "prtg_windowspassword";
       },
       "Error 1042: Password in Profile PRD.P00 holds a character not allowed in the RFC connect "
       "string !",
       "it comes from PRTG's prtg_windowspassword"},
      {"key in the client", [](OpenRequest& r) { r.profile.client = "1=2"; },
       "Error 1042: Client in Profile PRD.P00 holds a character not allowed in the RFC connect "
       "string !"},
      {"path as destination", [](OpenRequest& r) { r.profile.destination = "../PRD"; },
       "Error 1043: Destination in Profile PRD.P00 is no plain name !"},
  };
  for (const Case& c : cases) {
    OpenRequest saved = request;
    c.change(request);
    Write("SimRfc.log", "");
    Status refused = Open();
    EXPECT_EQ(refused.message(), c.message) << c.name;
    EXPECT_EQ(refused.cause(), c.cause) << c.name;
    EXPECT_EQ(Read("SimRfc.log").find("RfcOpen"), std::string::npos) << c.name;
    request = saved;
  }

  // A SapRfc.ini that cannot be replaced opens nothing, and says why.
  fs::remove(fs::current_path() / "SapRfc.ini");
  fs::create_directories(fs::current_path() / "SapRfc.ini" / "busy");
  Write("SimRfc.log", "");
  Status failed = Open();
  EXPECT_EQ(failed.message(), "Error 1011: RFC-Open for PRD failed !");
  EXPECT_EQ(failed.cause().rfind("SapRfc.ini cannot be written: ", 0), 0u) << failed.cause();
  EXPECT_EQ(Read("SimRfc.log").find("RfcOpen"), std::string::npos);
}

TEST_F(ClassicSapSystemTest, QueriesAnswerAndStructuresAreInstalledOnce) {
  for (int session = 0; session < 2; ++session) {
    ASSERT_TRUE(Open().ok());
    std::string collection, line;
    SystemInfo info;
    ASSERT_TRUE(system_->ReadCollectionTime(&collection).ok());
    ASSERT_TRUE(system_->ReadSystemInfo(&info).ok());
    ASSERT_TRUE(system_->ReadMonitorLine(&line).ok());
    EXPECT_EQ(collection, "Wed Jun  1 09:05:07 2011 ");
    EXPECT_EQ(info.database_system, "ADABAS D  ");
    EXPECT_EQ(info.host, "simhost ");
    ASSERT_EQ(line.size(), kMonitorLineLength);
    EXPECT_EQ(line.substr(MonitorFieldPlace("LOGPAGES")->offset, 26), std::string(25, ' ') + "2")
        << "the last line is the sample";
    system_->Close();
  }
  std::string log = Read("SimRfc.log");
  for (const char* structure : {"RFCSI", "CPU_ALL", "TST04SQD"}) {
    size_t first = log.find(std::string("RfcInstallStructure ") + structure + " ");
    EXPECT_NE(first, std::string::npos) << structure;
    EXPECT_EQ(log.find(std::string("RfcInstallStructure ") + structure + " ", first + 1),
              std::string::npos)
        << structure;
  }
  EXPECT_NE(log.find("RfcInstallStructure TST04SQD count=34 length=860"), std::string::npos);
}

TEST_F(ClassicSapSystemTest, AFailedQueryCarriesItsMessageAndTheTraceFilesHint) {
  Write("PRD.simrfc", "fail receive GET_CPU_ALL 2 NO_DATA\nst04line none\n");
  ASSERT_TRUE(Open().ok());
  std::string text = "untouched";
  Status failed = system_->ReadCollectionTime(&text);
  EXPECT_EQ(failed.message(),
            "Error 1012: Exception.: NO_DATA - Receive of GET_CPU_ALL in simulated system PRD "
            "failed (result 2)");
  EXPECT_EQ(text, "untouched");
  std::string line = "untouched";
  EXPECT_TRUE(system_->ReadMonitorLine(&line).ok());
  EXPECT_EQ(line, "") << "an empty table has no sample line";
}

TEST(RemoteCallTest, ResultCodesAndExceptionNames) {
  struct Case {
    RFC_RC code;
    const char* exception;
    const char* message;
  } cases[] = {
      {kRfcOk, "", ""},
      {kRfcFailure, "", "Error 1014: RFC-Failure raised !"},
      {kRfcException, "NO_DATA", "Error 1012: Exception.: NO_DATA"},
      {kRfcException, "", "Error 1012: Exception.: "},
      {kRfcSysException, "X", "Error 1013: Sys-Exception raised !"},
      {4, "", "Error 1015: Other Failure raised !"},
      {-1, "", "Error 1015: Other Failure raised !"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QueryFailureMessage(c.code, c.exception), c.message) << c.code;
  // The name is the library's memory: an unterminated one is cut at its room.
  std::vector<char> name(kExceptionNameRoom + 10, 'X');
  EXPECT_EQ(ExceptionName(name.data()), std::string(kExceptionNameRoom, 'X'));
  EXPECT_EQ(ExceptionName(nullptr), "");
}

// A platform whose library search finds `searched`, as Windows' does.
class SearchingPlatform : public FakePlatform {
 public:
  std::string FindLibrary(const std::string& file) override {
    return file == RfcLibraryFileName() ? searched : std::string();
  }
  std::string searched;
};

// The first bytes of a PE image built for `machine`.
std::string PeHeader(unsigned machine) {
  std::string header(0x46, '\0');
  header.replace(0, 2, "MZ");
  header[0x3C] = 0x40;
  header.replace(0x40, 4, std::string("PE\0\0", 4));
  header[0x44] = static_cast<char>(machine & 0xFF);
  header[0x45] = static_cast<char>(machine >> 8);
  return header;
}

TEST(RfcLibraryLoadTest, ALibraryOfTheOtherBitnessIsNamedWhereverItIsFound) {
  const std::string file = RfcLibraryFileName();
  const std::string beside = "/opt/quillmeter/" + file;
  const std::string searched = "C:\\Windows\\SysWOW64\\" + file;
  struct : FailureSink {
    void Report(const LibraryFailure&) override {}
    void Aborted() override {}
  } sink;
  for (bool on_search_path : {false, true}) {
    SearchingPlatform platform;
    platform.files[platform.ExecutablePath()] = PeHeader(0x8664);
    platform.searched = searched;
    platform.files[on_search_path ? searched : beside] = PeHeader(0x014C);
    std::unique_ptr<SapLibrary> library;
    EXPECT_EQ(LoadClassicLibrary(platform, sink, &library).message(),
              "Error 1040: RFC library " + (on_search_path ? searched : beside) +
                  " is a 32-bit library and this quillmeter.exe is 64-bit: use the win32 package !")
        << on_search_path;
  }
}

TEST(RfcLibraryLoadTest, AMissingLibraryOrOperationIsNamed) {
  FakePlatform platform;
  struct : FailureSink {
    void Report(const LibraryFailure&) override {}
    void Aborted() override {}
  } sink;
  std::unique_ptr<SapLibrary> library;
  const std::string file = RfcLibraryFileName();
  Status missing = LoadClassicLibrary(platform, sink, &library);
  EXPECT_EQ(missing.message(), "Error 1040: RFC library " + file + " cannot be loaded (" +
                                   "/opt/quillmeter/" + file + ": cannot open shared object " +
                                   "file: No such file or directory; " + file + ": cannot " +
                                   "open shared object file: No such file or directory) !");
  EXPECT_EQ(platform.loads, (std::vector<std::string>{"/opt/quillmeter/" + file, file}));

  // Found on the search path, but without RfcOpenEx.
  static int dummy;
  std::map<std::string, void*> symbols;
  for (const char* name :
       {"RfcEnvironment", "RfcOpen", "RfcInstallStructure", "RfcCall", "RfcReceive", "RfcLastError",
        "RfcClose", "ItCreate", "ItFill", "ItGetLine", "ItDelete"})
    symbols[name] = &dummy;
  platform.libraries[file] = symbols;
  Status lacking = LoadClassicLibrary(platform, sink, &library);
  EXPECT_EQ(lacking.message(),
            "Error 1041: RFC library " + file +
                " lacks the operation RfcOpenEx (undefined symbol: RfcOpenEx) !");
  EXPECT_EQ(library, nullptr);
}

}  // namespace
}  // namespace quillmeter
