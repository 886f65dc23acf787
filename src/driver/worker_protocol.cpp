#include "driver/worker_protocol.h"

#include <map>
#include <optional>

namespace quillmeter {
namespace {

constexpr std::string_view kBegin = "\x1eQMW1\n";
constexpr std::string_view kStep = "\x1eSTEP ";
constexpr std::string_view kEnd =
    "\x1e"
    "END\n";

using Fields = std::map<std::string, std::string, std::less<>>;

// Values stay on their line and pass any pipe unchanged: "\" and every
// control character (line ends, NUL, the marker, Windows' end-of-file) are
// written as escapes.
std::string Escaped(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(value.size());
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte == 0x7f) {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    } else {
      text += c;
    }
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string value;
  value.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      value += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      value += '\\';
      ++i;
      continue;
    }
    if (i + 3 >= text.size()) return std::nullopt;
    if (text[i + 1] != 'x') return std::nullopt;
    int high = HexDigit(text[i + 2]), low = HexDigit(text[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    value += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return value;
}

std::string Frame(const Fields& fields) {
  std::string text(kBegin);
  for (const auto& [key, value] : fields) text += key + "=" + Escaped(value) + "\n";
  return text + std::string(kEnd);
}

bool Unframe(std::string_view text, Fields* fields) {
  size_t begin = text.rfind(kBegin);
  if (begin == std::string_view::npos) return false;
  text.remove_prefix(begin + kBegin.size());
  size_t end = text.find(kEnd);
  if (end == std::string_view::npos) return false;
  text = text.substr(0, end);
  while (!text.empty()) {
    size_t line_end = text.find('\n');
    if (line_end == std::string_view::npos) return false;
    std::string_view line = text.substr(0, line_end);
    text.remove_prefix(line_end + 1);
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    std::optional<std::string> value = Unescaped(line.substr(equals + 1));
    if (!value) return false;
    (*fields)[std::string(line.substr(0, equals))] = std::move(*value);
  }
  return true;
}

std::string Get(const Fields& fields, std::string_view key) {
  auto it = fields.find(key);
  return it == fields.end() ? std::string() : it->second;
}

std::optional<std::string> GetOptional(const Fields& fields, std::string_view key) {
  auto it = fields.find(key);
  if (it == fields.end()) return std::nullopt;
  return it->second;
}

// A number the report carries; false when it is none.
bool Number(const Fields& fields, std::string_view key, std::uint64_t* value) {
  std::string text = Get(fields, key);
  if (text.empty() || text.size() > 20) return false;
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  *value = n;
  return true;
}

// The fields of the connection profile, in one table for both directions.
constexpr std::pair<const char*, std::string ConnectionProfile::*> kProfileFields[] = {
    {"extcompany", &ConnectionProfile::external_company},
    {"destination", &ConnectionProfile::destination},
    {"client", &ConnectionProfile::client},
    {"user", &ConnectionProfile::user},
    {"password", &ConnectionProfile::password},
    {"language", &ConnectionProfile::language},
    {"mode", &ConnectionProfile::mode},
    {"host", &ConnectionProfile::host_name},
    {"sysnr", &ConnectionProfile::system_number},
    {"gwhost", &ConnectionProfile::gateway_host},
    {"gwservice", &ConnectionProfile::gateway_service},
    {"display_host", &ConnectionProfile::display_host},
};

}  // namespace

std::string EncodeStep(std::string_view step) { return std::string(kStep) + Escaped(step) + "\n"; }

std::string LastStep(std::string_view text) {
  // A line the kill cut short is passed over for the one before.
  for (size_t at = text.rfind(kStep); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : text.rfind(kStep, at - 1)) {
    std::string_view rest = text.substr(at + kStep.size());
    size_t end = rest.find('\n');
    if (end == std::string_view::npos) continue;
    if (std::optional<std::string> step = Unescaped(rest.substr(0, end))) return *step;
  }
  return std::string();
}

std::string EncodeJob(const WorkerJob& job) {
  Fields fields;
  const OpenRequest& open = job.request.open;
  for (const auto& [key, field] : kProfileFields) fields[key] = open.profile.*field;
  fields["profile_name"] = open.profile_name;
  fields["profile_folder"] = open.profile_folder;
  fields["library"] = std::string(RfcLibraryChoiceName(open.profile.library));
  if (open.overrides.host) fields["host_override"] = *open.overrides.host;
  if (open.overrides.system_number) fields["sysnr_override"] = *open.overrides.system_number;
  fields["history"] = job.request.history.sensor;
  fields["profile_text"] = job.request.profile_text;
  fields["call_log"] = job.call_log;
  return Frame(fields);
}

bool DecodeJob(std::string_view text, WorkerJob* job) {
  Fields fields;
  if (!Unframe(text, &fields) || fields.count("profile_name") == 0) return false;
  *job = WorkerJob();
  OpenRequest& open = job->request.open;
  for (const auto& [key, field] : kProfileFields) open.profile.*field = Get(fields, key);
  open.profile_name = Get(fields, "profile_name");
  open.profile_folder = Get(fields, "profile_folder");
  if (!ParseRfcLibraryChoice(Get(fields, "library"), &open.profile.library)) return false;
  open.overrides.host = GetOptional(fields, "host_override");
  open.overrides.system_number = GetOptional(fields, "sysnr_override");
  job->request.history.sensor = Get(fields, "history");
  job->request.profile_text = Get(fields, "profile_text");
  job->call_log = Get(fields, "call_log");
  return true;
}

std::string EncodeReport(const WorkerReport& report) {
  Fields fields;
  if (report.library_failed) {
    const LibraryFailure& f = report.failure;
    fields["failed"] = "1";
    fields["operation"] = f.operation;
    fields["key"] = f.key;
    fields["status"] = f.status;
    fields["message"] = f.message;
    fields["internal_status"] = f.internal_status;
    return Frame(fields);
  }
  const ScanResult& scan = report.scan;
  fields["step"] = std::to_string(static_cast<int>(scan.step));
  fields["ok"] = scan.status.ok() ? "1" : "0";
  if (scan.status.IsRefused()) fields["refused"] = "1";
  fields["message"] = scan.status.message();
  fields["cause"] = scan.status.cause();
  fields["note"] = scan.console_note;
  for (size_t i = 0; i < scan.growth.size(); ++i)
    fields["growth" + std::to_string(i)] = std::to_string(scan.growth[i]);
  if (scan.history) {
    fields["history"] = scan.history->key.sensor;
    fields["history_line"] = scan.history->line;
    fields["previous_line"] = scan.history->previous_line;
  }
  return Frame(fields);
}

bool DecodeReport(std::string_view text, WorkerReport* report) {
  Fields fields;
  if (!Unframe(text, &fields)) return false;
  *report = WorkerReport();
  if (Get(fields, "failed") == "1") {
    report->library_failed = true;
    LibraryFailure& f = report->failure;
    f.operation = Get(fields, "operation");
    f.key = Get(fields, "key");
    f.status = Get(fields, "status");
    f.message = Get(fields, "message");
    f.internal_status = Get(fields, "internal_status");
    return true;
  }
  ScanResult& scan = report->scan;
  std::uint64_t step = 0;
  if (!Number(fields, "step", &step) || step > static_cast<std::uint64_t>(ScanStep::kDone))
    return false;
  scan.step = static_cast<ScanStep>(step);
  const bool ok = Get(fields, "ok") == "1";
  if (ok != (scan.step == ScanStep::kDone)) return false;
  if (!ok && Get(fields, "refused") == "1")
    scan.status = Status::Refused(Get(fields, "message"), Get(fields, "cause"));
  else if (!ok)
    scan.status = Status::Error(Get(fields, "message"), Get(fields, "cause"));
  scan.console_note = Get(fields, "note");
  for (size_t i = 0; i < scan.growth.size(); ++i)
    if (!Number(fields, "growth" + std::to_string(i), &scan.growth[i])) return false;
  if (fields.count("history_line") != 0)
    scan.history = HistoryUpdate{HistoryKey{Get(fields, "history")}, Get(fields, "history_line"),
                                 Get(fields, "previous_line")};
  return true;
}

void FrameReader::Add(std::string_view data) { pending_.append(data); }

bool FrameReader::Next(std::string* frame) {
  for (;;) {
    size_t begin = pending_.find(kBegin);
    if (begin == std::string::npos) {
      // Only a marker's first bytes may be worth keeping.
      if (pending_.size() >= kBegin.size())
        pending_.erase(0, pending_.size() - (kBegin.size() - 1));
      return false;
    }
    pending_.erase(0, begin);
    size_t end = pending_.find(kEnd, kBegin.size());
    // No frame holds a marker inside: one that another begins in is damaged.
    size_t again = pending_.find(kBegin, kBegin.size());
    if (again != std::string::npos && (end == std::string::npos || again < end)) {
      pending_.erase(0, again);
      continue;
    }
    if (end == std::string::npos) {
      if (pending_.size() > max_frame_) pending_.clear();
      return false;
    }
    end += kEnd.size();
    frame->assign(pending_, 0, end);
    pending_.erase(0, end);
    return true;
  }
}

}  // namespace quillmeter
