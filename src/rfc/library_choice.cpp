#include "rfc/library_choice.h"

#include "base/text.h"

namespace quillmeter {

bool ParseRfcLibraryChoice(std::string_view value, RfcLibraryChoice* choice) {
  const std::string name = UpperCase(WithoutTrailingBlanks(value));
  if (name.empty())
    *choice = RfcLibraryChoice::kAutomatic;
  else if (name == "CLASSIC")
    *choice = RfcLibraryChoice::kClassic;
  else if (name == "NETWEAVER")
    *choice = RfcLibraryChoice::kNetWeaver;
  else
    return false;
  return true;
}

std::string_view RfcLibraryChoiceName(RfcLibraryChoice choice) {
  switch (choice) {
    case RfcLibraryChoice::kAutomatic: break;
    case RfcLibraryChoice::kClassic: return "classic";
    case RfcLibraryChoice::kNetWeaver: return "netweaver";
  }
  return "";
}

}  // namespace quillmeter
