// How an output mode renders a run's results: the summary, the channels and
// the error document, into the bounded result buffer that the driver prints.
#ifndef QUILLMETER_OUTPUT_RESULT_WRITER_H_
#define QUILLMETER_OUTPUT_RESULT_WRITER_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "output/output_mode.h"
#include "output/result_text.h"

namespace quillmeter {

// PRTG shows at most this many characters of a document's <Text>.
inline constexpr size_t kMaxPrtgText = 2000;

class ResultWriter {
 public:
  virtual ~ResultWriter() = default;

  // Starts a document, discarding what the buffer held: "\n<Prtg>\n" in
  // the document modes, nothing in the console modes.
  virtual void OpenDocument() = 0;

  // Appends the summary text element.
  virtual void Summary(std::string_view text) = 0;

  // Appends one channel and counts it, whether it shows or not. The name and
  // the unit are cut at 123 characters, the value at 111; an empty unit
  // means a plain count.
  virtual void Channel(std::string_view name, std::string_view value, std::string_view unit) = 0;

  // Ends the document.
  virtual void CloseDocument() = 0;

  // Replaces the buffer with the PRTG error document carrying `message`,
  // cut as TextElement cuts it.
  void ErrorDocument(std::string_view message);

  // Ends a document whose start is already printed with `message` as its
  // error, so that PRTG still reads a single document.
  virtual void FailDocument(std::string_view message) = 0;

  ResultText& result() { return result_; }

 protected:
  // `text` as element text of this mode, at most `limit` bytes: escaped
  // for XML in the document modes, unchanged in the console modes.
  virtual std::string ElementText(std::string_view text, size_t limit) const = 0;

  // `text` as the element text of a <Text>, within kMaxPrtgText: a longer
  // one is cut where it must be, at its end, and ends with "...".
  std::string TextElement(std::string_view text) const;

  // Counts a channel and cuts its texts; returns its number from 1.
  unsigned CountChannel(std::string_view* name, std::string_view* value, std::string_view* unit);

  ResultText result_;

 private:
  unsigned channels_ = 0;
};

// The writer of `mode`. `selected_channel` is Talvren's "CH=": only that
// channel's bare value is printed.
std::unique_ptr<ResultWriter> MakeResultWriter(OutputMode mode,
                                               std::optional<unsigned> selected_channel);

// The channel name Quintara mode uses as a key: blanks and the characters
// /\[]*():- become "_", then the first "." does too.
std::string SanitizedChannelName(std::string_view name);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_RESULT_WRITER_H_
