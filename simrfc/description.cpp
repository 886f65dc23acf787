#include "description.h"

#include <cstring>

namespace simrfc {
namespace {

struct FieldLayout {
  const char* name;
  size_t length;
};

// TST04ADA, packed without gaps: 860 characters. Written out here apart from
// the sensor's own table, as the remote system knows it: a wrong offset in
// the sensor then shows as a wrong figure in the tests.
constexpr FieldLayout kSt04Fields[] = {
    {"CACHESIZE", 14},  {"CACHEACC", 26},   {"CACHEHITS", 26},  {"HITRATE", 14},
    {"SQLCOMM", 26},    {"ROLLBACKS", 26},  {"COMMITS", 26},    {"PREPARES", 26},
    {"EXECUTES", 26},   {"CREATES", 26},    {"ALTERS", 26},     {"DROPS", 26},
    {"SHOWS", 26},      {"PHYREADS", 26},   {"PHYWRITES", 26},  {"LOGREADS", 26},
    {"LOGWRITES", 26},  {"LOCKENTRY", 26},  {"MAXENTRIES", 26}, {"AVGENTRIES", 26},
    {"ROWENTRIES", 26}, {"TABENTRIES", 26}, {"COLLISION", 26},  {"ESCALATION", 26},
    {"LOCKHOLDER", 26}, {"LOCKREQ", 26},    {"LOGPAGES", 26},   {"LOGWAITS", 26},
    {"GROUPCOM", 26},   {"QUEUEOVER", 26},  {"TABLESCANS", 26}, {"INDEXSCANS", 26},
    {"CACHESORTS", 26}, {"ROWSORTS", 26},
};

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Reads decimal digits at text[*at], saturating. False when there are none.
bool ReadNumber(const std::string& text, size_t* at, uint64_t* value) {
  size_t start = *at;
  uint64_t v = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9') {
    unsigned digit = static_cast<unsigned>(text[*at] - '0');
    v = v > (UINT64_MAX - digit) / 10 ? UINT64_MAX : v * 10 + digit;
    ++*at;
  }
  *value = v;
  return *at > start;
}

void SkipBlanks(const std::string& text, size_t* at) {
  while (*at < text.size() && (text[*at] == ' ' || text[*at] == '\t')) ++*at;
}

bool ParseFieldValue(const std::string& text, FieldValue* value, std::string* error) {
  if (!text.empty() && text[0] == '"') {
    size_t close = text.find('"', 1);
    value->literal = true;
    value->text = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    return true;
  }
  size_t at = 0;
  if (!ReadNumber(text, &at, &value->base)) {
    *error = "a number or a quoted text expected";
    return false;
  }
  SkipBlanks(text, &at);
  if (at < text.size() && text[at] == '+') {
    ++at;
    SkipBlanks(text, &at);
    if (!ReadNumber(text, &at, &value->rate) || text.compare(at, 2, "/s") != 0) {
      *error = "a rate like + 3/s expected";
      return false;
    }
    at += 2;
  }
  for (;;) {
    SkipBlanks(text, &at);
    if (at >= text.size()) return true;
    size_t end = text.find_first_of(" \t", at);
    std::string word = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? text.size() : end;
    if (word == "dotted") {
      value->dotted = true;
    } else if (word == "left") {
      value->left = true;
    } else {
      *error = "unknown word " + word;
      return false;
    }
  }
}

bool ParseFailure(const std::string& text, Failure* failure, std::string* error) {
  std::vector<std::string> words;
  for (size_t at = 0; at < text.size();) {
    size_t begin = text.find_first_not_of(" \t", at);
    if (begin == std::string::npos) break;
    size_t end = text.find_first_of(" \t", begin);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(begin, end - begin));
    at = end;
  }
  static const std::pair<const char*, FailPoint> kPoints[] = {
      {"open", FailPoint::kOpen},           {"install", FailPoint::kInstall},
      {"call", FailPoint::kCall},           {"receive", FailPoint::kReceive},
      {"handler", FailPoint::kHandler},     {"itcreate", FailPoint::kItCreate},
      {"itgetline", FailPoint::kItGetLine}, {"itdelete", FailPoint::kItDelete},
      {"hang", FailPoint::kHang},
  };
  bool known = false;
  for (const auto& [name, point] : kPoints) {
    if (!words.empty() && words[0] == name) {
      failure->point = point;
      known = true;
    }
  }
  if (!known) {
    *error =
        "fail needs open, install, call, receive, handler, itcreate, itgetline, itdelete or hang";
    return false;
  }
  if (words.size() > 1 && words[1] != "*") failure->target = words[1];
  if (words.size() > 2) {
    size_t at = 0;
    uint64_t result = 0;
    if (!ReadNumber(words[2], &at, &result) || at != words[2].size() || result > 1000) {
      *error = "result code " + words[2] + " is not a number up to 1000";
      return false;
    }
    failure->result = static_cast<int>(result);
  }
  if (words.size() > 3) failure->exception = words[3];
  if (failure->exception.empty() && failure->result == 2) failure->exception = "NOT_FOUND";
  if (failure->exception.empty() && failure->result == 3) failure->exception = "SYSTEM_FAILURE";
  return true;
}

}  // namespace

const Failure* SimSystem::FailureAt(FailPoint point, const std::string& target) const {
  for (const Failure& f : failures)
    if (f.point == point && (f.target.empty() || f.target == target)) return &f;
  return nullptr;
}

bool St04Field(const std::string& name, size_t* offset, size_t* length) {
  size_t at = 0;
  for (const FieldLayout& field : kSt04Fields) {
    if (name == field.name) {
      *offset = at;
      *length = field.length;
      return true;
    }
    at += field.length;
  }
  return false;
}

std::vector<std::string> St04FieldNames() {
  std::vector<std::string> names;
  for (const FieldLayout& field : kSt04Fields) names.push_back(field.name);
  return names;
}

bool ParseDescription(const std::string& text, SimSystem* system, std::string* error) {
  size_t line_number = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(at, end - at));
    if (!line.empty() && line.back() == '\r') line = Trim(line.substr(0, line.size() - 1));
    at = end + 1;
    ++line_number;
    if (line.empty() || line[0] == '#') continue;

    size_t blank = line.find_first_of(" \t");
    std::string key = line.substr(0, blank);
    std::string value = blank == std::string::npos ? std::string() : Trim(line.substr(blank));
    std::string fault;
    size_t offset, length;
    uint64_t number = 0;
    size_t digits = 0;

    if (key == "client") {
      system->client = value;
    } else if (key == "user") {
      system->user = value;
    } else if (key == "password") {
      system->password = value;
    } else if (key == "database") {
      system->database = value;
    } else if (key == "host") {
      system->host = value;
    } else if (key == "sysnr") {
      system->system_number = value;
    } else if (key == "sysid") {
      system->system_id = value;
    } else if (key == "lastcoll") {
      system->last_collection = value;
    } else if (key == "cpulines" || key == "epoch" || key == "latency" || key == "lockafter") {
      if (!ReadNumber(value, &digits, &number) || digits != value.size() || number > 1000000000000)
        fault = "a number expected";
      else if (key == "cpulines")
        system->cpu_lines = number > 1000 ? 1000 : static_cast<unsigned>(number);
      else if (key == "latency")
        system->latency_ms = number > 600000 ? 600000 : static_cast<unsigned>(number);
      else if (key == "lockafter")
        system->lock_after = number > 1000 ? 1000 : static_cast<unsigned>(number);
      else
        system->epoch = static_cast<std::time_t>(number);
    } else if (key == "trace") {
      if (value == "full")
        system->trace = TraceStyle::kFull;
      else if (value == "bare")
        system->trace = TraceStyle::kBare;
      else if (value == "off")
        system->trace = TraceStyle::kOff;
      else
        fault = "trace is full, bare or off";
    } else if (key == "st04line") {
      system->st04_given = true;
      if (value.empty())
        system->st04_lines.emplace_back();
      else if (value != "none")
        fault = "st04line takes nothing or none";
    } else if (key == "fail") {
      Failure failure{};
      if (ParseFailure(value, &failure, &fault)) system->failures.push_back(failure);
    } else if (St04Field(key, &offset, &length)) {
      FieldValue field;
      if (system->st04_lines.empty())
        fault = "a field needs an st04line before it";
      else if (ParseFieldValue(value, &field, &fault))
        system->st04_lines.back().fields.emplace_back(key, field);
    } else {
      fault = "unknown key " + key;
    }
    if (!fault.empty()) {
      *error = "line " + std::to_string(line_number) + ": " + fault;
      return false;
    }
  }
  if (system->system_id.empty()) system->system_id = system->destination;
  return true;
}

std::string FormatField(const FieldValue& value, std::time_t now, std::time_t epoch, size_t width) {
  std::string text;
  if (value.literal) {
    text = value.text;
  } else {
    uint64_t seconds = now > epoch ? static_cast<uint64_t>(now - epoch) : 0;
    uint64_t growth =
        seconds != 0 && value.rate > UINT64_MAX / seconds ? UINT64_MAX : value.rate * seconds;
    uint64_t total = value.base > UINT64_MAX - growth ? UINT64_MAX : value.base + growth;
    std::string digits = std::to_string(total);
    for (size_t i = 0; i < digits.size(); ++i) {
      if (value.dotted && i > 0 && (digits.size() - i) % 3 == 0) text.push_back('.');
      text.push_back(digits[i]);
    }
  }
  if (text.size() > width) text.resize(width);
  if (value.left || value.literal) return text + std::string(width - text.size(), ' ');
  return std::string(width - text.size(), ' ') + text;
}

}  // namespace simrfc
