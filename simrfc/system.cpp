#include "system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace simrfc {
namespace {

constexpr const char kLogFile[] = "SimRfc.log";
constexpr size_t kMaxDescriptionSize = 1 << 20;
constexpr size_t kMaxDestination = 64;

// A destination that can only name a plain file in the working directory.
bool PlainDestination(const std::string& destination) {
  return !destination.empty() && destination.size() <= kMaxDestination &&
         destination.find_first_of("/\\:*?\"<>| ") == std::string::npos &&
         destination.find("..") == std::string::npos;
}

// SAP's counter of refused logons in a row, kept beside the description in
// "<DEST>.simrfc-logons" while the system has a lockafter: the sensor is a
// new process at every scan, as SAP's counter outlives every session.
unsigned RefusedInARow(const std::string& destination) {
  std::ifstream in(destination + ".simrfc-logons");
  unsigned count = 0;
  in >> count;
  return count;
}

void SetRefusedInARow(const std::string& destination, unsigned count) {
  const std::string path = destination + ".simrfc-logons";
  if (count == 0) {
    std::remove(path.c_str());
    return;
  }
  std::ofstream(path, std::ios::trunc) << count << "\n";
}

void Put(std::string& line, size_t offset, size_t length, const std::string& text) {
  std::string field = text.substr(0, length);
  field.resize(length, ' ');
  line.replace(offset, length, field);
}

std::string SystemInfoRecord(const SimSystem& system) {
  const std::string texts[] = {
      "011",  "1100",        "LIT",        "IE3",    system.destination, system.host,
      system.system_id, system.system_id, system.host, system.database, "700",
      "  390", "Linux",      "  3600",     " ",      "127.0.0.1",        "721",
      "",
  };
  std::string record;
  size_t i = 0;
  for (const RecordField& f : SystemInfoFields()) {
    std::string field = texts[i++].substr(0, f.length);
    field.resize(f.length, ' ');
    record += field;
  }
  return record;
}

std::string CollectionText(const SimSystem& system) {
  if (system.last_collection != "clock") return system.last_collection;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm t = LocalNow();
  char text[40];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d", kDays[(t.tm_wday % 7 + 7) % 7],
                kMonths[(t.tm_mon % 12 + 12) % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                t.tm_year + 1900);
  return text;
}

std::vector<std::string> CpuLines(const SimSystem& system) {
  std::vector<std::string> lines;
  for (unsigned i = 0; i < system.cpu_lines; ++i) {
    std::string line(kCpuLineLength, '\0');
    const short shorts[kCpuShorts] = {1, 0, static_cast<short>(i + 1)};
    std::memcpy(&line[0], shorts, sizeof shorts);
    const int ints[kCpuInts] = {4, 120, 110, 100, 3000, 9000, 12000, 5000, 2000, 93000};
    std::memcpy(&line[kCpuIntsOffset], ints, sizeof ints);
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> St04Lines(const SimSystem& system) {
  std::vector<std::string> lines;
  std::vector<St04Line> given = system.st04_lines;
  if (!system.st04_given) given.emplace_back();
  std::time_t now = std::time(nullptr);
  for (const St04Line& l : given) {
    std::string line(kSt04LineLength, ' ');
    size_t offset = 0, length = 0;
    for (const char* name : {"ROLLBACKS", "LOGPAGES", "LOGWAITS", "QUEUEOVER"})
      if (St04Field(name, &offset, &length))
        Put(line, offset, length, FormatField({}, now, 0, length));
    for (const auto& [name, value] : l.fields)
      if (St04Field(name, &offset, &length))
        Put(line, offset, length, FormatField(value, now, system.epoch, length));
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

void Log(const std::string& line) {
  std::FILE* probe = std::fopen(kLogFile, "rb");
  if (probe == nullptr) return;
  std::fclose(probe);
  std::FILE* file = std::fopen(kLogFile, "ab");
  if (file == nullptr) return;
  std::string whole = line + "\n";
  std::setvbuf(file, nullptr, _IOFBF, whole.size() + 1);
  std::fwrite(whole.data(), 1, whole.size(), file);
  std::fclose(file);
}

std::string Shown(const std::string& text) {
  std::string shown = "[";
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown + "]";
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

void Wait(const SimSystem& system) {
  if (system.latency_ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(system.latency_ms));
}

void HangIfAsked(const SimSystem& system, const std::string& target) {
  if (system.FailureAt(FailPoint::kHang, target) == nullptr) return;
  Log("  hangs at " + target);
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm* local = std::localtime(&now);
  return local != nullptr ? *local : std::tm{};
}

Lookup LoadSystem(const std::string& destination, std::shared_ptr<const SimSystem>* system,
                  std::string* error) {
  if (!PlainDestination(destination)) return Lookup::kNoFile;
  std::ifstream in(destination + kDescriptionSuffix, std::ios::binary);
  if (!in) return Lookup::kNoFile;
  // Read in small pieces: a zeroed buffer of the whole limit cost every open
  // a megabyte of page faults.
  std::string text;
  char piece[4096];
  while (text.size() < kMaxDescriptionSize) {
    size_t want = std::min(sizeof piece, kMaxDescriptionSize - text.size());
    in.read(piece, static_cast<std::streamsize>(want));
    if (in.gcount() <= 0) break;
    text.append(piece, static_cast<size_t>(in.gcount()));
  }
  auto parsed = std::make_shared<SimSystem>();
  parsed->destination = destination;
  if (!ParseDescription(text, parsed.get(), error)) return Lookup::kInvalid;
  *system = parsed;
  return Lookup::kFound;
}

std::vector<std::string> DescribedDestinations() {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    if (path.extension() != kDescriptionSuffix) continue;
    std::string destination = path.stem().string();
    if (PlainDestination(destination)) found.push_back(destination);
  }
  std::sort(found.begin(), found.end());
  return found;
}

LogonResult CheckLogon(const SimSystem& system, const std::string& client,
                       const std::string& user, const std::string& password) {
  // An unknown client is no refused logon: SAP counts nothing against anyone.
  if (system.client && *system.client != client) return LogonResult::kUnknownClient;
  const bool known = (!system.user || Upper(*system.user) == Upper(user)) &&
                     (!system.password || *system.password == password);
  const unsigned before = system.lock_after > 0 ? RefusedInARow(system.destination) : 0;
  const bool locked = system.lock_after > 0 && before >= system.lock_after;
  if (!known || locked) {
    const unsigned count = before + 1;
    if (system.lock_after > 0) SetRefusedInARow(system.destination, count);
    Log("  logon refused (" + std::to_string(count) + " in a row)" +
        (locked ? ", user locked" : ""));
    return locked ? LogonResult::kLocked : LogonResult::kRefused;
  }
  if (before > 0) SetRefusedInARow(system.destination, 0);
  return LogonResult::kAccepted;
}

std::string RefusalText(bool locked, const std::string& language) {
  const bool german = Upper(language.substr(0, 1)) == "D";
  return locked ? (german ? "Benutzer ist gesperrt. Bitte beim Systemadministrator melden"
                          : "User is locked. Please notify the person responsible")
                : (german ? "Name oder Kennwort ist nicht korrekt (Anmeldung wiederholen)"
                          : "Name or password is incorrect (repeat logon)");
}

bool KnownFunction(const std::string& function) {
  return function == "RFC_SYSTEM_INFO" || function == "GET_CPU_ALL" || function == "ADA_ST04";
}

Answer AnswerOf(const SimSystem& system, const std::string& function) {
  Answer a;
  auto number = [](long n) { return Value{true, n, std::string()}; };
  auto text = [](std::string t) { return Value{false, 0, std::move(t)}; };
  if (function == "RFC_SYSTEM_INFO") {
    a.importing["CURRENT_RESOURCES"] = number(5);
    a.importing["DIALOG_USER_TYPE"] = text("0");
    a.importing["MAXIMAL_RESOURCES"] = number(10);
    a.importing["RECOMMENDED_DELAY"] = number(0);
    a.importing["RFCSI_EXPORT"] = text(SystemInfoRecord(system));
    a.importing["RFC_LOGIN_COMPLETE"] = text("X");
  } else if (function == "GET_CPU_ALL") {
    a.importing["ACTIVEFLAG"] = number(1);
    a.importing["DETAILSCOLL"] = number(0);
    a.importing["DETAILSMODE"] = number(0);
    a.importing["DETAILSREQI"] = number(0);
    a.importing["F_CPU_ALL_READ"] = text("X");
    a.importing["INTERVAL"] = number(10);
    a.importing["LASTCOLLINT"] = number(10);
    a.importing["LASTCOLLWRT"] = text(CollectionText(system));
    a.importing["NORMCOLLINT"] = number(10);
    a.importing["OP_SYSTEM"] = text("Linux");
    a.tables["TF_CPU_ALL"] = {CpuLines(system), '\0'};
  } else if (function == "ADA_ST04") {
    a.importing["DBSTART_DATE"] = text("20240101");
    a.importing["DBSTART_TIME"] = text("080000");
    a.importing["DBVERSION"] = text("Kernel 7.9.10 Build 004 (simulated)");
    a.tables["TST04ADA"] = {St04Lines(system), ' '};
  }
  return a;
}

const std::vector<RecordField>& SystemInfoFields() {
  static const std::vector<RecordField> kFields = {
      {"RFCPROTO", 3},   {"RFCCHARTYP", 4}, {"RFCINTTYP", 3},  {"RFCFLOTYP", 3},
      {"RFCDEST", 32},   {"RFCHOST", 8},    {"RFCSYSID", 8},   {"RFCDATABS", 8},
      {"RFCDBHOST", 32}, {"RFCDBSYS", 10},  {"RFCSAPRL", 4},   {"RFCMACH", 5},
      {"RFCOPSYS", 10},  {"RFCTZONE", 6},   {"RFCDAYST", 1},   {"RFCIPADDR", 15},
      {"RFCKERNRL", 4},  {"RFCSI_RESV", 44},
  };
  return kFields;
}

}  // namespace simrfc
