#include "output/channel.h"

#include <string>

#include "output/document.h"
#include "output/result_writer.h"

namespace quillmeter {
namespace {

constexpr size_t kNameRoom = 123;
constexpr size_t kUnitRoom = 123;
constexpr size_t kValueRoom = 111;

std::string_view DisplayUnit(std::string_view unit) {
  if (unit.empty()) return "#";
  if (unit == "PerCent") return "%";
  if (unit == "TimeResponse") return "mSec";
  return unit;
}

}  // namespace

void AddChannel(RunState& run, std::string_view name, std::string_view value,
                std::string_view unit) {
  name = name.substr(0, kNameRoom);
  unit = unit.substr(0, kUnitRoom);
  value = value.substr(0, kValueRoom);
  ++run.channel_counter;
  ResultText& result = run.result;
  switch (run.output_mode) {
    case OutputMode::kQuintara: {
      if (run.channel_counter > 10) return;
      std::string_view key_source =
          run.item_mode ? std::string_view(run.system_alias).substr(0, kNameRoom) : name;
      std::string key = SanitizedChannelName(key_source);
      result.Append("\n\nMessage.");
      result.Append(key);
      result.Append(": ");
      result.Append(name);
      result.Append(" (");
      result.Append(DisplayUnit(unit));
      result.Append(")\nStatistic.");
      result.Append(key);
      result.Append(": ");
      result.Append(value);
      return;
    }
    case OutputMode::kTalvren: {
      if (run.options.channel) {
        if (*run.options.channel == run.channel_counter) result.Append(value);
        return;
      }
      result.Append("\n> ");
      result.Append(name);
      result.Append(": ");
      result.Append(value);
      result.Append(" ");
      result.Append(DisplayUnit(unit));
      return;
    }
    case OutputMode::kExeXml:
    case OutputMode::kVorlind:
    case OutputMode::kDrovimo:
      result.Append("\n<Result><Channel>");
      AppendElementText(run, name);
      result.Append("</Channel>");
      if (!unit.empty()) {
        result.Append("\n<Unit>Custom</Unit>\n<CustomUnit>");
        AppendElementText(run, unit);
        result.Append("</CustomUnit>");
      }
      result.Append("\n<Value>");
      AppendElementText(run, value);
      result.Append("</Value></Result>\n");
      return;
  }
}

}  // namespace quillmeter
