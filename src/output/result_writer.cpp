#include "output/result_writer.h"

#include "output/xml_text.h"

namespace quillmeter {
namespace {

constexpr size_t kNameRoom = 123;
constexpr size_t kUnitRoom = 123;
constexpr size_t kValueRoom = 111;
// Quintara shows the first ten channels of a run only.
constexpr unsigned kQuintaraChannels = 10;

std::string_view DisplayUnit(std::string_view unit) {
  if (unit.empty()) return "#";
  if (unit == "PerCent") return "%";
  if (unit == "TimeResponse") return "mSec";
  return unit;
}

// EXEXML, Vorlind and Drovimo: the PRTG document.
class DocumentWriter : public ResultWriter {
 public:
  void OpenDocument() override { result_.Set("\n<Prtg>\n"); }

  void Summary(std::string_view text) override {
    result_.Append("\n<Text>");
    result_.Append(TextElement(text));
    result_.Append("</Text>\n");
  }

  void Channel(std::string_view name, std::string_view value, std::string_view unit) override {
    CountChannel(&name, &value, &unit);
    result_.Append("\n<Result><Channel>");
    Element(name);
    result_.Append("</Channel>");
    if (!unit.empty()) {
      result_.Append("\n<Unit>Custom</Unit>\n<CustomUnit>");
      Element(unit);
      result_.Append("</CustomUnit>");
    }
    result_.Append("\n<Value>");
    Element(value);
    result_.Append("</Value></Result>\n");
  }

  void CloseDocument() override { result_.Append("\n</Prtg>\n"); }

  void FailDocument(std::string_view message) override {
    static constexpr std::string_view kHead = "<Error>1</Error>\n<Text>";
    static constexpr std::string_view kTail = "</Text>\n</Prtg>\n";
    result_.Set(kHead);
    result_.Append(TextElement(message));
    result_.Append(kTail);
  }

 protected:
  std::string ElementText(std::string_view text, size_t limit) const override {
    return EscapeXml(text, limit);
  }

 private:
  void Element(std::string_view text) { result_.Append(ElementText(text, result_.room())); }
};

// The console products print plain text, unescaped.
class ConsoleWriter : public ResultWriter {
 public:
  void OpenDocument() override { result_.Clear(); }
  void CloseDocument() override { result_.Append("\n"); }
  void FailDocument(std::string_view message) override { ErrorDocument(message); }

 protected:
  std::string ElementText(std::string_view text, size_t limit) const override {
    return std::string(text.substr(0, limit));
  }
};

class QuintaraWriter : public ConsoleWriter {
 public:
  void Summary(std::string_view text) override {
    result_.Append("\n# ");
    result_.Append(text);
  }

  void Channel(std::string_view name, std::string_view value, std::string_view unit) override {
    if (CountChannel(&name, &value, &unit) > kQuintaraChannels) return;
    std::string key = SanitizedChannelName(name);
    result_.Append("\n\nMessage.");
    result_.Append(key);
    result_.Append(": ");
    result_.Append(name);
    result_.Append(" (");
    result_.Append(DisplayUnit(unit));
    result_.Append(")\nStatistic.");
    result_.Append(key);
    result_.Append(": ");
    result_.Append(value);
  }
};

class TalvrenWriter : public ConsoleWriter {
 public:
  explicit TalvrenWriter(std::optional<unsigned> selected) : selected_(selected) {}

  void Summary(std::string_view text) override {
    result_.Append("\n# ");
    result_.Append(text);
    // With a channel selected only its bare value is printed.
    if (selected_) result_.Clear();
  }

  void Channel(std::string_view name, std::string_view value, std::string_view unit) override {
    unsigned number = CountChannel(&name, &value, &unit);
    if (selected_) {
      if (*selected_ == number) result_.Append(value);
      return;
    }
    result_.Append("\n> ");
    result_.Append(name);
    result_.Append(": ");
    result_.Append(value);
    result_.Append(" ");
    result_.Append(DisplayUnit(unit));
  }

 private:
  std::optional<unsigned> selected_;
};

}  // namespace

void ResultWriter::ErrorDocument(std::string_view message) {
  result_.Set("<Prtg>\n<Error>1</Error>\n<Text>");
  result_.Append(TextElement(message));
  result_.Append("</Text>\n</Prtg>\n");
}

std::string ResultWriter::TextElement(std::string_view text) const {
  // Measured as PRTG reads the document: escaped. What a message says
  // comes first and its cause after, so a cut takes the end of the cause.
  static constexpr std::string_view kCut = "...";
  std::string whole = ElementText(text, std::string::npos);
  if (whole.size() <= kMaxPrtgText) return whole;
  return ElementText(text, kMaxPrtgText - kCut.size()) + std::string(kCut);
}

unsigned ResultWriter::CountChannel(std::string_view* name, std::string_view* value,
                                    std::string_view* unit) {
  *name = name->substr(0, kNameRoom);
  *value = value->substr(0, kValueRoom);
  *unit = unit->substr(0, kUnitRoom);
  return ++channels_;
}

std::unique_ptr<ResultWriter> MakeResultWriter(OutputMode mode,
                                               std::optional<unsigned> selected_channel) {
  switch (mode) {
    case OutputMode::kQuintara: return std::make_unique<QuintaraWriter>();
    case OutputMode::kTalvren: return std::make_unique<TalvrenWriter>(selected_channel);
    case OutputMode::kExeXml:
    case OutputMode::kVorlind:
    case OutputMode::kDrovimo: break;
  }
  return std::make_unique<DocumentWriter>();
}

std::string SanitizedChannelName(std::string_view name) {
  std::string sanitized(name);
  for (char& c : sanitized) {
    switch (c) {
      case ' ':
      case '/':
      case '\\':
      case '[':
      case ']':
      case '*':
      case '(':
      case ')':
      case ':':
      case '-': c = '_'; break;
      default: break;
    }
  }
  size_t dot = sanitized.find('.');
  if (dot != std::string::npos) sanitized[dot] = '_';
  return sanitized;
}

}  // namespace quillmeter
