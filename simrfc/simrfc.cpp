// The simulated librfc32: the vendor library's operations, with its record
// layouts, answering from description files of simulated SAP systems. Only
// for tests and demonstrations; an installation ships the vendor's library.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "description.h"
#include "rfc/librfc.h"
#include "system.h"

namespace simrfc {
namespace {

constexpr const char kTraceFile[] = "Dev_Rfc.Trc";
constexpr const char kIniFile[] = "SapRfc.ini";
// The longest text taken from a caller's char*, and the longest list walked:
// a caller's missing terminator must not run the library off its memory.
constexpr size_t kMaxText = 1024;
constexpr size_t kMaxListEntries = 256;
constexpr unsigned kMaxLineWidth = 1 << 20;

struct Table {
  std::string name;
  unsigned width = 0;
  std::vector<std::string> lines;
};

struct Connection {
  std::shared_ptr<const SimSystem> system;
  std::string pending;  // the function called and not yet received
};

struct State {
  RFC_ENV environment{};
  std::map<RFC_HANDLE, Connection> connections;
  RFC_HANDLE next_handle = 1;
  std::shared_ptr<const SimSystem> current;  // the system opened last
  // Live tables by handle; a handle the library did not give out is refused.
  std::map<Table*, std::unique_ptr<Table>> tables;
  std::map<RFC_TYPEHANDLE, std::string> structures;
  RFC_TYPEHANDLE next_type = 100;
  RFC_ERROR_INFO last_error{};
  char exception[64] = {};
  char handler_text[160] = {};
};

State& Sim() {
  static State state;
  return state;
}

std::string Text(const char* text, size_t limit = kMaxText) {
  return text == nullptr ? std::string() : std::string(text, strnlen(text, limit));
}

// A caller's text as the test log shows it; a null pointer as (null).
std::string Shown(const char* text, size_t limit = kMaxText) {
  return text == nullptr ? std::string("(null)") : simrfc::Shown(Text(text, limit));
}

template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

// A failure section in Dev_Rfc.Trc, laid out as the vendor's library writes
// them, so the sensor's trace scan meets realistic files.
void WriteTrace(const SimSystem* system, const std::string& operation, const std::string& key,
                const std::string& message) {
  TraceStyle style = system != nullptr ? system->trace : TraceStyle::kFull;
  if (style == TraceStyle::kOff) return;
  std::FILE* file = std::fopen(kTraceFile, "ab");
  if (file == nullptr) return;
  std::tm t = LocalNow();
  // Four digits put "======> " at column 8, as in the vendor's traces.
  constexpr unsigned thread = 1234;
  std::fprintf(file, "\n**** ERROR file opened at %04d%02d%02d %02d%02d%02d, simulated librfc32\n",
               t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  std::fprintf(file, "T:%04u <* %s failed\n", thread, operation.c_str());
  if (style == TraceStyle::kFull) {
    std::fprintf(file, "ERROR       %s\n", key.c_str());
    std::fprintf(file, "T:%04u ======> %s\n", thread, message.c_str());
  }
  std::fclose(file);
}

// Records a failure for RfcLastError and the trace file.
void Fail(const SimSystem* system, const std::string& operation, const std::string& key,
          const std::string& message) {
  State& s = Sim();
  std::memset(&s.last_error, 0, sizeof s.last_error);
  CopyField(s.last_error.key, key);
  CopyField(s.last_error.status, "simulated");
  CopyField(s.last_error.message, message);
  CopyField(s.last_error.intstat, operation);
  WriteTrace(system, operation, key, message);
  Log("  failed: " + key + ": " + message);
}

// Calls the registered error handler, as the vendor's library does when it
// cannot go on. The sensor's handler ends the process.
void CallHandler(const SimSystem* system, const std::string& operation) {
  State& s = Sim();
  Fail(system, operation, "SYSTEM_FAILURE",
       "Connection to simulated system " + (system ? system->destination : "") + " broken");
  std::snprintf(s.handler_text, sizeof s.handler_text, "%s", operation.c_str());
  Log("  errorhandler " + Shown(s.handler_text));
  if (s.environment.errorhandler != nullptr) s.environment.errorhandler(s.handler_text);
}

// Reads "<destination>.simrfc"; null with the failure recorded when there is
// none or it is faulty.
std::shared_ptr<const SimSystem> FindSystem(const std::string& destination,
                                            const std::string& operation) {
  std::shared_ptr<const SimSystem> system;
  std::string error;
  switch (LoadSystem(destination, &system, &error)) {
    case Lookup::kFound:
      return system;
    case Lookup::kNoFile:
      Fail(nullptr, operation, "UNKNOWN_DESTINATION",
           "This librfc32 is Quillmeter's simulated library and knows no destination " +
               destination + " (no file " + destination + kDescriptionSuffix +
               "). Put SAP's librfc32 in its place to reach real SAP systems.");
      return nullptr;
    case Lookup::kInvalid:
      Fail(nullptr, operation, "DESCRIPTION_INVALID",
           destination + kDescriptionSuffix + " " + error);
      return nullptr;
  }
  return nullptr;
}

// Whether SapRfc.ini describes `destination`: one of its "DEST=" lines (any
// case) names it, or it has none, as a file the library cannot read.
bool IniDescribes(const std::string& destination) {
  std::ifstream in(kIniFile, std::ios::binary);
  bool any = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = TrimRight(line);
    if (Upper(line.substr(0, 5)) != "DEST=") continue;
    any = true;
    if (Upper(line.substr(5)) == Upper(destination)) return true;
  }
  return !any;
}

RFC_HANDLE Open(const std::string& operation, const std::string& destination,
                const std::string& client, const std::string& user, const std::string& password,
                const std::string& language) {
  State& s = Sim();
  std::shared_ptr<const SimSystem> system = FindSystem(destination, operation);
  if (system == nullptr) return 0;
  Wait(*system);
  HangIfAsked(*system, "open");
  // Read after the latency, as the vendor's library reads it while it
  // connects: a file another sensor put there meanwhile is caught.
  if (operation == "RfcOpenEx" && !IniDescribes(destination)) {
    Fail(system.get(), operation, "DESTINATION_NOT_FOUND",
         "Destination " + destination + " not found in " + kIniFile);
    return 0;
  }
  if (system->FailureAt(FailPoint::kHandler, "open") != nullptr) {
    CallHandler(system.get(), operation);
    return 0;
  }
  if (system->FailureAt(FailPoint::kOpen, "") != nullptr) {
    Fail(system.get(), operation, "COMMUNICATION_FAILURE",
         "Connect to simulated system " + destination + " failed: partner not reached");
    return 0;
  }
  const LogonResult logon = CheckLogon(*system, client, user, password);
  if (logon == LogonResult::kUnknownClient) {
    // Not a refused logon: SAP counts nothing against any user.
    Fail(system.get(), operation, "RFC_ERROR_SYSTEM_FAILURE",
         "Client " + client + " is not available in simulated system " + destination);
    return 0;
  }
  if (logon != LogonResult::kAccepted) {
    Fail(system.get(), operation, "RFC_ERROR_LOGON_FAILURE",
         RefusalText(logon == LogonResult::kLocked, language));
    return 0;
  }
  RFC_HANDLE handle = s.next_handle++;
  s.connections[handle] = Connection{system, std::string()};
  s.current = system;
  Log("  handle " + std::to_string(handle));
  return handle;
}

Connection* FindConnection(RFC_HANDLE handle, const std::string& operation) {
  auto it = Sim().connections.find(handle);
  if (it != Sim().connections.end()) return &it->second;
  Fail(Sim().current.get(), operation, "INVALID_HANDLE",
       "No open connection with handle " + std::to_string(handle));
  return nullptr;
}

bool IsBasicType(unsigned type) {
  return type == kRfcTypeChar || type == kRfcTypeDate || type == kRfcTypeTime ||
         type == kRfcTypeInt || type == kRfcTypeInt2;
}

std::string EntryName(const char* name, unsigned length) {
  return Text(name, length < 64 ? length : 64);
}

std::string ParameterList(const RFC_PARAMETER* list) {
  std::string shown;
  for (size_t i = 0; list != nullptr && i < kMaxListEntries && list[i].name != nullptr; ++i) {
    const RFC_PARAMETER& p = list[i];
    shown += (i ? "," : "") + EntryName(p.name, p.nlen);
    if (p.addr == nullptr) continue;
    if (p.type == kRfcTypeInt && p.leng == 4) {
      int value;
      std::memcpy(&value, p.addr, sizeof value);
      shown += "=" + std::to_string(value);
    } else if (p.type == kRfcTypeChar && p.leng <= kMaxText) {
      std::string value(static_cast<const char*>(p.addr), p.leng);
      value.push_back('\0');
      shown += "=" + Shown(value.c_str(), p.leng);
    }
  }
  return "[" + shown + "]";
}

std::string NameList(const RFC_PARAMETER* list) {
  std::string shown;
  for (size_t i = 0; list != nullptr && i < kMaxListEntries && list[i].name != nullptr; ++i)
    shown += (i ? "," : "") + EntryName(list[i].name, list[i].nlen);
  return "[" + shown + "]";
}

std::string TableList(const RFC_TABLE* list) {
  std::string shown;
  for (size_t i = 0; list != nullptr && i < kMaxListEntries && list[i].name != nullptr; ++i)
    shown += (i ? "," : "") + EntryName(list[i].name, list[i].nlen);
  return "[" + shown + "]";
}

// Writes the answer into the caller's importing list and tables. Returns a
// result code; a faulty list is a failure, as with the vendor's library.
RFC_RC Deliver(const SimSystem& system, const std::string& function, RFC_PARAMETER* importing,
               RFC_TABLE* tables) {
  State& s = Sim();
  Answer answer = AnswerOf(system, function);
  for (size_t i = 0; importing != nullptr && i < kMaxListEntries && importing[i].name; ++i) {
    RFC_PARAMETER& p = importing[i];
    std::string name = EntryName(p.name, p.nlen);
    if (!IsBasicType(p.type) && s.structures.count(p.type) == 0) {
      Fail(
          &system, "RfcReceive " + function, "TYPE_NOT_INSTALLED",
          "Parameter " + name + " has type " + std::to_string(p.type) + ", no installed structure");
      return kRfcFailure;
    }
    auto it = answer.importing.find(name);
    if (it == answer.importing.end() || p.addr == nullptr) continue;
    const Value& v = it->second;
    if (v.is_number && p.type == kRfcTypeInt && p.leng >= 4) {
      int n = static_cast<int>(v.number);
      std::memcpy(p.addr, &n, sizeof n);
    } else if (v.is_number && p.type == kRfcTypeInt2 && p.leng >= 2) {
      short n = static_cast<short>(v.number);
      std::memcpy(p.addr, &n, sizeof n);
    } else {
      std::string field = v.is_number ? std::to_string(v.number) : v.text;
      field.resize(p.leng, ' ');
      std::memcpy(p.addr, field.data(), p.leng);
    }
  }
  for (size_t i = 0; tables != nullptr && i < kMaxListEntries && tables[i].name; ++i) {
    RFC_TABLE& t = tables[i];
    std::string name = EntryName(t.name, t.nlen);
    auto it = answer.tables.find(name);
    if (it == answer.tables.end()) continue;
    Table* table = static_cast<Table*>(t.ithandle);
    if (s.tables.count(table) == 0 || s.structures.count(t.type) == 0) {
      Fail(&system, "RfcReceive " + function, "INVALID_TABLE",
           "Table " + name + " has no internal table or no installed line type");
      return kRfcFailure;
    }
    for (std::string line : it->second.first) {
      line.resize(table->width, it->second.second);
      table->lines.push_back(line);
    }
  }
  return kRfcOk;
}

}  // namespace
}  // namespace simrfc

using namespace simrfc;

extern "C" {

void QM_RFC_CALL RfcEnvironment(RFC_ENV* environment) {
  if (environment != nullptr) Sim().environment = *environment;
  // Tests count the processes that scanned by this line.
  static bool first = true;
  if (first) Log("New process");
  first = false;
  Log(std::string("RfcEnvironment errorhandler=") +
      (environment && environment->errorhandler ? "set" : "null") +
      " allocate=" + (environment && environment->allocate ? "set" : "null"));
}

RFC_HANDLE QM_RFC_CALL RfcOpen(RFC_OPTIONS* options) {
  if (options == nullptr) {
    Log("RfcOpen (null)");
    Fail(nullptr, "RfcOpen", "INVALID_PARAMETER", "RfcOpen without options");
    return 0;
  }
  std::ostringstream line;
  line << "RfcOpen destination=" << Shown(options->destination) << " mode=" << options->mode
       << " client=" << Shown(options->client) << " user=" << Shown(options->user)
       << " password=" << Shown(options->password) << " language=" << Shown(options->language)
       << " trace=" << options->trace;
  if (options->connopt == nullptr) {
    line << " connopt=(null)";
  } else if (options->mode == 1) {
    const auto* r2 = static_cast<const RFC_CONNOPT_R2*>(options->connopt);
    line << " gateway_host=" << Shown(r2->gateway_host)
         << " gateway_service=" << Shown(r2->gateway_service);
  } else {
    const auto* r3 = static_cast<const RFC_CONNOPT_R3*>(options->connopt);
    line << " hostname=" << Shown(r3->hostname) << " sysnr=" << r3->sysnr
         << " gateway_host=" << Shown(r3->gateway_host)
         << " gateway_service=" << Shown(r3->gateway_service);
  }
  Log(line.str());
  // The library compares user and password without their padding.
  return Open("RfcOpen", TrimRight(Text(options->destination)), TrimRight(Text(options->client)),
              TrimRight(Text(options->user)), TrimRight(Text(options->password)),
              Text(options->language));
}

RFC_HANDLE QM_RFC_CALL RfcOpenEx(char* connect_string, RFC_ERROR_INFO_EX* error) {
  std::string text = Text(connect_string);
  Log("RfcOpenEx " + Shown(connect_string));
  std::map<std::string, std::string> keys;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    size_t equals = word.find('=');
    if (equals != std::string::npos) keys[Upper(word.substr(0, equals))] = word.substr(equals + 1);
  }
  RFC_HANDLE handle = 0;
  if (!std::ifstream(kIniFile)) {
    Fail(nullptr, "RfcOpenEx", "INI_MISSING",
         std::string(kIniFile) + " not found in the working directory");
  } else {
    handle =
        Open("RfcOpenEx", keys["DEST"], keys["CLIENT"], keys["USER"], keys["PASSWD"], keys["LANG"]);
  }
  if (handle == 0 && error != nullptr) {
    std::memset(error, 0, sizeof *error);
    error->group = 1;
    CopyField(error->key, Sim().last_error.key);
    CopyField(error->message, Sim().last_error.message);
  }
  return handle;
}

RFC_RC QM_RFC_CALL RfcInstallStructure(char* name, RFC_TYPE_ELEMENT* fields, unsigned count,
                                       RFC_TYPEHANDLE* type_handle) {
  State& s = Sim();
  std::string structure = Text(name, 64);
  size_t length = 0;
  bool valid = name != nullptr && type_handle != nullptr && (fields != nullptr || count == 0) &&
               count <= kMaxListEntries;
  for (unsigned i = 0; valid && i < count; ++i) {
    size_t align = fields[i].type == kRfcTypeInt ? 4 : fields[i].type == kRfcTypeInt2 ? 2 : 1;
    length = (length + align - 1) / align * align + fields[i].length;
  }
  Log("RfcInstallStructure " + structure + " count=" + std::to_string(count) +
      " length=" + std::to_string(length));
  if (!valid) {
    Fail(s.current.get(), "RfcInstallStructure", "INVALID_PARAMETER",
         "RfcInstallStructure " + structure + " with faulty arguments");
    return kRfcFailure;
  }
  if (s.current && s.current->FailureAt(FailPoint::kInstall, structure)) {
    Fail(s.current.get(), "RfcInstallStructure", "INSTALL_FAILED",
         "Structure " + structure + " cannot be installed in the simulated system");
    return kRfcFailure;
  }
  *type_handle = s.next_type++;
  s.structures[*type_handle] = structure;
  return kRfcOk;
}

RFC_RC QM_RFC_CALL RfcCall(RFC_HANDLE handle, char* function, RFC_PARAMETER* exporting,
                           RFC_TABLE* tables) {
  std::string name = Text(function, 64);
  Log("RfcCall " + std::to_string(handle) + " " + name + " exporting=" + ParameterList(exporting) +
      " tables=" + TableList(tables));
  Connection* connection = FindConnection(handle, "RfcCall " + name);
  if (connection == nullptr) return kRfcFailure;
  const SimSystem& system = *connection->system;
  connection->pending.clear();
  Wait(system);
  HangIfAsked(system, name);
  if (system.FailureAt(FailPoint::kHandler, name) != nullptr) {
    CallHandler(&system, "RfcCall " + name);
    return kRfcFailure;
  }
  if (const Failure* f = system.FailureAt(FailPoint::kCall, name)) {
    Fail(&system, "RfcCall " + name, "CALL_FAILED",
         "Call of " + name + " in simulated system " + system.destination + " failed (result " +
             std::to_string(f->result) + ")");
    return f->result;
  }
  connection->pending = name;
  return kRfcOk;
}

RFC_RC QM_RFC_CALL RfcReceive(RFC_HANDLE handle, RFC_PARAMETER* importing, RFC_TABLE* tables,
                              char** exception) {
  State& s = Sim();
  Connection* connection = FindConnection(handle, "RfcReceive");
  std::string name = connection != nullptr ? connection->pending : std::string();
  Log("RfcReceive " + std::to_string(handle) + " " + name + " importing=" + NameList(importing) +
      " tables=" + TableList(tables));
  if (connection == nullptr) return kRfcFailure;
  const SimSystem& system = *connection->system;
  connection->pending.clear();
  Wait(system);
  if (name.empty()) {
    Fail(&system, "RfcReceive", "NO_CALL", "RfcReceive without a preceding RfcCall");
    return kRfcFailure;
  }
  if (const Failure* f = system.FailureAt(FailPoint::kReceive, name)) {
    Fail(&system, "RfcReceive " + name, f->result == 2 ? "EXCEPTION_RAISED" : "RECEIVE_FAILED",
         "Receive of " + name + " in simulated system " + system.destination + " failed (result " +
             std::to_string(f->result) + ")");
    if ((f->result == kRfcException || f->result == kRfcSysException) && exception != nullptr) {
      std::snprintf(s.exception, sizeof s.exception, "%s", f->exception.c_str());
      *exception = s.exception;
    }
    return f->result;
  }
  if (!KnownFunction(name)) {
    Fail(&system, "RfcReceive " + name, "FUNCTION_NOT_FOUND",
         "Function module " + name + " does not exist in the simulated system");
    if (exception != nullptr) {
      std::snprintf(s.exception, sizeof s.exception, "%s", "FUNCTION_NOT_FOUND");
      *exception = s.exception;
    }
    return kRfcSysException;
  }
  return Deliver(system, name, importing, tables);
}

int QM_RFC_CALL RfcLastError(RFC_ERROR_INFO* error) {
  Log("RfcLastError");
  if (error == nullptr) return 1;
  *error = Sim().last_error;
  return 0;
}

void QM_RFC_CALL RfcClose(RFC_HANDLE handle) {
  Log("RfcClose " + std::to_string(handle));
  if (handle == 0)
    Sim().connections.clear();
  else
    Sim().connections.erase(handle);
}

ITAB_H QM_RFC_CALL ItCreate(char* name, unsigned line_length, unsigned occurs, unsigned memory) {
  State& s = Sim();
  std::string table_name = Text(name, 64);
  Log("ItCreate " + table_name + " " + std::to_string(line_length) + " " + std::to_string(occurs) +
      " " + std::to_string(memory));
  if (s.current && s.current->FailureAt(FailPoint::kItCreate, table_name)) {
    Fail(s.current.get(), "ItCreate " + table_name, "NO_MEMORY",
         "Internal table " + table_name + " cannot be created");
    return nullptr;
  }
  if (line_length == 0 || line_length > kMaxLineWidth) {
    Fail(s.current.get(), "ItCreate " + table_name, "INVALID_PARAMETER",
         "Internal table " + table_name + " with line length " + std::to_string(line_length));
    return nullptr;
  }
  auto table = std::make_unique<Table>(Table{table_name, line_length, {}});
  Table* handle = table.get();
  s.tables[handle] = std::move(table);
  return handle;
}

unsigned QM_RFC_CALL ItFill(ITAB_H handle) {
  Table* table = static_cast<Table*>(handle);
  if (Sim().tables.count(table) == 0) return 0;
  return static_cast<unsigned>(table->lines.size());
}

void* QM_RFC_CALL ItGetLine(ITAB_H handle, unsigned line) {
  State& s = Sim();
  Table* table = static_cast<Table*>(handle);
  if (s.tables.count(table) == 0) return nullptr;
  if (s.current && s.current->FailureAt(FailPoint::kItGetLine, table->name)) {
    Fail(s.current.get(), "ItGetLine " + table->name, "INVALID_LINE",
         "Line " + std::to_string(line) + " of " + table->name + " cannot be read");
    return nullptr;
  }
  if (line == 0 || line > table->lines.size()) return nullptr;
  return table->lines[line - 1].data();
}

int QM_RFC_CALL ItDelete(ITAB_H handle) {
  State& s = Sim();
  Table* table = static_cast<Table*>(handle);
  if (s.tables.count(table) == 0) {
    Log("ItDelete (unknown)");
    return 1;
  }
  Log("ItDelete " + table->name);
  if (s.current && s.current->FailureAt(FailPoint::kItDelete, table->name)) {
    Fail(s.current.get(), "ItDelete " + table->name, "DELETE_FAILED",
         "Internal table " + table->name + " cannot be deleted");
    return 1;
  }
  s.tables.erase(table);
  return 0;
}

}  // extern "C"
