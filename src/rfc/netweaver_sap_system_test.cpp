// The NetWeaver library's side of the seam, against a recording fake of its
// function table served through the fake platform.
#include "rfc/netweaver_sap_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "rfc/nwrfc.h"
#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

// What the fake library answers, and what it was asked, in order.
struct FakeNwRfc {
  std::vector<std::string> calls;
  std::map<std::string, std::string> opened;  // the last open's parameters
  bool refuse = false;
  std::string open_message;
  int open_code = nw::kLogonFailure;
  std::map<std::string, int> invoke_rc;     // per module; ok when absent
  std::map<std::string, int> lookup_rc;     // per module; found when absent
  std::map<std::string, std::string> fields;  // "LASTCOLLWRT" etc.
  unsigned rows = 2;
};
FakeNwRfc* fake = nullptr;

std::string Text(const SapUc* text) { return Cp1252FromSapUc(text, 4096); }

void Fill(nw::ErrorInfo* error, int code, const std::string& key, const std::string& message) {
  if (error == nullptr) return;
  *error = nw::ErrorInfo{};
  error->code = code;
  std::u16string k = SapUcFromCp1252(key), m = SapUcFromCp1252(message);
  k.copy(error->key, std::size(error->key) - 1);
  m.copy(error->message, std::size(error->message) - 1);
}

// Handles: the connection, the function by module name, its structure and
// table, each a distinct address.
int connection_tag, structure_tag, table_tag;
std::map<std::string, int> function_tags;
std::string current_function;

extern "C" {
nw::Handle QM_RFC_CALL Open(const nw::ConnectionParameter* p, unsigned n, nw::ErrorInfo* e) {
  fake->calls.push_back("RfcOpenConnection");
  fake->opened.clear();
  for (unsigned i = 0; i < n; ++i) fake->opened[Text(p[i].name)] = Text(p[i].value);
  if (!fake->refuse) return &connection_tag;
  Fill(e, fake->open_code, "RFC_ERROR", fake->open_message);
  return nullptr;
}
int QM_RFC_CALL Close(nw::Handle, nw::ErrorInfo*) {
  fake->calls.push_back("RfcCloseConnection");
  return nw::kOk;
}
nw::Handle QM_RFC_CALL Desc(nw::Handle, const SapUc* name, nw::ErrorInfo* e) {
  current_function = Text(name);
  fake->calls.push_back("RfcGetFunctionDesc " + current_function);
  auto it = fake->lookup_rc.find(current_function);
  if (it == fake->lookup_rc.end()) return &function_tags[current_function];
  Fill(e, it->second, "FU_NOT_FOUND", "ID:FL Type:E Number:046 " + current_function);
  return nullptr;
}
nw::Handle QM_RFC_CALL Create(nw::Handle desc, nw::ErrorInfo*) { return desc; }
int QM_RFC_CALL Destroy(nw::Handle, nw::ErrorInfo*) {
  fake->calls.push_back("RfcDestroyFunction");
  return nw::kOk;
}
int QM_RFC_CALL Invoke(nw::Handle, nw::Handle, nw::ErrorInfo* e) {
  fake->calls.push_back("RfcInvoke " + current_function);
  auto it = fake->invoke_rc.find(current_function);
  if (it == fake->invoke_rc.end()) return nw::kOk;
  Fill(e, it->second, "NO_DATA", "nothing to read");
  return it->second;
}
int QM_RFC_CALL SetChars(nw::Handle, const SapUc* name, const SapUc* value, unsigned n,
                         nw::ErrorInfo*) {
  fake->calls.push_back("RfcSetChars " + Text(name) + "=" + Cp1252FromSapUc(value, n));
  return nw::kOk;
}
int QM_RFC_CALL GetChars(nw::Handle, const SapUc* name, SapUc* buffer, unsigned n,
                         nw::ErrorInfo* e) {
  auto it = fake->fields.find(Text(name));
  if (it == fake->fields.end()) {
    Fill(e, nw::kInvalidParameter, "RFC_INVALID_PARAMETER", "field '" + Text(name) + "' not found");
    return nw::kInvalidParameter;
  }
  std::u16string value = SapUcFromCp1252(it->second);
  if (value.size() > n) return nw::kBufferTooSmall;
  value.resize(n, u' ');
  value.copy(buffer, n);
  return nw::kOk;
}
int QM_RFC_CALL Structure(nw::Handle, const SapUc*, nw::Handle* out, nw::ErrorInfo*) {
  *out = &structure_tag;
  return nw::kOk;
}
int QM_RFC_CALL Table(nw::Handle, const SapUc* name, nw::Handle* out, nw::ErrorInfo*) {
  fake->calls.push_back("RfcGetTable " + Text(name));
  *out = &table_tag;
  return nw::kOk;
}
int QM_RFC_CALL Rows(nw::Handle, unsigned* rows, nw::ErrorInfo*) {
  *rows = fake->rows;
  return nw::kOk;
}
int QM_RFC_CALL LastRow(nw::Handle, nw::ErrorInfo*) {
  fake->calls.push_back("RfcMoveToLastRow");
  return nw::kOk;
}
int QM_RFC_CALL IniPath(const SapUc* folder, nw::ErrorInfo*) {
  fake->calls.push_back("RfcSetIniPath " + Text(folder));
  return nw::kOk;
}
const SapUc* QM_RFC_CALL Version(unsigned* major, unsigned* minor, unsigned* patch) {
  *major = 7500;
  *minor = 0;
  *patch = 12;
  return u"750 Patch Level 12";
}
}

void* Address(auto function) {
  void* address;
  static_assert(sizeof address == sizeof function);
  std::memcpy(&address, &function, sizeof address);
  return address;
}

std::map<std::string, void*> Operations() {
  return {{"RfcOpenConnection", Address(&Open)},   {"RfcCloseConnection", Address(&Close)},
          {"RfcGetFunctionDesc", Address(&Desc)},  {"RfcCreateFunction", Address(&Create)},
          {"RfcDestroyFunction", Address(&Destroy)}, {"RfcInvoke", Address(&Invoke)},
          {"RfcSetChars", Address(&SetChars)},     {"RfcGetChars", Address(&GetChars)},
          {"RfcGetStructure", Address(&Structure)}, {"RfcGetTable", Address(&Table)},
          {"RfcGetRowCount", Address(&Rows)},      {"RfcMoveToLastRow", Address(&LastRow)},
          {"RfcSetIniPath", Address(&IniPath)},    {"RfcGetVersion", Address(&Version)}};
}

class NetWeaverSapSystemTest : public ::testing::Test {
 protected:
  const std::string beside = "/opt/quillmeter/" + std::string(NetWeaverLibraryFileName());

  void SetUp() override {
    fake = &state;
    state.fields = {{"LASTCOLLWRT", "Wed Jun  1 09:05:07 2011"}, {"RFCDBSYS", "ADABAS D"},
                    {"RFCHOST", "sapprd01"},  {"LOGPAGES", "1.234"},
                    {"LOGWAITS", "7"},        {"ROLLBACKS", "0"},
                    {"QUEUEOVER", "12"}};
    ConnectionProfile& p = request.profile;
    p.destination = "PRD";
    p.client = "100";
    p.user = "monitor";
    p.password = "Gr\xfc\xdf" "e=1";
    p.language = "E";
    p.mode = "R/3";
    p.host_name = "sapprd01";
    p.system_number = "00";
    request.profile_name = "PRD.P00";
    request.profile_folder = "/prtg/ExeXml/";
  }
  void TearDown() override {
    system.reset();
    library.reset();
    fake = nullptr;
  }

  Status Load() {
    platform.libraries[beside] = Operations();
    Status loaded = LoadNetWeaverLibrary(platform, &library);
    if (loaded.ok()) system = library->NewSystem(CallLog());
    return loaded;
  }

  FakeNwRfc state;
  FakePlatform platform;
  OpenRequest request;
  std::unique_ptr<SapLibrary> library;
  std::unique_ptr<SapSystem> system;
  std::string note;
};

TEST_F(NetWeaverSapSystemTest, LoadsBesideTheExecutableWithItsFolderFirstOnThePath) {
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(platform.loads, std::vector<std::string>{beside});
  EXPECT_EQ(platform.search_path, std::vector<std::string>{"/opt/quillmeter"});
}

TEST_F(NetWeaverSapSystemTest, AMissingLibraryOrOperationIsNamed) {
  Status missing = LoadNetWeaverLibrary(platform, &library);
  const std::string file = NetWeaverLibraryFileName();
  EXPECT_EQ(missing.message(), "Error 1040: RFC library " + file + " cannot be loaded (" + beside +
                                   ": cannot open shared object file: No such file or directory; " +
                                   file + ": cannot open shared object file: No such file or "
                                   "directory) !");
  platform.libraries[beside] = Operations();
  platform.libraries[beside].erase("RfcGetVersion");
  EXPECT_EQ(LoadNetWeaverLibrary(platform, &library).message(),
            "Error 1041: RFC library " + beside +
                " lacks the operation RfcGetVersion (undefined symbol: RfcGetVersion) !");
}

TEST_F(NetWeaverSapSystemTest, OpensByHostWithTheProfilesValuesAndNamesTheLibrary) {
  ASSERT_TRUE(Load().ok());
  request.overrides.system_number = "02";
  ASSERT_TRUE(system->Open(request, &note).ok());
  EXPECT_EQ(note, "* 10:11:12 RFC library: " + beside + " (NetWeaver 7500.0.12)");
  EXPECT_EQ(state.opened, (std::map<std::string, std::string>{{"ASHOST", "sapprd01"},
                                                              {"SYSNR", "02"},
                                                              {"CLIENT", "100"},
                                                              {"USER", "MONITOR"},
                                                              {"PASSWD", "Gr\xfc\xdf" "e=1"},
                                                              {"LANG", "E"}}));
  EXPECT_EQ(state.calls, std::vector<std::string>{"RfcOpenConnection"});
}

TEST_F(NetWeaverSapSystemTest, ADestinationEntryInTheProfilesIniOpensByDest) {
  ASSERT_TRUE(Load().ok());
  platform.files["/prtg/ExeXml/sapnwrfc.ini"] = "DEST=QAS\nASHOST=x\n\n# DEST=PRD\n";
  ASSERT_TRUE(system->Open(request, &note).ok());
  EXPECT_EQ(state.opened.count("ASHOST"), 1u);  // no entry of its own
  platform.files["/prtg/ExeXml/sapnwrfc.ini"] += "\nDEST = PRD\nMSHOST=sapms\n";
  ASSERT_TRUE(system->Open(request, &note).ok());
  EXPECT_EQ(state.opened, (std::map<std::string, std::string>{{"DEST", "PRD"},
                                                              {"CLIENT", "100"},
                                                              {"USER", "MONITOR"},
                                                              {"PASSWD", "Gr\xfc\xdf" "e=1"},
                                                              {"LANG", "E"}}));
  EXPECT_EQ(state.calls[0], "RfcSetIniPath /prtg/ExeXml");
}

TEST_F(NetWeaverSapSystemTest, OpenFailuresAreRefusalsOrError1011WithTheirCause) {
  ASSERT_TRUE(Load().ok());
  request.profile.mode = "R/2";
  Status r2 = system->Open(request, &note);
  EXPECT_EQ(r2.message(), "Error 1011: RFC-Open for PRD failed !");
  EXPECT_EQ(r2.cause(), "R/2 connections need the classic RFC library (librfc32)");
  EXPECT_TRUE(state.calls.empty());

  request.profile.mode = "R/3";
  state.refuse = true;
  state.open_message = "Name or password is incorrect (repeat logon)";
  Status refused = system->Open(request, &note);
  EXPECT_TRUE(refused.IsRefused());
  EXPECT_EQ(refused.cause(), state.open_message);

  state.open_code = nw::kCommunicationFailure;
  state.open_message = "\nERROR       partner 'sapprd01:3300' not reached\nERRNO TEXT  Connection refused\n";
  Status unreached = system->Open(request, &note);
  EXPECT_FALSE(unreached.IsRefused());
  EXPECT_EQ(unreached.message(), "Error 1011: RFC-Open for PRD failed !");
  EXPECT_EQ(unreached.cause(), "partner 'sapprd01:3300' not reached (Connection refused)");
}

TEST_F(NetWeaverSapSystemTest, ReadsTheThreeModulesAsTheClassicRecordsHoldThem) {
  ASSERT_TRUE(Load().ok());
  ASSERT_TRUE(system->Open(request, &note).ok());
  std::string collection, line;
  SystemInfo info;
  ASSERT_TRUE(system->ReadCollectionTime(&collection).ok());
  ASSERT_TRUE(system->ReadSystemInfo(&info).ok());
  ASSERT_TRUE(system->ReadMonitorLine(&line).ok());
  EXPECT_EQ(collection, "Wed Jun  1 09:05:07 2011 ");
  EXPECT_EQ(info.database_system, "ADABAS D  ");
  EXPECT_EQ(info.host, "sapprd01");
  ASSERT_EQ(line.size(), kMonitorLineLength);
  EXPECT_EQ(line.substr(MonitorFieldPlace("LOGPAGES")->offset, 26), "1.234" + std::string(21, ' '));
  EXPECT_EQ(line.substr(MonitorFieldPlace("QUEUEOVER")->offset, 3), "12 ");
  EXPECT_EQ(state.calls,
            (std::vector<std::string>{
                "RfcOpenConnection", "RfcGetFunctionDesc GET_CPU_ALL",
                "RfcSetChars LOCAL_REMOTE=LOCAL", "RfcInvoke GET_CPU_ALL", "RfcDestroyFunction",
                "RfcGetFunctionDesc RFC_SYSTEM_INFO", "RfcInvoke RFC_SYSTEM_INFO",
                "RfcDestroyFunction", "RfcGetFunctionDesc ADA_ST04", "RfcInvoke ADA_ST04",
                "RfcGetTable TST04ADA", "RfcMoveToLastRow", "RfcDestroyFunction"}));
  state.rows = 0;
  ASSERT_TRUE(system->ReadMonitorLine(&line).ok());
  EXPECT_EQ(line, "");
}

TEST_F(NetWeaverSapSystemTest, CallFailuresKeepTheClassicNumbers) {
  ASSERT_TRUE(Load().ok());
  ASSERT_TRUE(system->Open(request, &note).ok());
  std::string text;
  state.lookup_rc["GET_CPU_ALL"] = nw::kAbapException;
  Status unknown = system->ReadCollectionTime(&text);
  EXPECT_EQ(unknown.message(), "Error 1015: Other Failure raised !");
  EXPECT_EQ(unknown.cause(), "GET_CPU_ALL, FU_NOT_FOUND: ID:FL Type:E Number:046 GET_CPU_ALL");

  state.fields.erase("LOGWAITS");
  Status field = system->ReadMonitorLine(&text);
  EXPECT_EQ(field.message(), "Error 1015: Other Failure raised !");
  EXPECT_EQ(field.cause(), "ADA_ST04, RFC_INVALID_PARAMETER: field 'LOGWAITS' not found");

  state.invoke_rc["ADA_ST04"] = nw::kAbapException;
  EXPECT_EQ(system->ReadMonitorLine(&text).message(), "Error 1012: Exception.: NO_DATA");
  // The connection outlives an exception, not a communication failure.
  state.invoke_rc["RFC_SYSTEM_INFO"] = nw::kCommunicationFailure;
  SystemInfo info;
  EXPECT_EQ(system->ReadSystemInfo(&info).message(), "Error 1014: RFC-Failure raised !");
  system->Close();
  EXPECT_EQ(std::count(state.calls.begin(), state.calls.end(), "RfcCloseConnection"), 0);
}

}  // namespace
}  // namespace quillmeter
