#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario {

/// Hands out the comma-separated items of a source text one at a time, as
/// sequential text input splits them. Every typed read throws RunFailure when
/// the text has no item left or the item does not fit the type.
class ItemStream {
 public:
  explicit ItemStream(std::string text);

  /// True once the last item has been consumed: only blanks and line ends
  /// remain.
  bool at_end() const;

  /// A text item. A quoted item runs to the next double quote, and what
  /// follows it up to the next comma or line end is dropped; any other runs
  /// to the next comma or line end, without its trailing blanks. Throws on an
  /// unterminated quote and on an item longer than 32767 characters.
  std::string read_text();
  /// A 32-bit signed decimal integer: optional sign, then digits only. It
  /// ends at a blank, comma or line end; blanks and one comma or line end
  /// after it are consumed with it. An empty item is 0.
  int32_t read_long();
  /// A 16-bit signed decimal integer.
  int16_t read_integer();
  /// 0 .. 255.
  uint8_t read_byte();

  /// 1-based line and column of the first character of the last item read,
  /// and the item's text as it stands in the source.
  int last_line() const { return last_line_; }
  int last_column() const { return last_column_; }
  const std::string& last_item() const { return last_item_; }

  /// The 1-based line the read position stands in.
  int line() const { return line_; }
  /// The text of a line already reached (1 .. line()), without its line end;
  /// empty for any other line.
  std::string_view line_text(int line) const;

  /// Moves the read position on to the first character of `line` (nothing
  /// happens when it stands there or further already): check mode resumes
  /// at the row after a problem.
  void skip_to_line(int line);

  /// While set, every item read is appended as it stands in the source: the
  /// values of one row, for the row log.
  void record_items(std::vector<std::string>* out) { transcript_ = out; }

 private:
  /// Moves the read position to `to`, counting the line ends passed over.
  void advance(size_t to);
  /// Skips blanks, tabs and line ends; throws when nothing is left.
  void begin_item();
  /// Consumes one comma or one line end (CR LF as one) at the read position.
  void consume_separator();
  /// A signed decimal item within lo .. hi.
  int64_t read_number(int64_t lo, int64_t hi, const char* type);
  [[noreturn]] void fail(const std::string& what) const;
  /// The item just read goes into the transcript, when one is kept.
  void note_item() {
    if (transcript_ != nullptr) transcript_->push_back(last_item_);
  }

  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  /// Where each line reached so far begins: line k at [k - 1].
  std::vector<size_t> line_starts_{0};
  std::vector<std::string>* transcript_ = nullptr;
  int last_line_ = 0;
  int last_column_ = 0;
  std::string last_item_;
};

}  // namespace scenario
