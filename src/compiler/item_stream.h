#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

  /// A text item. A quoted item runs to the next double quote; any other to
  /// the next comma or line end.
  std::string read_text();
  /// A 32-bit signed decimal integer; an empty item is 0.
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

 private:
  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  int last_line_ = 0;
  int last_column_ = 0;
  std::string last_item_;
};

}  // namespace scenario
