#include "compiler/item_stream.h"

#include <limits>

#include "model/run_failure.h"

namespace scenario {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_space(char c) { return is_blank(c) || is_line_end(c); }

// A name is written to the train file with a 2-byte length.
constexpr size_t kMaxTextItem = 32767;

}  // namespace

ItemStream::ItemStream(std::string text) : text_(std::move(text)) {}

bool ItemStream::at_end() const {
  for (size_t i = pos_; i < text_.size(); ++i) {
    if (!is_space(text_[i])) return false;
  }
  return true;
}

void ItemStream::advance(size_t to) {
  for (; pos_ < to; ++pos_) {
    const char c = text_[pos_];
    // Lines are counted at LF only (CR LF being one line end), as check,
    // its source excerpts and the rule for carried texts count them: a
    // lone CR still ends an item, but numbering lines there too would put
    // every later diagnostic on another line than the one shown.
    if (c == '\n') {
      ++line_;
      line_start_ = pos_ + 1;
      line_starts_.push_back(line_start_);
    }
  }
}

std::string_view ItemStream::line_text(int line) const {
  if (line < 1 || static_cast<size_t>(line) > line_starts_.size()) return {};
  const size_t start = line_starts_[static_cast<size_t>(line) - 1];
  size_t end = text_.find('\n', start);
  if (end == std::string::npos) end = text_.size();
  if (end > start && text_[end - 1] == '\r') --end;
  return std::string_view(text_).substr(start, end - start);
}

void ItemStream::skip_to_line(int line) {
  while (line_ < line && pos_ < text_.size()) advance(pos_ + 1);
}

void ItemStream::fail(const std::string& what) const {
  throw RunFailure("line " + std::to_string(last_line_) + ", column " +
                       std::to_string(last_column_) + ": " + what,
                   last_line_, last_column_, last_item_);
}

void ItemStream::begin_item() {
  // Line ends are skipped with the blanks: a blank line carries no item, and
  // a line end right after a comma does not make an extra empty item.
  size_t p = pos_;
  while (p < text_.size() && is_space(text_[p])) ++p;
  advance(p);
  last_line_ = line_;
  last_column_ = static_cast<int>(pos_ - line_start_) + 1;
  last_item_.clear();
  if (pos_ >= text_.size()) fail("read past the end of the text");
}

void ItemStream::consume_separator() {
  if (pos_ >= text_.size()) return;
  const char c = text_[pos_];
  if (c == ',' || c == '\n') {
    advance(pos_ + 1);
  } else if (c == '\r') {
    const bool crlf = pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
    advance(pos_ + (crlf ? 2 : 1));
  }
}

std::string ItemStream::read_text() {
  begin_item();
  const size_t start = pos_;
  std::string item;
  if (text_[pos_] == '"') {
    const size_t close = text_.find('"', pos_ + 1);
    if (close == std::string::npos) {
      last_item_ = text_.substr(start);
      fail("a quoted item has no closing quote");
    }
    item = text_.substr(pos_ + 1, close - pos_ - 1);
    // Whatever stands between the closing quote and the separator is not
    // part of the item.
    size_t p = close + 1;
    while (p < text_.size() && text_[p] != ',' && !is_line_end(text_[p])) ++p;
    advance(p);
  } else {
    size_t p = pos_;
    while (p < text_.size() && text_[p] != ',' && !is_line_end(text_[p])) ++p;
    advance(p);
    // Trailing blanks are dropped: a key or a board text padded up to its
    // comma is the same word, and a name must not carry invisible blanks
    // into the compiled files.
    size_t end = p;
    while (end > start && is_blank(text_[end - 1])) --end;
    item = text_.substr(start, end - start);
  }
  last_item_ = text_.substr(start, pos_ - start);
  while (!last_item_.empty() && is_blank(last_item_.back())) last_item_.pop_back();
  consume_separator();
  if (item.size() > kMaxTextItem) fail("a text item longer than 32767 characters");
  note_item();
  return item;
}

int64_t ItemStream::read_number(int64_t lo, int64_t hi, const char* type) {
  begin_item();
  if (text_[pos_] == ',') {
    // Nothing but blanks before the comma: an empty item reads as 0.
    consume_separator();
    note_item();
    return 0;
  }
  const size_t start = pos_;
  size_t p = pos_;
  while (p < text_.size() && !is_space(text_[p]) && text_[p] != ',') ++p;
  advance(p);
  last_item_ = text_.substr(start, p - start);

  // Blanks alone may separate numbers; a comma or line end after them
  // belongs to this item and is consumed with it.
  while (pos_ < text_.size() && is_blank(text_[pos_])) advance(pos_ + 1);
  consume_separator();

  const std::string& s = last_item_;
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (s[0] == '-' || s[0] == '+') i = 1;
  if (i == s.size()) fail("\"" + s + "\" is not a whole number");
  // Accumulated as a magnitude up to one past the widest range used here
  // (32-bit), so no digit string can overflow the accumulator.
  constexpr int64_t kCap = int64_t{1} << 40;
  int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') fail("\"" + s + "\" is not a whole number");
    if (magnitude < kCap) magnitude = magnitude * 10 + (s[i] - '0');
  }
  const int64_t v = negative ? -magnitude : magnitude;
  if (v < lo || v > hi) fail("\"" + s + "\" is out of the " + type + " range");
  note_item();
  return v;
}

int32_t ItemStream::read_long() {
  return static_cast<int32_t>(read_number(std::numeric_limits<int32_t>::min(),
                                          std::numeric_limits<int32_t>::max(), "long"));
}

int16_t ItemStream::read_integer() {
  return static_cast<int16_t>(read_number(std::numeric_limits<int16_t>::min(),
                                          std::numeric_limits<int16_t>::max(), "integer"));
}

uint8_t ItemStream::read_byte() { return static_cast<uint8_t>(read_number(0, 255, "byte")); }

}  // namespace scenario
