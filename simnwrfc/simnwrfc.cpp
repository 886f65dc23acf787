// The simulated NetWeaver RFC library (sapnwrfc): the operations the sensor
// uses, with SAP_UC texts and the library's records, answering from the
// same description files as the simulated librfc32. Only for tests and
// demonstrations; an installation ships SAP's library.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ini_file.h"
#include "interfaces.h"
#include "nwrfc_abi.h"
#include "system.h"
#include "uc_text.h"

#if defined(_WIN32)
#define SIMNW_EXPORT  // the .def file names the exports
#else
#define SIMNW_EXPORT __attribute__((visibility("default")))
#endif

namespace simnwrfc {
namespace {

using simrfc::FailPoint;
using simrfc::Log;
using simrfc::LogonResult;
using simrfc::Lookup;
using simrfc::SimSystem;
using simrfc::Upper;

constexpr const char kIniFile[] = "sapnwrfc.ini";
constexpr size_t kMaxIniSize = 1 << 20;
constexpr unsigned kMaxParameters = 256;
constexpr const char kMissingHost[] = "Parameter ASHOST, GWHOST, MSHOST or PORT is missing.";

struct Connection {
  std::shared_ptr<const SimSystem> system;
  unsigned number = 0;
  std::string partner;  // host:port, as the network layer names it
  bool open = true;     // false once a failure broke it
};

struct FunctionDesc {
  const FunctionDef* def;
  std::shared_ptr<const SimSystem> system;  // of the lookup that made it
};

struct LiveContainer {
  Container* container;
  std::shared_ptr<const SimSystem> system;
};

struct State {
  std::map<const void*, std::unique_ptr<Connection>> connections;
  unsigned next_connection = 1;
  // Descriptions are the library's, cached per system and function as the
  // vendor's repository does; callers never free them.
  std::map<std::pair<std::string, std::string>, std::unique_ptr<FunctionDesc>> descriptions;
  std::map<const void*, std::unique_ptr<Container>> functions;
  std::map<const void*, LiveContainer> containers;  // functions and their parts
  std::filesystem::path ini_dir = ".";
};

State& Sim() {
  static State state;
  return state;
}

std::string Bytes(const SAP_UC* text, size_t limit = kMaxText) {
  return ToBytes(Taken(text, limit));
}

// Fills the caller's error record (when there is one) and logs the failure.
RFC_RC Fail(RFC_ERROR_INFO* error, RFC_RC code, RFC_ERROR_GROUP group, const std::string& key,
            const std::string& message) {
  Log("  failed: code=" + std::to_string(code) + " group=" + std::to_string(group) +
      " key=" + key + " message=" + simrfc::Shown(message));
  if (error != nullptr) {
    std::memset(error, 0, sizeof *error);
    error->code = code;
    error->group = group;
    CopyTerminated(FromBytes(key), error->key, sizeof error->key / sizeof error->key[0]);
    CopyTerminated(FromBytes(message), error->message,
                   sizeof error->message / sizeof error->message[0]);
  }
  return code;
}

RFC_RC Ok(RFC_ERROR_INFO* error) {
  if (error != nullptr) std::memset(error, 0, sizeof *error);
  return RFC_OK;
}

RFC_RC InvalidHandle(RFC_ERROR_INFO* error) {
  return Fail(error, RFC_INVALID_HANDLE, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_HANDLE",
              "An invalid handle was passed to the API call");
}

RFC_RC InvalidParameter(RFC_ERROR_INFO* error, const std::string& message) {
  return Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
              message);
}

RFC_RC FieldNotFound(RFC_ERROR_INFO* error, const std::string& name) {
  return InvalidParameter(error, "field '" + name + "' not found");
}

std::string Number(const void* handle) {
  auto it = Sim().connections.find(handle);
  return it != Sim().connections.end() ? std::to_string(it->second->number) : "(unknown)";
}

Connection* FindConnection(RFC_CONNECTION_HANDLE handle) {
  auto it = Sim().connections.find(handle);
  return it != Sim().connections.end() && it->second->open ? it->second.get() : nullptr;
}

LiveContainer* FindContainer(const void* handle) {
  auto it = Sim().containers.find(handle);
  return it != Sim().containers.end() ? &it->second : nullptr;
}

template <typename Handle>
Handle HandleOf(const void* pointer) {
  return reinterpret_cast<Handle>(const_cast<void*>(pointer));
}

// The port of an instance: 3300 plus its number.
std::string Partner(const std::string& host, const std::string& sysnr) {
  bool digits = !sysnr.empty() && sysnr.size() <= 2 &&
                sysnr.find_first_not_of("0123456789") == std::string::npos;
  return host + ":" + (digits ? std::to_string(3300 + std::stoi(sysnr)) : "33" + sysnr);
}

// The network layer's report of a partner that does not answer: a block of
// "KEY  value" lines, the value at column 12, starting with a line break.
std::string NotReachedBlock(const std::string& partner) {
  std::tm t = simrfc::LocalNow();
  char time[40];
  std::strftime(time, sizeof time, "%a %b %d %H:%M:%S %Y", &t);
  const size_t colon = partner.rfind(':');
  const std::pair<const char*, std::string> lines[] = {
      {"LOCATION", "CPIC (TCP/IP) on local host simulated with Unicode"},
      {"ERROR", "partner '" + partner + "' not reached"},
      {"TIME", time},
      {"RELEASE", "753"},
      {"COMPONENT", "NI (network interface)"},
      {"VERSION", "40"},
      {"RC", "-10"},
      {"MODULE", "nixxi.cpp"},
      {"LINE", "3286"},
      {"DETAIL", "NiPConnect2: 127.0.0.1:" + partner.substr(colon + 1)},
      {"SYSTEM CALL", "connect"},
      {"ERRNO", "111"},
      {"ERRNO TEXT", "Connection refused"},
      {"COUNTER", "1"},
  };
  std::string block;
  for (const auto& [key, value] : lines) {
    std::string name = key;
    name.resize(12, ' ');
    block += "\n" + name + value;
  }
  return block;
}

RFC_RC CommunicationFailure(RFC_ERROR_INFO* error, const std::string& message) {
  return Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
              "RFC_COMMUNICATION_FAILURE", message);
}

// sapnwrfc.ini from the folder RfcSetIniPath named; empty when missing, as
// the vendor's library then uses its defaults.
std::string ReadIni() {
  std::ifstream in(Sim().ini_dir / kIniFile, std::ios::binary);
  std::string text;
  char piece[4096];
  while (in && text.size() < kMaxIniSize) {
    in.read(piece, sizeof piece);
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  return text;
}

// The system answering on `host` (and instance `sysnr`), as the network
// finds it: the one description file whose host (and sysnr, where given) it
// is. Null with the failure filled in when none or several are.
std::shared_ptr<const SimSystem> FindByHost(const std::string& host, const std::string& sysnr,
                                            const std::string& client, RFC_ERROR_INFO* error) {
  std::vector<std::shared_ptr<const SimSystem>> found;
  std::string invalid;
  for (const std::string& destination : simrfc::DescribedDestinations()) {
    std::shared_ptr<const SimSystem> system;
    std::string fault;
    Lookup lookup = simrfc::LoadSystem(destination, &system, &fault);
    if (lookup == Lookup::kInvalid && invalid.empty())
      invalid = destination + simrfc::kDescriptionSuffix + " " + fault;
    if (lookup != Lookup::kFound || Upper(system->host) != Upper(host)) continue;
    if (system->system_number && *system->system_number != sysnr) continue;
    found.push_back(system);
  }
  // Systems sharing a host and instance differ at least by client.
  if (found.size() > 1) {
    std::vector<std::shared_ptr<const SimSystem>> by_client;
    for (const auto& system : found)
      if (!system->client || *system->client == client) by_client.push_back(system);
    if (!by_client.empty()) found = by_client;
  }
  if (found.size() == 1) return found[0];
  if (found.size() > 1) {
    std::string names;
    for (const auto& system : found) names += (names.empty() ? "" : ", ") + system->destination;
    InvalidParameter(error, "Simulated systems " + names + " all answer on " + host +
                                " instance " + sysnr +
                                ": give their descriptions different host or sysnr lines, or "
                                "open them by DEST");
    return nullptr;
  }
  if (!invalid.empty()) {
    Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "DESCRIPTION_INVALID", invalid);
    return nullptr;
  }
  CommunicationFailure(error, "This sapnwrfc is Quillmeter's simulated library and knows no "
                              "system at " + Partner(host, sysnr) +
                              " (no description file has host " + host +
                              "). Put SAP's NetWeaver RFC library in its place to reach real "
                              "SAP systems.");
  return nullptr;
}

// Marks a connection broken, as the vendor's library closes it after a
// communication failure, a runtime failure or an ABAP message.
void Break(Connection* connection) {
  connection->open = false;
  Log("  connection " + std::to_string(connection->number) + " closed by the failure");
}

// The failure configured for a call or a receive, as the NetWeaver library
// reports it: the classic result codes map to its codes and groups.
RFC_RC CallFailure(RFC_ERROR_INFO* error, Connection* connection, const std::string& function,
                   const simrfc::Failure& failure, const char* what) {
  const SimSystem& system = *connection->system;
  const std::string in_system = " in simulated system " + system.destination;
  switch (failure.result) {
    case 2:
      return Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, failure.exception,
                  "Function module " + function + " raised exception " + failure.exception +
                      in_system);
    case 3:
      Break(connection);
      return Fail(error, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, failure.exception,
                  "Runtime error " + failure.exception + " in " + function + in_system);
    case 4: {
      Break(connection);
      const std::string key = failure.exception.empty() ? "SR006" : failure.exception;
      RFC_RC rc = Fail(error, RFC_ABAP_MESSAGE, ABAP_RUNTIME_FAILURE, key,
                       "Function module " + function + " ended with message A SR 006" +
                           in_system);
      if (error != nullptr) {
        CopyTerminated(u"SR", error->abapMsgClass, 21);
        CopyTerminated(u"A", error->abapMsgType, 2);
        for (size_t i = 0; i < 3; ++i) error->abapMsgNumber[i + 1] = u"006"[i];
        error->abapMsgNumber[0] = u'0';
        CopyTerminated(FromBytes(function), error->abapMsgV1, 51);
      }
      return rc;
    }
    case 1:
      Break(connection);
      return CommunicationFailure(error, std::string(what) + " of " + function + in_system +
                                             " failed (result 1)");
    default:
      return Fail(error, RFC_UNKNOWN_ERROR, EXTERNAL_RUNTIME_FAILURE, "RFC_UNKNOWN_ERROR",
                  std::string(what) + " of " + function + in_system + " failed (result " +
                      std::to_string(failure.result) + ")");
  }
}

// The table of a function the system fails at `point`, or null.
const ParameterDef* FailingTable(const SimSystem& system, const FunctionDef& def,
                                 FailPoint point) {
  for (const ParameterDef& p : def.parameters) {
    if (p.kind != ParameterKind::kTable) continue;
    if (system.FailureAt(point, p.name) || system.FailureAt(point, p.layout->type_name)) return &p;
  }
  return nullptr;
}

void Register(Container* container, const std::shared_ptr<const SimSystem>& system) {
  Sim().containers[container] = LiveContainer{container, system};
  for (auto& [name, child] : container->children) Register(child.get(), system);
}

void Unregister(Container* container) {
  Sim().containers.erase(container);
  for (auto& [name, child] : container->children) Unregister(child.get());
}

// A child of a function: its structure or table parameter `name`.
RFC_RC Child(DATA_CONTAINER_HANDLE handle, const SAP_UC* name, Container::Kind kind,
             DATA_CONTAINER_HANDLE* out, RFC_ERROR_INFO* error, const char* operation) {
  const std::string field = Bytes(name);
  LiveContainer* live = FindContainer(handle);
  Log(std::string(operation) + " " + (live ? live->container->name : "(unknown)") + " " +
      ShownUc(name));
  if (live == nullptr) return InvalidHandle(error);
  if (name == nullptr || out == nullptr) return InvalidParameter(error, "null name or handle");
  auto it = live->container->children.find(field);
  if (it == live->container->children.end() || it->second->kind != kind)
    return FieldNotFound(error, field);
  *out = HandleOf<DATA_CONTAINER_HANDLE>(it->second.get());
  return Ok(error);
}

// The record the field getters and setters act on, with the failure filled
// in when there is none.
std::string* FieldRecord(DATA_CONTAINER_HANDLE handle, RFC_ERROR_INFO* error, RFC_RC* rc,
                         LiveContainer** live) {
  *live = FindContainer(handle);
  if (*live == nullptr) {
    *rc = InvalidHandle(error);
    return nullptr;
  }
  std::string* record = (*live)->container->CurrentRecord();
  if (record == nullptr)
    *rc = Fail(error, RFC_ILLEGAL_STATE, EXTERNAL_RUNTIME_FAILURE, "RFC_ILLEGAL_STATE",
               "Table " + (*live)->container->name + " has no current row");
  return record;
}

}  // namespace
}  // namespace simnwrfc

using namespace simnwrfc;

extern "C" {

SIMNW_EXPORT RFC_CONNECTION_HANDLE SIMNW_CALL RfcOpenConnection(
    const RFC_CONNECTION_PARAMETER* parameters, unsigned count, RFC_ERROR_INFO* error) {
  std::string line = "RfcOpenConnection";
  std::map<std::string, std::string> given;
  const unsigned walked = parameters == nullptr ? 0 : count < kMaxParameters ? count : 0;
  for (unsigned i = 0; i < walked; ++i) {
    const std::string name = Upper(Bytes(parameters[i].name, 64));
    line += " " + name + "=" + ShownUc(parameters[i].value);
    if (parameters[i].name != nullptr) given[name] = Bytes(parameters[i].value);
  }
  Log(line);
  if (walked == 0) {
    InvalidParameter(error, "Invalid parameter 'unsigned paramCount' was passed to the API call");
    return nullptr;
  }

  std::map<std::string, std::string> merged = given;
  std::shared_ptr<const SimSystem> system;
  if (given.count("DEST") != 0) {
    // The entry gives what the caller left out; what the caller passed wins.
    std::map<std::string, std::string> entry;
    if (!FindIniEntry(ReadIni(), given["DEST"], &entry)) {
      InvalidParameter(error, kMissingHost);
      return nullptr;
    }
    merged = entry;
    for (const auto& [name, value] : given) merged[name] = value;
  }
  const std::string host = !merged["ASHOST"].empty() ? merged["ASHOST"] : merged["MSHOST"];
  if (host.empty()) {
    InvalidParameter(error, kMissingHost);
    return nullptr;
  }
  const std::string partner = Partner(host, merged["SYSNR"]);
  if (given.count("DEST") != 0) {
    const std::string destination = given["DEST"];
    std::string fault;
    Lookup lookup = simrfc::LoadSystem(destination, &system, &fault);
    if (lookup == Lookup::kNoFile) {
      CommunicationFailure(error, "This sapnwrfc is Quillmeter's simulated library and knows no "
                                  "system " + destination + " (no file " + destination +
                                      simrfc::kDescriptionSuffix +
                                      "). Put SAP's NetWeaver RFC library in its place to reach "
                                      "real SAP systems.");
      return nullptr;
    }
    if (lookup == Lookup::kInvalid) {
      Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "DESCRIPTION_INVALID",
           destination + simrfc::kDescriptionSuffix + " " + fault);
      return nullptr;
    }
  } else {
    system = FindByHost(host, merged["SYSNR"], merged["CLIENT"], error);
    if (system == nullptr) return nullptr;
  }

  simrfc::Wait(*system);
  simrfc::HangIfAsked(*system, "open");
  if (system->FailureAt(FailPoint::kHandler, "open") != nullptr) {
    CommunicationFailure(error, "Connection to partner '" + partner + "' broken by simulated " +
                                    "system " + system->destination);
    return nullptr;
  }
  if (system->FailureAt(FailPoint::kOpen, "") != nullptr) {
    CommunicationFailure(error, NotReachedBlock(partner));
    return nullptr;
  }
  const std::string client = merged["CLIENT"];
  const LogonResult logon = simrfc::CheckLogon(*system, client, merged["USER"], merged["PASSWD"]);
  if (logon == LogonResult::kUnknownClient) {
    // SAP's newer library reports this as a refused logon, though SAP counts
    // it against nobody.
    Fail(error, RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE",
         "Client " + client + " is not available in this system");
    return nullptr;
  }
  if (logon != LogonResult::kAccepted) {
    Fail(error, RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE",
         simrfc::RefusalText(logon == LogonResult::kLocked, merged["LANG"]));
    return nullptr;
  }
  State& s = Sim();
  auto connection = std::make_unique<Connection>();
  connection->system = system;
  connection->number = s.next_connection++;
  connection->partner = partner;
  Log("  handle " + std::to_string(connection->number));
  RFC_CONNECTION_HANDLE handle = HandleOf<RFC_CONNECTION_HANDLE>(connection.get());
  s.connections[connection.get()] = std::move(connection);
  Ok(error);
  return handle;
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcCloseConnection(RFC_CONNECTION_HANDLE handle,
                                                  RFC_ERROR_INFO* error) {
  Log("RfcCloseConnection " + Number(handle));
  auto it = Sim().connections.find(handle);
  if (it == Sim().connections.end()) return InvalidHandle(error);
  const bool open = it->second->open;
  Sim().connections.erase(it);
  return open ? Ok(error) : InvalidHandle(error);
}

SIMNW_EXPORT RFC_FUNCTION_DESC_HANDLE SIMNW_CALL RfcGetFunctionDesc(RFC_CONNECTION_HANDLE handle,
                                                                    const SAP_UC* name,
                                                                    RFC_ERROR_INFO* error) {
  const std::string function = Bytes(name, 64);
  Log("RfcGetFunctionDesc " + Number(handle) + " " + ShownUc(name, 64));
  Connection* connection = FindConnection(handle);
  if (connection == nullptr) {
    InvalidHandle(error);
    return nullptr;
  }
  const SimSystem& system = *connection->system;
  const FunctionDef* def = FindFunction(function);
  if (def == nullptr) {
    Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "FU_NOT_FOUND",
         "ID:FL Type:E Number:046 " + function);
    return nullptr;
  }
  // The dictionary lookup of each structure and line type.
  for (const ParameterDef& p : def->parameters) {
    if (p.layout == nullptr) continue;
    if (system.FailureAt(FailPoint::kInstall, p.layout->type_name) ||
        system.FailureAt(FailPoint::kInstall, p.name)) {
      Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "NOT_FOUND",
           "Metadata of " + p.layout->type_name + " cannot be read from simulated system " +
               system.destination);
      return nullptr;
    }
  }
  auto& cached = Sim().descriptions[{system.system_id, function}];
  if (!cached) cached = std::make_unique<FunctionDesc>(FunctionDesc{def, nullptr});
  cached->system = connection->system;
  Ok(error);
  return HandleOf<RFC_FUNCTION_DESC_HANDLE>(cached.get());
}

SIMNW_EXPORT RFC_FUNCTION_HANDLE SIMNW_CALL RfcCreateFunction(RFC_FUNCTION_DESC_HANDLE handle,
                                                             RFC_ERROR_INFO* error) {
  const FunctionDesc* desc = nullptr;
  for (const auto& [key, cached] : Sim().descriptions)
    if (static_cast<const void*>(cached.get()) == static_cast<const void*>(handle))
      desc = cached.get();
  Log("RfcCreateFunction " + (desc ? desc->def->name : std::string("(unknown)")));
  if (desc == nullptr) {
    InvalidHandle(error);
    return nullptr;
  }
  if (const ParameterDef* table = FailingTable(*desc->system, *desc->def, FailPoint::kItCreate)) {
    Fail(error, RFC_MEMORY_INSUFFICIENT, EXTERNAL_RUNTIME_FAILURE, "RFC_MEMORY_INSUFFICIENT",
         "Internal table " + table->name + " cannot be created");
    return nullptr;
  }
  std::unique_ptr<Container> function = Container::NewFunction(*desc->def);
  Register(function.get(), desc->system);
  RFC_FUNCTION_HANDLE made = HandleOf<RFC_FUNCTION_HANDLE>(function.get());
  Sim().functions[function.get()] = std::move(function);
  Ok(error);
  return made;
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcDestroyFunction(RFC_FUNCTION_HANDLE handle,
                                                  RFC_ERROR_INFO* error) {
  State& s = Sim();
  auto it = s.functions.find(handle);
  Log("RfcDestroyFunction " + (it != s.functions.end() ? it->second->name : "(unknown)"));
  if (it == s.functions.end()) return InvalidHandle(error);
  Container* function = it->second.get();
  std::shared_ptr<const SimSystem> system = s.containers[function].system;
  const ParameterDef* failing = FailingTable(*system, *function->function, FailPoint::kItDelete);
  Unregister(function);
  s.functions.erase(it);
  if (failing != nullptr)
    return Fail(error, RFC_ILLEGAL_STATE, EXTERNAL_RUNTIME_FAILURE, "RFC_ILLEGAL_STATE",
                "Internal table " + failing->name + " cannot be deleted");
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcInvoke(RFC_CONNECTION_HANDLE handle,
                                         RFC_FUNCTION_HANDLE function_handle,
                                         RFC_ERROR_INFO* error) {
  State& s = Sim();
  auto it = s.functions.find(function_handle);
  Container* function = it != s.functions.end() ? it->second.get() : nullptr;
  std::string line = "RfcInvoke " + Number(handle) + " " + (function ? function->name : "(unknown)");
  if (function != nullptr) {
    std::string values;
    for (const ParameterDef& p : function->function->parameters)
      if (p.kind == ParameterKind::kScalar && p.caller_sets)
        values += (values.empty() ? "" : ",") + p.name + "=" +
                  simrfc::Shown(FieldText(*function->layout->Find(p.name), function->record));
    line += " importing=[" + values + "]";
  }
  Log(line);
  Connection* connection = FindConnection(handle);
  if (connection == nullptr || function == nullptr) return InvalidHandle(error);
  const SimSystem& system = *connection->system;
  const std::string& name = function->name;
  simrfc::Wait(system);
  simrfc::HangIfAsked(system, name);
  if (system.FailureAt(FailPoint::kHandler, name) != nullptr) {
    Break(connection);
    return CommunicationFailure(error, "Connection to partner '" + connection->partner +
                                           "' broken by simulated system " + system.destination);
  }
  if (const simrfc::Failure* f = system.FailureAt(FailPoint::kCall, name))
    return CallFailure(error, connection, name, *f, "Call");
  if (const simrfc::Failure* f = system.FailureAt(FailPoint::kReceive, name);
      f != nullptr && f->result != 0)
    return CallFailure(error, connection, name, *f, "Receive");
  Deliver(simrfc::AnswerOf(system, name), function);
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcSetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                           const RFC_CHAR* value, unsigned length,
                                           RFC_ERROR_INFO* error) {
  const unsigned taken = length < kMaxText ? length : static_cast<unsigned>(kMaxText);
  const std::u16string text = value != nullptr ? std::u16string(value, taken) : std::u16string();
  const std::string field_name = Bytes(name);
  LiveContainer* live = nullptr;
  RFC_RC rc = RFC_OK;
  std::string* record = FieldRecord(handle, error, &rc, &live);
  Log("RfcSetChars " + (live ? live->container->name : "(unknown)") + " " + ShownUc(name) + " " +
      ShownUc(value != nullptr ? (text + u'\0').c_str() : nullptr) + " " +
      std::to_string(length));
  if (record == nullptr) return rc;
  if (name == nullptr || (value == nullptr && length > 0))
    return InvalidParameter(error, "null name or value");
  const FieldDef* field = live->container->layout->Find(field_name);
  if (field == nullptr) return FieldNotFound(error, field_name);
  std::string bytes = ToBytes(text);
  if (field->type != FieldType::kInt && field->type != FieldType::kInt2 &&
      bytes.size() > field->length &&
      bytes.find_first_not_of(' ', field->length) != std::string::npos)
    return Fail(error, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "Value of " + std::to_string(length) + " characters does not fit field '" +
                    field_name + "' of " + std::to_string(field->length));
  if (!SetFieldText(*field, bytes, record))
    return Fail(error, RFC_CONVERSION_FAILURE, EXTERNAL_RUNTIME_FAILURE,
                "RFC_CONVERSION_FAILURE", "Value for field '" + field_name + "' is no number");
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcGetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                           RFC_CHAR* buffer, unsigned length,
                                           RFC_ERROR_INFO* error) {
  const std::string field_name = Bytes(name);
  LiveContainer* live = nullptr;
  RFC_RC rc = RFC_OK;
  std::string* record = FieldRecord(handle, error, &rc, &live);
  Log("RfcGetChars " + (live ? live->container->name : "(unknown)") + " " + ShownUc(name) + " " +
      std::to_string(length));
  if (record == nullptr) return rc;
  if (name == nullptr || buffer == nullptr) return InvalidParameter(error, "null name or buffer");
  const FieldDef* field = live->container->layout->Find(field_name);
  if (field == nullptr) return FieldNotFound(error, field_name);
  Container& container = *live->container;
  if (container.kind == Container::Kind::kTable &&
      (live->system->FailureAt(FailPoint::kItGetLine, container.name) ||
       live->system->FailureAt(FailPoint::kItGetLine, container.layout->type_name)))
    return Fail(error, RFC_CONVERSION_FAILURE, EXTERNAL_RUNTIME_FAILURE, "RFC_CONVERSION_FAILURE",
                "Line " + std::to_string(container.cursor + 1) + " of " + container.name +
                    " cannot be read");
  const std::u16string text = FromBytes(FieldText(*field, *record));
  const bool number = field->type == FieldType::kInt || field->type == FieldType::kInt2;
  const size_t needed = number ? text.size() : field->length;
  if (length < needed)
    return Fail(error, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "Buffer of " + std::to_string(length) + " characters for field '" + field_name +
                    "' of " + std::to_string(needed));
  // Left-aligned and blank-padded, without a terminator.
  for (unsigned i = 0; i < length; ++i) buffer[i] = i < text.size() ? text[i] : u' ';
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcGetStructure(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                               RFC_STRUCTURE_HANDLE* structure,
                                               RFC_ERROR_INFO* error) {
  return Child(handle, name, Container::Kind::kStructure, structure, error, "RfcGetStructure");
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcGetTable(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                           RFC_TABLE_HANDLE* table, RFC_ERROR_INFO* error) {
  return Child(handle, name, Container::Kind::kTable, table, error, "RfcGetTable");
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcGetRowCount(RFC_TABLE_HANDLE handle, unsigned* count,
                                              RFC_ERROR_INFO* error) {
  LiveContainer* live = FindContainer(handle);
  Log("RfcGetRowCount " + (live ? live->container->name : "(unknown)"));
  if (live == nullptr || live->container->kind != Container::Kind::kTable)
    return InvalidHandle(error);
  if (count == nullptr) return InvalidParameter(error, "null row count");
  *count = static_cast<unsigned>(live->container->rows.size());
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcMoveToLastRow(RFC_TABLE_HANDLE handle, RFC_ERROR_INFO* error) {
  LiveContainer* live = FindContainer(handle);
  Log("RfcMoveToLastRow " + (live ? live->container->name : "(unknown)"));
  if (live == nullptr || live->container->kind != Container::Kind::kTable)
    return InvalidHandle(error);
  Container& table = *live->container;
  table.cursor = static_cast<long>(table.rows.size()) - 1;
  if (table.rows.empty())
    return Fail(error, RFC_TABLE_MOVE_EOF, EXTERNAL_RUNTIME_FAILURE, "RFC_TABLE_MOVE_EOF",
                "Table " + table.name + " has no rows");
  return Ok(error);
}

SIMNW_EXPORT RFC_RC SIMNW_CALL RfcSetIniPath(const SAP_UC* directory, RFC_ERROR_INFO* error) {
  Log("RfcSetIniPath " + ShownUc(directory));
  if (directory == nullptr) return InvalidParameter(error, "null directory");
  Sim().ini_dir = std::filesystem::path(Taken(directory));
  return Ok(error);
}

SIMNW_EXPORT const SAP_UC* SIMNW_CALL RfcGetVersion(unsigned* major, unsigned* minor,
                                                    unsigned* patch) {
  Log("RfcGetVersion");
  if (major != nullptr) *major = 7500;
  if (minor != nullptr) *minor = 0;
  if (patch != nullptr) *patch = 12;
  return u"7500.0.12 (Quillmeter's simulated sapnwrfc)";
}

}  // extern "C"
