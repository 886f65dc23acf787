// The run's output buffer: everything printed on standard output is first
// assembled here by appending.
#ifndef QUILLMETER_OUTPUT_RESULT_TEXT_H_
#define QUILLMETER_OUTPUT_RESULT_TEXT_H_

#include <string>
#include <string_view>

namespace quillmeter {

class ResultText {
 public:
  // Room for one document; text beyond it is cut, never written past the end.
  static constexpr size_t kCapacity = 4095;

  void Clear() { text_.clear(); }
  // Replaces the content with `text`, cut at the capacity.
  void Set(std::string_view text);
  // Appends as much of `text` as still fits.
  void Append(std::string_view text);

  const std::string& str() const { return text_; }
  bool empty() const { return text_.empty(); }
  size_t room() const { return kCapacity - text_.size(); }

 private:
  std::string text_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_RESULT_TEXT_H_
