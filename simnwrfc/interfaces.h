// The interfaces of the function modules the simulated systems know, as the
// NetWeaver library's metadata lookup finds them, and the data containers
// (functions, structures, tables) that hold their values.
#ifndef QUILLMETER_SIMNWRFC_INTERFACES_H_
#define QUILLMETER_SIMNWRFC_INTERFACES_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "system.h"

namespace simnwrfc {

enum class FieldType { kChar, kDate, kTime, kInt, kInt2 };

// A field at a byte offset of a record: characters (one byte each, as the
// system keeps them) or a binary number of 2 or 4 bytes.
struct FieldDef {
  std::string name;
  FieldType type;
  size_t offset;
  size_t length;  // characters, or bytes of a number
};

struct Layout {
  std::string type_name;  // the dictionary name, as `fail install` names it
  std::vector<FieldDef> fields;
  size_t width = 0;

  // The field called `name`, or null.
  const FieldDef* Find(const std::string& name) const;
};

enum class ParameterKind { kScalar, kStructure, kTable };

struct ParameterDef {
  std::string name;
  ParameterKind kind;
  bool caller_sets;      // importing, from the function module's side
  const Layout* layout;  // of a structure or a table line
};

struct FunctionDef {
  std::string name;
  std::vector<ParameterDef> parameters;
  Layout scalars;  // the scalar parameters as one record

  // Whether the interface uses the dictionary type `type_name` (any when
  // empty).
  bool UsesType(const std::string& type_name) const;
  // The table parameter whose name or line type is `name` (any when empty).
  const ParameterDef* TableNamed(const std::string& name) const;
};

// The interface of `function`, or null for a module the systems lack.
const FunctionDef* FindFunction(const std::string& function);

// A function, structure or table with its values. A function owns the
// structures and tables of its parameters.
struct Container {
  enum class Kind { kFunction, kStructure, kTable };
  explicit Container(Kind k) : kind(k) {}

  Kind kind;
  const FunctionDef* function = nullptr;  // of a function
  const Layout* layout = nullptr;         // fields of the record or of each row
  std::string name;                       // the parameter's, or the function's
  std::string record;                     // a function's or structure's values
  std::vector<std::string> rows;          // a table's
  long cursor = -1;                       // a table's current row, -1 for none
  std::map<std::string, std::unique_ptr<Container>> children;  // by parameter

  // A new function container with blank values and empty tables.
  static std::unique_ptr<Container> NewFunction(const FunctionDef& function);
  // The record the field getters act on: a table's current row; null when a
  // table has none.
  std::string* CurrentRecord();
};

// Puts the system's answer into a function's exporting values and tables.
void Deliver(const simrfc::Answer& answer, Container* function);

// The field's value as text: characters as they stand, numbers in decimal.
std::string FieldText(const FieldDef& field, const std::string& record);

// Sets a character field to `text`, blank-padded. False for a number field
// whose text is no number.
bool SetFieldText(const FieldDef& field, const std::string& text, std::string* record);

}  // namespace simnwrfc

#endif  // QUILLMETER_SIMNWRFC_INTERFACES_H_
