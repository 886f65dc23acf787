#include "output/document.h"

#include "output/xml_text.h"

namespace quillmeter {

void OpenDocument(RunState& run) {
  if (IsDocumentMode(run.output_mode))
    run.result.Set("\n<Prtg>\n");
  else
    run.result.Clear();
}

void OpenText(RunState& run) {
  run.result.Append(IsDocumentMode(run.output_mode) ? "\n<Text>" : "\n# ");
}

void AppendElementText(RunState& run, std::string_view text) {
  if (IsDocumentMode(run.output_mode))
    run.result.Append(EscapeXml(text, run.result.room()));
  else
    run.result.Append(text);
}

void CloseText(RunState& run) {
  if (IsDocumentMode(run.output_mode)) {
    run.result.Append("</Text>\n");
  } else if (run.output_mode == OutputMode::kTalvren && run.options.channel) {
    run.result.Clear();
  }
}

void CloseDocument(RunState& run) {
  run.result.Append(IsDocumentMode(run.output_mode) ? "\n</Prtg>\n" : "\n");
}

void SetErrorResult(RunState& run, std::string_view message) {
  static constexpr std::string_view kHead = "<Prtg>\n<Error>1</Error>\n<Text>";
  static constexpr std::string_view kTail = "</Text>\n</Prtg>\n";
  const size_t room = ResultText::kCapacity - kHead.size() - kTail.size();
  std::string text = IsDocumentMode(run.output_mode) ? EscapeXml(message, room)
                                                     : std::string(message.substr(0, room));
  run.result.Set(kHead);
  run.result.Append(text);
  run.result.Append(kTail);
}

}  // namespace quillmeter
