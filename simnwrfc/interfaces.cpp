#include "interfaces.h"

#include <cstdint>
#include <cstring>

namespace simnwrfc {
namespace {

using simrfc::kCpuInts;
using simrfc::kCpuIntsOffset;
using simrfc::kCpuLineLength;
using simrfc::kCpuShorts;

size_t StorageOf(FieldType type, size_t length) {
  return type == FieldType::kInt ? 4 : type == FieldType::kInt2 ? 2 : length;
}

Layout SystemInfoLayout() {
  Layout layout{"RFCSI", {}, 0};
  for (const simrfc::RecordField& f : simrfc::SystemInfoFields()) {
    layout.fields.push_back({f.name, FieldType::kChar, layout.width, f.length});
    layout.width += f.length;
  }
  return layout;
}

// The dictionary knows the monitor line as TST04SQD; its table is TST04ADA.
Layout MonitorLayout() {
  Layout layout{"TST04SQD", {}, simrfc::kSt04LineLength};
  for (const std::string& name : simrfc::St04FieldNames()) {
    size_t offset = 0, length = 0;
    if (simrfc::St04Field(name, &offset, &length))
      layout.fields.push_back({name, FieldType::kChar, offset, length});
  }
  return layout;
}

Layout CpuLayout() {
  static const char* const kShorts[kCpuShorts] = {"TYPE", "SUBTYPE", "SERIALNR"};
  static const char* const kInts[kCpuInts] = {"NBR_CPU",  "LOAD1_AVG", "LOAD5_AVG", "LOAD15_AVG",
                                              "INT_SEC",  "SYSC_SEC",  "CS_SEC",    "USR_TOTAL",
                                              "SYS_TOTAL", "IDLE_TOTAL"};
  Layout layout{"CPU_ALL", {}, kCpuLineLength};
  for (size_t i = 0; i < kCpuShorts; ++i)
    layout.fields.push_back({kShorts[i], FieldType::kInt2, 2 * i, 2});
  for (size_t i = 0; i < kCpuInts; ++i)
    layout.fields.push_back({kInts[i], FieldType::kInt, kCpuIntsOffset + 4 * i, 4});
  return layout;
}

struct Scalar {
  const char* name;
  FieldType type;
  size_t length;
  bool caller_sets;
};

FunctionDef Define(const std::string& name, std::initializer_list<Scalar> scalars,
                   std::vector<ParameterDef> others) {
  FunctionDef def{name, {}, Layout{name, {}, 0}};
  for (const Scalar& s : scalars) {
    def.scalars.fields.push_back({s.name, s.type, def.scalars.width, s.length});
    def.scalars.width += StorageOf(s.type, s.length);
    def.parameters.push_back({s.name, ParameterKind::kScalar, s.caller_sets, nullptr});
  }
  for (ParameterDef& p : others) def.parameters.push_back(std::move(p));
  return def;
}

const std::vector<FunctionDef>& Functions() {
  static const Layout kSystemInfo = SystemInfoLayout();
  static const Layout kMonitor = MonitorLayout();
  static const Layout kCpu = CpuLayout();
  static const std::vector<FunctionDef> kFunctions = {
      Define("GET_CPU_ALL",
             {{"LOCAL_REMOTE", FieldType::kChar, 6, true},
              {"LOGICAL_DESTINATION", FieldType::kChar, 32, true},
              {"ACTIVEFLAG", FieldType::kInt, 4, false},
              {"DETAILSCOLL", FieldType::kInt, 4, false},
              {"DETAILSMODE", FieldType::kInt, 4, false},
              {"DETAILSREQI", FieldType::kInt, 4, false},
              {"F_CPU_ALL_READ", FieldType::kChar, 1, false},
              {"INTERVAL", FieldType::kInt, 4, false},
              {"LASTCOLLINT", FieldType::kInt, 4, false},
              {"LASTCOLLWRT", FieldType::kChar, 25, false},
              {"NORMCOLLINT", FieldType::kInt, 4, false},
              {"OP_SYSTEM", FieldType::kChar, 52, false}},
             {{"TF_CPU_ALL", ParameterKind::kTable, false, &kCpu}}),
      Define("RFC_SYSTEM_INFO",
             {{"CURRENT_RESOURCES", FieldType::kInt, 4, false},
              {"DIALOG_USER_TYPE", FieldType::kChar, 1, false},
              {"MAXIMAL_RESOURCES", FieldType::kInt, 4, false},
              {"RECOMMENDED_DELAY", FieldType::kInt, 4, false},
              {"RFC_LOGIN_COMPLETE", FieldType::kChar, 1, false}},
             {{"RFCSI_EXPORT", ParameterKind::kStructure, false, &kSystemInfo}}),
      Define("ADA_ST04",
             {{"DBSTART_DATE", FieldType::kDate, 8, false},
              {"DBSTART_TIME", FieldType::kTime, 6, false},
              {"DBVERSION", FieldType::kChar, 40, false}},
             {{"TST04ADA", ParameterKind::kTable, false, &kMonitor}}),
  };
  return kFunctions;
}

}  // namespace

const FieldDef* Layout::Find(const std::string& name) const {
  for (const FieldDef& f : fields)
    if (f.name == name) return &f;
  return nullptr;
}

bool FunctionDef::UsesType(const std::string& type_name) const {
  for (const ParameterDef& p : parameters)
    if (p.layout != nullptr && (type_name.empty() || p.layout->type_name == type_name))
      return true;
  return false;
}

const ParameterDef* FunctionDef::TableNamed(const std::string& name) const {
  for (const ParameterDef& p : parameters)
    if (p.kind == ParameterKind::kTable &&
        (name.empty() || p.name == name || p.layout->type_name == name))
      return &p;
  return nullptr;
}

const FunctionDef* FindFunction(const std::string& function) {
  for (const FunctionDef& def : Functions())
    if (def.name == function) return &def;
  return nullptr;
}

std::unique_ptr<Container> Container::NewFunction(const FunctionDef& function) {
  auto made = std::make_unique<Container>(Kind::kFunction);
  made->function = &function;
  made->layout = &function.scalars;
  made->name = function.name;
  made->record.assign(function.scalars.width, ' ');
  for (const FieldDef& f : function.scalars.fields)
    if (f.type == FieldType::kInt || f.type == FieldType::kInt2)
      made->record.replace(f.offset, f.length, f.length, '\0');
  for (const ParameterDef& p : function.parameters) {
    if (p.kind == ParameterKind::kScalar) continue;
    auto child = std::make_unique<Container>(p.kind == ParameterKind::kTable ? Kind::kTable
                                                                         : Kind::kStructure);
    child->layout = p.layout;
    child->name = p.name;
    if (p.kind == ParameterKind::kStructure) child->record.assign(p.layout->width, ' ');
    made->children[p.name] = std::move(child);
  }
  return made;
}

std::string* Container::CurrentRecord() {
  if (kind != Kind::kTable) return &record;
  if (cursor < 0 || static_cast<size_t>(cursor) >= rows.size()) return nullptr;
  return &rows[static_cast<size_t>(cursor)];
}

void Deliver(const simrfc::Answer& answer, Container* function) {
  for (const FieldDef& f : function->layout->fields) {
    auto it = answer.importing.find(f.name);
    if (it == answer.importing.end()) continue;
    const simrfc::Value& v = it->second;
    if (f.type == FieldType::kInt) {
      int32_t n = static_cast<int32_t>(v.number);
      std::memcpy(&function->record[f.offset], &n, sizeof n);
    } else if (f.type == FieldType::kInt2) {
      int16_t n = static_cast<int16_t>(v.number);
      std::memcpy(&function->record[f.offset], &n, sizeof n);
    } else {
      SetFieldText(f, v.is_number ? std::to_string(v.number) : v.text, &function->record);
    }
  }
  for (auto& [name, child] : function->children) {
    if (child->kind == Container::Kind::kStructure) {
      auto it = answer.importing.find(name);
      if (it == answer.importing.end()) continue;
      child->record = it->second.text;
      child->record.resize(child->layout->width, ' ');
    } else {
      auto it = answer.tables.find(name);
      child->rows.clear();
      child->cursor = -1;
      if (it == answer.tables.end()) continue;
      for (std::string row : it->second.first) {
        row.resize(child->layout->width, it->second.second);
        child->rows.push_back(row);
      }
      if (!child->rows.empty()) child->cursor = 0;
    }
  }
}

std::string FieldText(const FieldDef& field, const std::string& record) {
  if (field.offset + StorageOf(field.type, field.length) > record.size()) return std::string();
  if (field.type == FieldType::kInt) {
    int32_t n;
    std::memcpy(&n, &record[field.offset], sizeof n);
    return std::to_string(n);
  }
  if (field.type == FieldType::kInt2) {
    int16_t n;
    std::memcpy(&n, &record[field.offset], sizeof n);
    return std::to_string(n);
  }
  return record.substr(field.offset, field.length);
}

bool SetFieldText(const FieldDef& field, const std::string& text, std::string* record) {
  if (field.offset + StorageOf(field.type, field.length) > record->size()) return false;
  if (field.type == FieldType::kInt || field.type == FieldType::kInt2) {
    std::string digits = simrfc::TrimRight(text);
    size_t at = digits.find_first_not_of(' ');
    if (at == std::string::npos) digits = "0";
    else digits = digits.substr(at);
    long long n = 0;
    bool negative = !digits.empty() && digits[0] == '-';
    size_t i = negative ? 1 : 0;
    if (i >= digits.size()) return false;
    for (; i < digits.size(); ++i) {
      if (digits[i] < '0' || digits[i] > '9' || n > 1000000000000LL) return false;
      n = n * 10 + (digits[i] - '0');
    }
    if (negative) n = -n;
    if (field.type == FieldType::kInt) {
      if (n < INT32_MIN || n > INT32_MAX) return false;
      int32_t v = static_cast<int32_t>(n);
      std::memcpy(&(*record)[field.offset], &v, sizeof v);
    } else {
      if (n < INT16_MIN || n > INT16_MAX) return false;
      int16_t v = static_cast<int16_t>(n);
      std::memcpy(&(*record)[field.offset], &v, sizeof v);
    }
    return true;
  }
  std::string value = text.substr(0, field.length);
  value.resize(field.length, ' ');
  record->replace(field.offset, field.length, value);
  return true;
}

}  // namespace simnwrfc
