// The simulated sapnwrfc at its boundary: loaded from beside this test
// executable as the sensor loads it, driven through its exported operations.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "nwrfc_abi.h"
#include "platform/platform.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr const char kLibrary[] = "sapnwrfc.dll";
#else
constexpr const char kLibrary[] = "libsapnwrfc.so";
#endif

struct Api {
  RfcOpenConnectionFn open;
  RfcCloseConnectionFn close;
  RfcGetFunctionDescFn describe;
  RfcCreateFunctionFn create;
  RfcDestroyFunctionFn destroy;
  RfcInvokeFn invoke;
  RfcSetCharsFn set_chars;
  RfcGetCharsFn get_chars;
  RfcGetStructureFn structure;
  RfcGetTableFn table;
  RfcGetRowCountFn row_count;
  RfcMoveToLastRowFn last_row;
  RfcSetIniPathFn ini_path;
  RfcGetVersionFn version;
};

std::u16string U(const std::string& text) { return std::u16string(text.begin(), text.end()); }
std::string Narrow(const SAP_UC* text, size_t length) {
  std::string narrow;
  for (size_t i = 0; i < length && text[i] != 0; ++i) narrow.push_back(static_cast<char>(text[i]));
  return narrow;
}
std::string Key(const RFC_ERROR_INFO& e) { return Narrow(e.key, 128); }
std::string Message(const RFC_ERROR_INFO& e) { return Narrow(e.message, 512); }

class SimNwRfcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("quillmeter-simnwrfc-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    Write("SimRfc.log", "");
    Write("PRD.simrfc",
          "client 100\nuser MONITOR\npassword Secret12\nhost sapprd01\ndatabase ADABAS D\n"
          "lastcoll Wed Jun  1 09:05:07 2011\nst04line\nLOGPAGES 1\nst04line\nLOGPAGES 1234\n");
    Platform& platform = SystemPlatform();
    Status loaded = platform.LoadSharedLibrary(platform.ExecutableDir() + kLibrary, &library_);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    Resolve("RfcOpenConnection", &api.open);
    Resolve("RfcCloseConnection", &api.close);
    Resolve("RfcGetFunctionDesc", &api.describe);
    Resolve("RfcCreateFunction", &api.create);
    Resolve("RfcDestroyFunction", &api.destroy);
    Resolve("RfcInvoke", &api.invoke);
    Resolve("RfcSetChars", &api.set_chars);
    Resolve("RfcGetChars", &api.get_chars);
    Resolve("RfcGetStructure", &api.structure);
    Resolve("RfcGetTable", &api.table);
    Resolve("RfcGetRowCount", &api.row_count);
    Resolve("RfcMoveToLastRow", &api.last_row);
    Resolve("RfcSetIniPath", &api.ini_path);
    Resolve("RfcGetVersion", &api.version);
    // The library keeps the folder for the process: each test names its own.
    ASSERT_EQ(api.ini_path(U(dir_.string()).c_str(), nullptr), RFC_OK);
  }
  void TearDown() override {
    if (connection_ != nullptr) api.close(connection_, nullptr);
    fs::current_path(saved_dir_);
    fs::remove_all(dir_);
  }

  template <typename Function>
  void Resolve(const char* name, Function* function) {
    void* address = nullptr;
    ASSERT_TRUE(library_->Symbol(name, &address).ok()) << name;
    std::memcpy(function, &address, sizeof *function);
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

  // Opens with `parameters` (NAME=value); the connection, null on failure.
  RFC_CONNECTION_HANDLE Open(const std::vector<std::pair<std::string, std::string>>& parameters,
                             RFC_ERROR_INFO* error) {
    std::vector<std::u16string> texts;
    for (const auto& [name, value] : parameters) {
      texts.push_back(U(name));
      texts.push_back(U(value));
    }
    std::vector<RFC_CONNECTION_PARAMETER> list;
    for (size_t i = 0; i < texts.size(); i += 2)
      list.push_back({texts[i].c_str(), texts[i + 1].c_str()});
    connection_ = api.open(list.data(), static_cast<unsigned>(list.size()), error);
    return connection_;
  }
  RFC_CONNECTION_HANDLE OpenPrd(const std::string& password = "Secret12",
                                const std::string& language = "E") {
    RFC_ERROR_INFO error;
    return Open({{"ASHOST", "sapprd01"}, {"SYSNR", "02"}, {"CLIENT", "100"}, {"USER", "monitor"},
                 {"PASSWD", password}, {"LANG", language}},
                &error);
  }

  // Invokes `function` on the open connection; its container, null with
  // *error filled when the lookup, creation or call failed.
  RFC_FUNCTION_HANDLE Invoke(const std::string& function, RFC_ERROR_INFO* error,
                             RFC_RC* rc = nullptr) {
    RFC_FUNCTION_DESC_HANDLE desc = api.describe(connection_, U(function).c_str(), error);
    if (desc == nullptr) return nullptr;
    RFC_FUNCTION_HANDLE made = api.create(desc, error);
    if (made == nullptr) return nullptr;
    if (function == "GET_CPU_ALL") {
      EXPECT_EQ(api.set_chars(made, u"LOCAL_REMOTE", u"LOCAL", 5, nullptr), RFC_OK);
    }
    RFC_RC invoked = api.invoke(connection_, made, error);
    if (rc != nullptr) *rc = invoked;
    if (invoked == RFC_OK) return made;
    api.destroy(made, nullptr);
    return nullptr;
  }
  std::string Chars(DATA_CONTAINER_HANDLE h, const std::string& name, unsigned length,
                    RFC_RC* rc = nullptr, RFC_ERROR_INFO* error = nullptr) {
    std::u16string buffer(length, u'#');
    RFC_RC got = api.get_chars(h, U(name).c_str(), buffer.data(), length, error);
    if (rc != nullptr) *rc = got;
    return Narrow(buffer.c_str(), length);
  }

  Api api{};

 private:
  fs::path dir_, saved_dir_;
  std::unique_ptr<DynamicLibrary> library_;
  RFC_CONNECTION_HANDLE connection_ = nullptr;
};

TEST_F(SimNwRfcTest, TheThreeFunctionsAnswerByParameterAndFieldName) {
  unsigned major = 0, minor = 1, patch = 0;
  ASSERT_NE(api.version(&major, &minor, &patch), nullptr);
  EXPECT_EQ(major * 10000 + minor * 100 + patch, 75000012u);
  ASSERT_NE(OpenPrd(), nullptr);

  RFC_ERROR_INFO error;
  RFC_FUNCTION_HANDLE info = Invoke("RFC_SYSTEM_INFO", &error);
  ASSERT_NE(info, nullptr) << Message(error);
  RFC_STRUCTURE_HANDLE rfcsi = nullptr;
  ASSERT_EQ(api.structure(info, u"RFCSI_EXPORT", &rfcsi, nullptr), RFC_OK);
  EXPECT_EQ(Chars(rfcsi, "RFCDBSYS", 12), "ADABAS D    ");  // blank-padded, unterminated
  EXPECT_EQ(Chars(rfcsi, "RFCSYSID", 8), "PRD     ");
  EXPECT_EQ(api.destroy(info, nullptr), RFC_OK);

  // The system's bytes are Windows-1252: the sensor gets back what it sent.
  Write("PRD.simrfc", Read("PRD.simrfc") + "database M\xE4xDB \x80\n");
  ASSERT_NE(OpenPrd(), nullptr);
  info = Invoke("RFC_SYSTEM_INFO", &error);
  ASSERT_NE(info, nullptr) << Message(error);
  ASSERT_EQ(api.structure(info, u"RFCSI_EXPORT", &rfcsi, nullptr), RFC_OK);
  SAP_UC database[10];
  ASSERT_EQ(api.get_chars(rfcsi, u"RFCDBSYS", database, 10, nullptr), RFC_OK);
  EXPECT_EQ(std::u16string(database, 10), u"M\u00E4xDB \u20AC   ");
  api.destroy(info, nullptr);

  RFC_FUNCTION_HANDLE cpu = Invoke("GET_CPU_ALL", &error);
  ASSERT_NE(cpu, nullptr) << Message(error);
  EXPECT_EQ(Chars(cpu, "LASTCOLLWRT", 25), "Wed Jun  1 09:05:07 2011 ");
  EXPECT_EQ(Chars(cpu, "ACTIVEFLAG", 3), "1  ");
  api.destroy(cpu, nullptr);

  RFC_FUNCTION_HANDLE st04 = Invoke("ADA_ST04", &error);
  ASSERT_NE(st04, nullptr) << Message(error);
  RFC_TABLE_HANDLE table = nullptr;
  unsigned rows = 0;
  ASSERT_EQ(api.table(st04, u"TST04ADA", &table, nullptr), RFC_OK);
  ASSERT_EQ(api.row_count(table, &rows, nullptr), RFC_OK);
  EXPECT_EQ(rows, 2u);
  ASSERT_EQ(api.last_row(table, nullptr), RFC_OK);
  EXPECT_EQ(Chars(table, "LOGPAGES", 26), std::string(22, ' ') + "1234");
  EXPECT_EQ(Chars(table, "LOGWAITS", 26), std::string(25, ' ') + "0");
  api.destroy(st04, nullptr);

  const std::string log = Read("SimRfc.log");
  EXPECT_NE(log.find("RfcOpenConnection ASHOST=[sapprd01] SYSNR=[02] CLIENT=[100] "
                     "USER=[monitor] PASSWD=[Secret12] LANG=[E]\n  handle "),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" GET_CPU_ALL importing=[LOCAL_REMOTE=[LOCAL ],LOGICAL_DESTINATION="),
            std::string::npos)
      << log;
}

TEST_F(SimNwRfcTest, FieldsAreCheckedAsTheLibraryChecksThem) {
  ASSERT_NE(OpenPrd(), nullptr);
  RFC_ERROR_INFO error;
  RFC_FUNCTION_DESC_HANDLE desc = api.describe(nullptr, u"RFC_SYSTEM_INFO", &error);
  EXPECT_EQ(desc, nullptr);
  EXPECT_EQ(error.code, RFC_INVALID_HANDLE);

  EXPECT_EQ(Invoke("NO_SUCH_MODULE", &error), nullptr);
  EXPECT_EQ(error.code, RFC_ABAP_EXCEPTION);
  EXPECT_EQ(Key(error), "FU_NOT_FOUND");
  EXPECT_EQ(Message(error), "ID:FL Type:E Number:046 NO_SUCH_MODULE");

  RFC_FUNCTION_HANDLE info = Invoke("RFC_SYSTEM_INFO", &error);
  ASSERT_NE(info, nullptr);
  RFC_STRUCTURE_HANDLE rfcsi = nullptr;
  ASSERT_EQ(api.structure(info, u"RFCSI_EXPORT", &rfcsi, nullptr), RFC_OK);
  RFC_RC rc;
  Chars(rfcsi, "RFCDBSYSX", 10, &rc, &error);
  EXPECT_EQ(rc, RFC_INVALID_PARAMETER);
  EXPECT_EQ(error.group, EXTERNAL_RUNTIME_FAILURE);
  EXPECT_EQ(Message(error), "field 'RFCDBSYSX' not found");
  Chars(rfcsi, "RFCDBSYS", 9, &rc, &error);
  EXPECT_EQ(rc, RFC_BUFFER_TOO_SMALL);
  EXPECT_EQ(api.set_chars(info, u"NO_FIELD", u"X", 1, nullptr), RFC_INVALID_PARAMETER);
  api.destroy(info, nullptr);
}

TEST_F(SimNwRfcTest, RefusalsCountTowardsTheLockInTheLogonsLanguage) {
  Write("PRD.simrfc", Read("PRD.simrfc") + "lockafter 2\n");
  EXPECT_EQ(OpenPrd("wrong", "D"), nullptr);
  RFC_ERROR_INFO error;
  EXPECT_EQ(Open({{"ASHOST", "SAPPRD01"}, {"SYSNR", "02"}, {"CLIENT", "100"},
                  {"USER", "MONITOR"}, {"PASSWD", "wrong"}, {"LANG", "DE"}},
                 &error),
            nullptr);
  EXPECT_EQ(error.code, RFC_LOGON_FAILURE);
  EXPECT_EQ(error.group, LOGON_FAILURE);
  EXPECT_EQ(Key(error), "RFC_LOGON_FAILURE");
  EXPECT_EQ(Message(error), "Name oder Kennwort ist nicht korrekt (Anmeldung wiederholen)");
  EXPECT_EQ(error.abapMsgClass[0], 0);
  // Locked now: the right password is refused as well, in English by default.
  EXPECT_EQ(OpenPrd(), nullptr);
  EXPECT_EQ(Open({{"ASHOST", "sapprd01"}, {"SYSNR", "02"}, {"CLIENT", "100"},
                  {"USER", "MONITOR"}, {"PASSWD", "Secret12"}},
                 &error),
            nullptr);
  EXPECT_EQ(Message(error), "User is locked. Please notify the person responsible");
  EXPECT_NE(Read("SimRfc.log").find("  logon refused (4 in a row), user locked"),
            std::string::npos);
  // A client the system lacks is refused too, and counts against nobody.
  Write("PRD.simrfc-logons", "0\n");
  EXPECT_EQ(Open({{"ASHOST", "sapprd01"}, {"CLIENT", "999"}}, &error), nullptr);
  EXPECT_EQ(error.code, RFC_LOGON_FAILURE);
  EXPECT_EQ(Message(error), "Client 999 is not available in this system");
  EXPECT_EQ(Read("PRD.simrfc-logons"), "0\n");
}

TEST_F(SimNwRfcTest, APartnerNotReachedIsTheNetworkLayersBlock) {
  Write("PRD.simrfc", Read("PRD.simrfc") + "fail open\n");
  RFC_ERROR_INFO error;
  EXPECT_EQ(OpenPrd(), nullptr);
  EXPECT_EQ(Open({{"ASHOST", "sapprd01"}, {"SYSNR", "02"}}, &error), nullptr);
  EXPECT_EQ(error.code, RFC_COMMUNICATION_FAILURE);
  EXPECT_EQ(error.group, COMMUNICATION_FAILURE);
  const std::string block = Message(error);
  EXPECT_EQ(block.rfind("\nLOCATION    CPIC (TCP/IP) on local host ", 0), 0u) << block;
  EXPECT_NE(block.find("\nERROR       partner 'sapprd01:3302' not reached\n"), std::string::npos);
  EXPECT_NE(block.find("\nERRNO TEXT  Connection refused\n"), std::string::npos);
  // A host no description names is not reached either, and says why.
  EXPECT_EQ(Open({{"ASHOST", "elsewhere"}, {"SYSNR", "00"}}, &error), nullptr);
  EXPECT_EQ(error.code, RFC_COMMUNICATION_FAILURE);
  EXPECT_NE(Message(error).find("simulated library and knows no system at elsewhere:3300"),
            std::string::npos);
}

TEST_F(SimNwRfcTest, DestinationsComeFromTheIniFileOfTheFolderNamed) {
  Write("QAS.simrfc", "client 200\nhost sapprd01\n");
  RFC_ERROR_INFO error;
  // Two systems on one host: the client tells them apart, else nothing does.
  EXPECT_NE(Open({{"ASHOST", "sapprd01"}, {"CLIENT", "200"}}, &error), nullptr);
  api.close(Open({{"ASHOST", "sapprd01"}, {"CLIENT", "100"}, {"USER", "MONITOR"},
                  {"PASSWD", "Secret12"}},
                 &error),
            nullptr);
  Write("QAS.simrfc", "client 100\nhost sapprd01\n");
  EXPECT_EQ(Open({{"ASHOST", "sapprd01"}, {"CLIENT", "100"}}, &error), nullptr);
  EXPECT_NE(Message(error).find("Simulated systems PRD, QAS all answer on sapprd01"),
            std::string::npos);

  fs::create_directories("ini");
  Write("ini/sapnwrfc.ini", "DEST=QAS\nASHOST=saptest\n\nDEST=PRD\nASHOST=sapprd01\nSYSNR=02\n");
  ASSERT_EQ(api.ini_path(u"ini", &error), RFC_OK);
  EXPECT_NE(Open({{"DEST", "QAS"}, {"CLIENT", "100"}}, &error), nullptr);
  EXPECT_EQ(Open({{"DEST", "DEV"}, {"CLIENT", "300"}}, &error), nullptr);
  EXPECT_EQ(error.code, RFC_INVALID_PARAMETER);
  EXPECT_EQ(Message(error), "Parameter ASHOST, GWHOST, MSHOST or PORT is missing.");
  EXPECT_EQ(Open({}, nullptr), nullptr);  // no error record: nothing filled in
}

TEST_F(SimNwRfcTest, CallFailuresComeAsTheLibrarysCodesAndBreakWhatTheyBreak) {
  const struct {
    std::string line;
    RFC_RC code;
    RFC_ERROR_GROUP group;
    std::string key;
    bool connection_survives;
  } cases[] = {
      {"fail receive ADA_ST04 2 NO_DATA", RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "NO_DATA",
       true},
      {"fail receive ADA_ST04 3", RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, "SYSTEM_FAILURE",
       false},
      {"fail receive ADA_ST04 4", RFC_ABAP_MESSAGE, ABAP_RUNTIME_FAILURE, "SR006", false},
      {"fail call ADA_ST04", RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
       "RFC_COMMUNICATION_FAILURE", false},
      {"fail call ADA_ST04 9", RFC_UNKNOWN_ERROR, EXTERNAL_RUNTIME_FAILURE, "RFC_UNKNOWN_ERROR",
       true},
      {"fail install TST04SQD", RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "NOT_FOUND", true},
      {"fail itcreate TST04ADA", RFC_MEMORY_INSUFFICIENT, EXTERNAL_RUNTIME_FAILURE,
       "RFC_MEMORY_INSUFFICIENT", true},
  };
  const std::string plain = Read("PRD.simrfc");
  for (const auto& c : cases) {
    Write("PRD.simrfc", plain + c.line + "\n");
    ASSERT_NE(OpenPrd(), nullptr) << c.line;
    RFC_ERROR_INFO error;
    EXPECT_EQ(Invoke("ADA_ST04", &error), nullptr) << c.line;
    EXPECT_EQ(error.code, c.code) << c.line;
    EXPECT_EQ(error.group, c.group) << c.line;
    EXPECT_EQ(Key(error), c.key) << c.line;
    RFC_FUNCTION_HANDLE info = Invoke("RFC_SYSTEM_INFO", &error);
    EXPECT_EQ(info != nullptr, c.connection_survives) << c.line;
    if (info != nullptr) api.destroy(info, nullptr);
  }
}

}  // namespace
}  // namespace quillmeter
