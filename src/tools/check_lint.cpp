#include "tools/check_lint.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "model/cell_geometry.h"
#include "model/error_code.h"
#include "model/rounding.h"
#include "sources/scenario_data.h"
#include "sources/scenario_validity.h"
#include "tools/check_spelling.h"
#include "tools/compiled_files.h"
#include "tools/text_encoding.h"

namespace scenario::tools {
namespace {

constexpr std::array<std::string_view, 13> kHeaders = {
    "[generale]",      "[fine]",        "[curve]",    "[pendenze]",   "[montagne]",
    "[cartelli]",      "[indicazioni]", "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]",     "[codici]"};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lower_ascii(c);
  return out;
}

struct Line {
  int number;
  std::string_view text;  // without its line end
};

std::vector<Line> split_lines(std::string_view text) {
  std::vector<Line> lines;
  size_t start = 0;
  int number = 1;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view l = text.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    if (!(last && l.empty())) lines.push_back({number, l});
    if (last) break;
    start = end + 1;
    ++number;
  }
  return lines;
}

Diagnostic make(Severity severity, std::string rule, SourceOrigin::File file, int line, int column,
                int end_column, std::string message) {
  Diagnostic d;
  d.severity = severity;
  d.rule = std::move(rule);
  d.at = {file, line, column, {}};
  d.end_column = end_column;
  d.message = std::move(message);
  return d;
}

/// The length of the UTF-8 sequence starting at `at`, or 0 when there is
/// none.
size_t utf8_sequence(std::string_view s, size_t at) {
  const auto b = static_cast<unsigned char>(s[at]);
  size_t n = 0;
  if (b >= 0xC2 && b <= 0xDF)
    n = 2;
  else if (b >= 0xE0 && b <= 0xEF)
    n = 3;
  else if (b >= 0xF0 && b <= 0xF4)
    n = 4;
  if (n == 0 || at + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[at + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

void lint_encoding(SourceOrigin::File file, const std::vector<Line>& lines,
                   std::vector<Diagnostic>& out) {
  if (!lines.empty() && lines.front().text.starts_with("\xEF\xBB\xBF")) {
    out.push_back(make(Severity::kWarning, "byte-order-mark", file, 1, 1, 4,
                       "the text starts with a UTF-8 byte-order mark, which the builder reads as "
                       "three characters of the first item; save the text without it"));
  }
  // One verdict for the whole text: an author saves a file in one encoding.
  bool all_utf8 = true;
  const Line* first_high = nullptr;
  size_t first_high_at = 0;
  for (const Line& l : lines) {
    for (size_t i = 0; i < l.text.size(); ++i) {
      const auto b = static_cast<unsigned char>(l.text[i]);
      if (b < 0x80) continue;
      if (l.number == 1 && i < 3 && lines.front().text.starts_with("\xEF\xBB\xBF")) continue;
      if (first_high == nullptr) {
        first_high = &l;
        first_high_at = i;
      }
      const size_t n = utf8_sequence(l.text, i);
      if (n == 0) {
        all_utf8 = false;
      } else {
        i += n - 1;
      }
    }
  }
  if (first_high != nullptr && all_utf8) {
    const size_t n = utf8_sequence(first_high->text, first_high_at);
    const std::string_view ch = first_high->text.substr(first_high_at, n);
    out.push_back(
        make(Severity::kWarning, "utf-8-text", file, first_high->number,
             static_cast<int>(first_high_at) + 1, static_cast<int>(first_high_at + n) + 1,
             fmt::format("the text is UTF-8, but the builder reads code page 1252: \"{}\" becomes "
                         "\"{}\"; save the text as Windows-1252 (code page 1252)",
                         ch, cp1252_to_utf8(ch))));
  }
}

/// The rule the builder applies before it carries a text: what breaks it
/// is an error, whatever the readers would make of it. The same function
/// decides for pack and for the builder reading its payload.
void lint_validity(SourceOrigin::File file, std::string_view text, std::vector<Diagnostic>& out) {
  for (const TextProblem& p : text_problems(text)) {
    const int line = static_cast<int>(p.line);
    const int col = static_cast<int>(p.column);
    int end = col + 1;
    std::string rule;
    std::string fix;
    switch (p.fault) {
      case TextFault::kControlCharacter:
      case TextFault::kLoneCarriageReturn:
        rule = "control-character";
        fix = "remove it";
        break;
      case TextFault::kUndefinedByte:
        rule = "not-cp1252";
        fix = "save the text as Windows-1252 (code page 1252)";
        break;
      case TextFault::kTooManyLines:
        rule = "too-many-lines";
        fix = "shorten the text";
        end = 0;
        break;
      case TextFault::kEndMarkerLine:
        rule = "end-marker-line";
        fix = "change the line";
        end = col + static_cast<int>(kEndMarker.size());
        break;
    }
    out.push_back(
        make(Severity::kError, rule, file, line, col, end,
             fmt::format("{}: pack and the builder refuse the text; {}", p.message, fix)));
  }
}

/// One item of a row: where it stands and what it says.
struct Item {
  size_t begin = 0;
  size_t end = 0;  // past the last character that belongs to the item
  std::string_view text;
};

/// Reads the items of one line as the readers would, one row per line.
class RowScanner {
 public:
  explicit RowScanner(std::string_view line) : s_(line) {}

  bool at_end() {
    skip_blanks();
    return pos_ >= s_.size();
  }
  size_t pos() const { return pos_; }

  /// Up to the next comma or the line end, trailing blanks dropped; a quoted
  /// item to its closing quote.
  Item text_item() {
    skip_blanks();
    Item it;
    it.begin = pos_;
    if (pos_ < s_.size() && s_[pos_] == '"') {
      const size_t close = s_.find('"', pos_ + 1);
      it.end = close == std::string_view::npos ? s_.size() : close + 1;
      it.text = s_.substr(it.begin, it.end - it.begin);
      const size_t comma = s_.find(',', it.end);
      pos_ = comma == std::string_view::npos ? s_.size() : comma + 1;
      return it;
    }
    size_t end = s_.find(',', pos_);
    const bool comma = end != std::string_view::npos;
    if (!comma) end = s_.size();
    size_t trimmed = end;
    while (trimmed > pos_ && is_blank(s_[trimmed - 1])) --trimmed;
    it.end = trimmed;
    it.text = s_.substr(it.begin, trimmed - it.begin);
    pos_ = comma ? end + 1 : end;
    return it;
  }

  /// A number ends at a blank, a comma or the line end; blanks and one comma
  /// after it go with it.
  Item number_item() {
    skip_blanks();
    Item it;
    it.begin = pos_;
    while (pos_ < s_.size() && !is_blank(s_[pos_]) && s_[pos_] != ',') ++pos_;
    it.end = pos_;
    it.text = s_.substr(it.begin, it.end - it.begin);
    skip_blanks();
    if (pos_ < s_.size() && s_[pos_] == ',') ++pos_;
    return it;
  }

 private:
  void skip_blanks() {
    while (pos_ < s_.size() && is_blank(s_[pos_])) ++pos_;
  }
  std::string_view s_;
  size_t pos_ = 0;
};

std::pair<int64_t, int64_t> type_range(ValueType t) {
  switch (t) {
    case ValueType::kLong:
      return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
    case ValueType::kInteger:
      return {std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()};
    case ValueType::kByte:
      return {0, 255};
    case ValueType::kText:
      break;
  }
  return {0, 0};
}

/// A number item the builder cannot read: a decimal point, an exponent,
/// anything else but digits, or a value outside its type.
void lint_number(SourceOrigin::File file, int line, const Item& it, const RowValue& expected,
                 std::vector<Diagnostic>& out) {
  const std::string_view t = it.text;
  if (t.empty()) return;  // an empty item is 0
  const int col = static_cast<int>(it.begin) + 1;
  const int end = static_cast<int>(it.end) + 1;
  size_t digits_from = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  const size_t first_other = t.find_first_not_of("0123456789", digits_from);
  if (first_other == std::string_view::npos && digits_from < t.size()) {
    int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(t.data() + digits_from, t.data() + t.size(), v);
    const auto [lo, hi] = type_range(expected.type);
    const bool fits =
        ec == std::errc() && (t[0] == '-' ? -v : v) >= lo && (t[0] == '-' ? -v : v) <= hi;
    if (!fits) {
      Diagnostic d = make(Severity::kError, "read-failure", file, line, col, end,
                          fmt::format("{} \"{}\" is outside {} .. {} (code {})", expected.name, t,
                                      lo, hi, kReadFailure));
      d.code = kReadFailure;
      out.push_back(std::move(d));
    }
    return;
  }
  const bool decimal = first_other != std::string_view::npos && first_other > digits_from &&
                       (t[first_other] == '.' || t[first_other] == 'e' || t[first_other] == 'E');
  Diagnostic d;
  if (decimal) {
    std::string hint;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc() && ptr == t.data() + t.size() && std::abs(v) < 1e12) {
      const auto lo = static_cast<int64_t>(std::floor(v));
      const auto hi = static_cast<int64_t>(std::ceil(v));
      hint = lo == hi ? fmt::format("; write {}", lo) : fmt::format("; write {} or {}", lo, hi);
    }
    d = make(Severity::kError, "not-whole-number", file, line, col, end,
             fmt::format("{} \"{}\": whole numbers only (code {}){}", expected.name,
                         cp1252_to_utf8(t), kReadFailure, hint));
  } else {
    d = make(Severity::kError, "read-failure", file, line, col, end,
             fmt::format("{} \"{}\" is not a number: digits only, with an optional sign "
                         "(code {})",
                         expected.name, cp1252_to_utf8(t), kReadFailure));
  }
  d.code = kReadFailure;
  out.push_back(std::move(d));
}

/// "2 values (position_m, speed_kmh)", "1 value (sand)".
std::string values_text(const RowKind& k) {
  std::string names;
  for (const RowValue& v : k.values) {
    if (!names.empty()) names += ", ";
    names += v.name;
  }
  return fmt::format("{} value{} ({})", k.values.size(), k.values.size() == 1 ? "" : "s", names);
}

/// What stands between the items of a row written without commas.
std::string separators_of(std::string_view row) {
  if (row.find(';') != std::string_view::npos) return "semicolons";
  const bool tabs = row.find('\t') != std::string_view::npos;
  const bool blanks = row.find(' ') != std::string_view::npos;
  return tabs && blanks ? "blanks and tabs" : tabs ? "tabs" : "blanks";
}

/// A number item as the builder reads it (an empty item is 0), or nothing
/// when it is no whole number.
std::optional<int64_t> item_value(std::string_view t) {
  if (t.empty()) return 0;
  int64_t v = 0;
  const char* b = t.data() + (t[0] == '+' ? 1 : 0);
  const auto [ptr, ec] = std::from_chars(b, t.data() + t.size(), v);
  if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

/// Index of the value named `name` in the row's kind, or -1.
int value_index(RowId kind, std::string_view name) {
  const RowKind& k = row_kind(kind);
  for (size_t i = 0; i < k.values.size(); ++i) {
    if (k.values[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

/// What the builder keeps of a value outside its range, where that is not
/// the value itself: the low bits of a field too narrow for it, or a time
/// carried into the next unit. `row` holds the row's values as read.
std::string kept_as(RowId kind, std::string_view name, int64_t v,
                    const std::vector<std::optional<int64_t>>& row) {
  const auto named_value = [&](std::string_view n) -> std::optional<int64_t> {
    const int i = value_index(kind, n);
    return i >= 0 && static_cast<size_t>(i) < row.size() ? row[static_cast<size_t>(i)]
                                                         : std::nullopt;
  };
  int64_t kept = v;
  std::string unit;
  switch (kind) {
    case RowId::kGradient:
      // The cell holds gradient + 100 in a byte.
      kept = int64_t{low8(v + 100)} - 100;
      unit = " per mille";
      break;
    case RowId::kAdhesion:
      kept = low8(v);
      break;
    case RowId::kMontagna:
      kept = low8(v > 10 ? v - 10 : v);
      if (kept == (v > 10 ? v - 10 : v)) return {};
      return fmt::format(", and stores it as type {}", kept);
    case RowId::kSignal:
      if (name != "time" || named_value("left_type") != 2) return {};
      kept = low8(v);
      break;
    case RowId::kSlowDown:
    case RowId::kAbbattimento:
      if (name == "speed_kmh" || name == "second_speed") kept = low16(v);
      break;
    case RowId::kStation: {
      // Minutes and seconds carry over into the next unit; an hour has none.
      if (name != "minutes" && name != "seconds") return {};
      const auto h = named_value("hours"), m = named_value("minutes"), s = named_value("seconds");
      if (!h || !m || !s) return {};
      const int64_t t = (*h * 60 + *m) * 60 + *s;
      if (t < 0) return {};
      return fmt::format(", and the time counts as {}", clock_text(t));
    }
    default:
      break;
  }
  if (kept == v) return {};
  return fmt::format(", and stores it as {}{}", kept, unit);
}

/// Values the builder reads but that lie outside their documented range:
/// accepted silently, almost always a mistake. Returns false when there is
/// one.
bool lint_ranges(SourceOrigin::File file, int line, const RowKind& kind,
                 const std::vector<Item>& items, std::vector<Diagnostic>& out) {
  std::vector<std::optional<int64_t>> values;
  for (size_t k = 0; k < items.size(); ++k) {
    values.push_back(kind.values[k].type == ValueType::kText ? std::nullopt
                                                             : item_value(items[k].text));
  }
  bool in_range = true;
  for (size_t k = 0; k < items.size(); ++k) {
    const RowValue& expected = kind.values[k];
    if (!values[k] || (*values[k] >= expected.min && *values[k] <= expected.max)) continue;
    in_range = false;
    const int64_t v = *values[k];
    const Item& it = items[k];
    const std::string unit = expected.unit.empty() ? "" : " " + std::string(expected.unit);
    out.push_back(make(
        Severity::kWarning, "value-range", file, line, static_cast<int>(it.begin) + 1,
        static_cast<int>(std::max(it.end, it.begin + 1)) + 1,
        fmt::format("{} {}{} is outside its range {} .. {}{}: the builder accepts it silently{}",
                    expected.name, v, it.text.empty() ? " (an empty item)" : "", expected.min,
                    expected.max, unit, kept_as(kind.id, expected.name, v, values))));
  }
  return in_range;
}

enum class Place { kPreamble, kLineGeneral, kLineFeature, kTrain };

std::optional<Zone> zone_of(Place p) {
  switch (p) {
    case Place::kLineGeneral:
      return Zone::kLineGeneral;
    case Place::kLineFeature:
      return Zone::kLineFeature;
    case Place::kTrain:
      return Zone::kTrain;
    case Place::kPreamble:
      break;
  }
  return std::nullopt;
}

bool looks_like_header(std::string_view key) {
  return key.find('[') != std::string_view::npos && key.find(']') != std::string_view::npos &&
         !key.starts_with("-");
}

bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const char l = lower_ascii(c);
    return l >= 'a' && l <= 'z';
  });
}

/// A curve key other than "curva", a side letter and a class digit: the
/// reader takes any key with an "s" as left-hand and any other as
/// right-hand, and the smallest digit 1 to 6 as the class, so a slip of
/// the side letter still bends the line, the wrong way or not as meant.
void lint_curve_key(SourceOrigin::File file, int line, const Item& key,
                    std::vector<Diagnostic>& out) {
  const std::string k = lowered(key.text);
  int curve_class = 0;
  for (char digit = '1'; digit <= '6' && curve_class == 0; ++digit) {
    if (k.find(digit) != std::string::npos) curve_class = digit - '0';
  }
  if (curve_class == 0) return;  // the reader refuses it (code 103)
  const bool left_hand = k.find('s') != std::string::npos;
  const std::string written = fmt::format("curva{}{}", left_hand ? 's' : 'd', curve_class);
  if (k == written) return;
  const int col = static_cast<int>(key.begin) + 1;
  out.push_back(make(
      Severity::kWarning, "curve-key", file, line, col, static_cast<int>(key.end) + 1,
      fmt::format("the curve key \"{}\" is read as a class {} {} curve (a key with an \"s\" is "
                  "left-hand, any other right-hand; the class is its smallest digit 1 to 6); "
                  "write \"curvas{}\" or \"curvad{}\"",
                  cp1252_to_utf8(key.text), curve_class, left_hand ? "left-hand" : "right-hand",
                  curve_class, curve_class)));
}

/// `next` is the first item of the next line that holds one, where a row
/// short of values takes them from.
void lint_row(SourceOrigin::File file, const Line& l, const std::optional<Line>& next, Zone zone,
              LintResult& result) {
  RowScanner scan(l.text);
  const Item key = scan.text_item();
  const int key_col = static_cast<int>(key.begin) + 1;
  const int key_end = static_cast<int>(key.end) + 1;

  const RowKind* kind = nullptr;
  for (const RowKind& k : row_kinds(zone)) {
    if (key_matches(k, key.text)) {
      kind = &k;
      break;
    }
  }
  if (kind == nullptr) {
    if (!has_letter(key.text)) return;  // values spilled from a row above: reported there
    // The key words are the first word of each key: "segnale 1" still finds
    // "segnale".
    const std::string_view word = key.text.substr(0, key.text.find_first_of(" \t"));
    std::vector<std::string_view> keys;
    for (const RowKind& k : row_kinds(zone)) keys.push_back(k.key);
    std::vector<std::string_view> first_words;
    for (const RowKind& k : row_kinds(zone))
      first_words.push_back(k.key.substr(0, k.key.find(' ')));
    std::vector<std::string> near = closest_words(key.text, keys);
    for (const std::string& w : closest_words(word, first_words)) {
      for (const RowKind& k : row_kinds(zone)) {
        if (k.key.starts_with(w) && std::find(near.begin(), near.end(), k.key) == near.end()) {
          near.emplace_back(k.key);
        }
      }
    }
    if (near.size() > 3) near.resize(3);
    std::string msg = fmt::format("unknown key word \"{}\": the builder ignores this row",
                                  cp1252_to_utf8(key.text));
    if (!near.empty()) msg += "; did you mean " + quoted_alternatives(near) + "?";
    result.diagnostics.push_back(
        make(Severity::kWarning, "unknown-key", file, l.number, key_col, key_end, msg));
    return;
  }

  if (kind->id == RowId::kCurve) lint_curve_key(file, l.number, key, result.diagnostics);

  LintedRow row{kind->id, l.number, {}, {}};
  if (scan.at_end()) {
    // A whole row in one item: blanks, tabs or semicolons where the commas
    // belong.
    if (key.text.find_first_of(" \t;") != std::string_view::npos && !kind->values.empty() &&
        kind->values.front().type != ValueType::kText &&
        key.text.find_first_of("0123456789") != std::string_view::npos &&
        key.text.find_first_of("0123456789") > kind->key.size() / 2) {
      result.diagnostics.push_back(make(
          Severity::kWarning, "blank-separated", file, l.number, key_col, key_end,
          fmt::format("the items of this \"{}\" row are separated by {}: the builder reads the "
                      "whole row as its key and takes the values from the next rows; separate "
                      "the items with commas",
                      kind->key, separators_of(key.text))));
      // The builder reads other values than the row shows.
      row.complete = false;
      result.rows.push_back(std::move(row));
      return;
    }
  }
  size_t taken = 0;
  const size_t errors_before = result.diagnostics.size();
  std::vector<Item> items;
  for (const RowValue& expected : kind->values) {
    if (scan.at_end()) break;
    const Item it = expected.type == ValueType::kText ? scan.text_item() : scan.number_item();
    if (expected.type != ValueType::kText)
      lint_number(file, l.number, it, expected, result.diagnostics);
    row.values.emplace_back(it.text);
    row.columns.push_back(static_cast<int>(it.begin) + 1);
    items.push_back(it);
    ++taken;
  }
  // A value that cannot be read fails the row already; one that can is
  // judged against its documented range.
  if (result.diagnostics.size() != errors_before) {
    row.complete = false;
  } else if (!lint_ranges(file, l.number, *kind, items, result.diagnostics)) {
    row.complete = false;
  }
  const int line_end = static_cast<int>(l.text.size()) + 1;
  if (taken < kind->values.size()) {
    row.complete = false;
    std::string msg = fmt::format(
        "\"{}\" takes {}; this row has {}: the builder takes the missing "
        "{} from the next row",
        kind->key, values_text(*kind), taken, kind->values.size() - taken == 1 ? "one" : "ones");
    // A missing number fails the read on the next row's key (an error of
    // its own); a missing text takes that key silently, and the row it
    // began is lost.
    const RowValue& missing = kind->values[taken];
    if (missing.type == ValueType::kText && next) {
      RowScanner next_scan(next->text);
      const Item next_key = next_scan.text_item();
      msg += fmt::format(": its {} becomes \"{}\" from line {}, and the row there is lost",
                         missing.name, cp1252_to_utf8(next_key.text), next->number);
    }
    result.diagnostics.push_back(
        make(Severity::kWarning, "value-count", file, l.number, key_col, line_end, msg));
  } else if (!scan.at_end()) {
    size_t extra = 0;
    const int extra_col = static_cast<int>(scan.pos()) + 1;
    while (!scan.at_end()) {
      scan.text_item();
      ++extra;
    }
    Diagnostic d = make(
        Severity::kWarning, "value-count", file, l.number, extra_col, line_end,
        fmt::format("\"{}\" takes {}; this row has {}: the builder reads the extra "
                    "{} as the next key",
                    kind->key, values_text(*kind), taken + extra, extra == 1 ? "item" : "items"));
    // The usual cause: a comma inside a name, which ends the name there.
    if (kind->values.back().type == ValueType::kText) {
      d.message +=
          fmt::format("; a {} with a comma in it goes in double quotes", kind->values.back().name);
    }
    result.diagnostics.push_back(std::move(d));
  }
  result.rows.push_back(std::move(row));
}

}  // namespace

LintResult lint_text(SourceOrigin::File file, std::string_view text) {
  LintResult result;
  const std::vector<Line> lines = split_lines(text);
  lint_encoding(file, lines, result.diagnostics);
  lint_validity(file, text, result.diagnostics);

  const bool line_text = file == SourceOrigin::File::kLineDescription;
  Place place = Place::kPreamble;
  const Line* last_row = nullptr;
  for (size_t li = 0; li < lines.size(); ++li) {
    const Line& l = lines[li];
    std::string_view row = l.text;
    if (l.number == 1 && row.starts_with("\xEF\xBB\xBF")) row.remove_prefix(3);
    RowScanner scan(row);
    if (scan.at_end()) continue;
    const Item key = scan.text_item();
    const std::string key_lower = lowered(key.text);
    last_row = &l;
    if (place == Place::kPreamble) {
      if (key_lower.find("[generale]") != std::string::npos) {
        place = line_text ? Place::kLineGeneral : Place::kTrain;
      }
      continue;
    }
    if (key.text.find('-') != std::string_view::npos) continue;  // a separator
    if (looks_like_header(key.text)) {
      const std::string_view bracketed = key.text;
      if (std::find(kHeaders.begin(), kHeaders.end(), key_lower) == kHeaders.end()) {
        const std::vector<std::string> near = closest_words(bracketed, kHeaders, 1);
        if (!near.empty()) {
          const int col = static_cast<int>(key.begin) + 1 + (l.text.size() - row.size());
          result.diagnostics.push_back(
              make(Severity::kWarning, "header-misspelt", file, l.number, col,
                   col + static_cast<int>(key.text.size()),
                   fmt::format("unknown header \"{}\"; did you mean \"{}\"?",
                               cp1252_to_utf8(key.text), near.front())));
        }
      }
      if (place == Place::kLineGeneral) place = Place::kLineFeature;
      continue;
    }
    std::optional<Line> next;
    for (size_t n = li + 1; n < lines.size() && !next; ++n) {
      if (!RowScanner(lines[n].text).at_end()) next = lines[n];
    }
    lint_row(file, l, next, *zone_of(place), result);
  }

  if (place == Place::kPreamble) {
    // The line reader records code 102 for this itself.
    if (!line_text) {
      Diagnostic d = make(Severity::kWarning, "no-general-header", file, 0, 0, 0,
                          "the text has no \"[generale]\" item: the builder reads nothing of it");
      // A misspelt "[generale]" is the usual cause.
      for (const Line& l : lines) {
        RowScanner scan(l.text);
        if (scan.at_end()) continue;
        const Item key = scan.text_item();
        if (looks_like_header(key.text) && edit_distance(key.text, "[generale]") <= 3) {
          d.at.line = l.number;
          d.at.column = static_cast<int>(key.begin) + 1;
          d.end_column = static_cast<int>(key.end) + 1;
          d.message +=
              fmt::format("; did you mean \"[generale]\" for \"{}\"?", cp1252_to_utf8(key.text));
          break;
        }
      }
      result.diagnostics.push_back(std::move(d));
    }
  } else if (last_row != nullptr) {
    RowScanner scan(last_row->text);
    const Item key = scan.text_item();
    if (lowered(key.text) != "[fine]") {
      result.diagnostics.push_back(make(
          Severity::kWarning, "no-end-header", file, last_row->number, 1,
          static_cast<int>(last_row->text.size()) + 1,
          "the text ends without \"[fine]\": the builder never takes the last item of a text as "
          "read, so this row's last value may be lost; end the text with a \"[fine]\" row"));
    }
  }
  return result;
}

namespace {

std::optional<int64_t> number(const LintedRow& r, size_t k) {
  if (k >= r.values.size()) return std::nullopt;
  return item_value(r.values[k]);
}

std::optional<int64_t> named(const LintedRow& r, std::string_view name) {
  const int k = value_index(r.kind, name);
  if (k < 0) return std::nullopt;
  return number(r, static_cast<size_t>(k));
}

DiagnosticNote note_at(SourceOrigin::File file, const LintedRow& r, std::string message) {
  return {{file, r.line, 1, {}}, std::move(message)};
}

struct Station {
  const LintedRow* row;
  int64_t position_m;
  std::optional<int64_t> time_s;
  std::string name;
};

}  // namespace

int64_t fastest_run_s(const std::vector<LintedRow>& train_rows, int64_t from_m, int64_t to_m) {
  // Speeds hold from their position on; a later row at a lower position
  // still takes over from there, as the reader fills the cells.
  std::map<int64_t, int64_t> speed_from_cell;
  struct Slow {
    int64_t first_cell, end_cell, speed;
  };
  std::vector<Slow> slows;
  for (const LintedRow& r : train_rows) {
    if (r.kind == RowId::kSpeedLimit) {
      const auto p = named(r, "position_m");
      const auto v = named(r, "speed_kmh");
      if (p && v) speed_from_cell[*p / kCellLengthM] = *v;
    } else if (r.kind == RowId::kSlowDown) {
      const auto p = named(r, "start_m");
      const auto v = named(r, "speed_kmh");
      const auto n = named(r, "length_m");
      if (p && v && n) slows.push_back({*p / kCellLengthM, (*p + *n) / kCellLengthM, *v});
    }
  }
  double seconds = 0;
  for (int64_t c = from_m / kCellLengthM; c < to_m / kCellLengthM; ++c) {
    auto it = speed_from_cell.upper_bound(c);
    if (it == speed_from_cell.begin()) continue;
    int64_t v = std::prev(it)->second;
    for (const Slow& s : slows) {
      if (c >= s.first_cell && c < s.end_cell && s.speed > 0) v = std::min(v, s.speed);
    }
    if (v <= 0) continue;
    seconds += static_cast<double>(kCellLengthM) * 3.6 / static_cast<double>(v);
  }
  // Whole seconds, rounded down: still a bound no schedule can beat.
  return static_cast<int64_t>(std::floor(seconds + 1e-9));
}

std::vector<Diagnostic> lint_semantics(const LintResult& line, const LintResult& train) {
  std::vector<Diagnostic> out;
  using File = SourceOrigin::File;
  std::optional<int64_t> route_m;
  for (const LintedRow& r : line.rows) {
    if (r.kind == RowId::kRouteLength) route_m = number(r, 0);
  }
  auto beyond = [&](File file, const std::vector<LintedRow>& rows) {
    if (!route_m) return;
    for (const LintedRow& r : rows) {
      const RowKind& k = row_kind(r.kind);
      if (k.zone == Zone::kLineGeneral || k.values.empty() || k.values[0].unit != "m") continue;
      const auto p = number(r, 0);
      if (!p || *p <= *route_m) continue;
      Diagnostic d = make(Severity::kWarning, "beyond-route", file, r.line, r.columns[0],
                          r.columns[0] + static_cast<int>(r.values[0].size()),
                          fmt::format("\"{}\" at {} m stands beyond the route length of {} m: "
                                      "the train never gets there",
                                      k.key, *p, *route_m));
      d.position_m = static_cast<int32_t>(*p);
      out.push_back(std::move(d));
    }
  };
  beyond(File::kLineDescription, line.rows);
  beyond(File::kTrainDescription, train.rows);

  // Speeds from a row the builder reads otherwise than written, or not at
  // all, would make a bound of no worth: the schedule waits for them.
  const bool speeds_known =
      std::none_of(train.rows.begin(), train.rows.end(), [](const LintedRow& r) {
        return (r.kind == RowId::kSpeedLimit || r.kind == RowId::kSlowDown) && !r.complete;
      });
  std::vector<Station> stations;
  for (const LintedRow& r : train.rows) {
    if (r.kind != RowId::kStation) continue;
    const auto p = named(r, "position_m");
    if (!p) continue;
    Station s{&r, *p, std::nullopt, {}};
    const auto h = named(r, "hours");
    const auto m = named(r, "minutes");
    const auto sec = named(r, "seconds");
    // 0:00:00 is how the texts mark a station the train passes without a
    // time of its own.
    if (h && m && sec && (*h != 0 || *m != 0 || *sec != 0)) s.time_s = (*h * 60 + *m) * 60 + *sec;
    const int n = value_index(r.kind, "name");
    if (n >= 0 && static_cast<size_t>(n) < r.values.size()) s.name = cp1252_to_utf8(r.values[n]);
    // A row without its name still needs words in a message.
    s.name = s.name.empty() ? std::string("the unnamed station") : fmt::format("\"{}\"", s.name);
    stations.push_back(std::move(s));
  }
  const int pos_index = value_index(RowId::kStation, "position_m");
  const int hours_index = value_index(RowId::kStation, "hours");
  const Station* timed = nullptr;  // the last station with a time
  for (size_t i = 0; i < stations.size(); ++i) {
    const Station& b = stations[i];
    const LintedRow& br = *b.row;
    if (i > 0 && b.position_m <= stations[i - 1].position_m) {
      const Station& a = stations[i - 1];
      const int pos_col = br.columns[pos_index];
      Diagnostic d = make(Severity::kWarning, "station-order", File::kTrainDescription, br.line,
                          pos_col, pos_col + static_cast<int>(br.values[pos_index].size()),
                          fmt::format("{} at {} m comes after {} at {} m in the "
                                      "text but not along the route; list the stations in "
                                      "route order",
                                      b.name, b.position_m, a.name, a.position_m));
      d.position_m = static_cast<int32_t>(b.position_m);
      d.notes.push_back(note_at(File::kTrainDescription, *a.row,
                                fmt::format("the previous station, {}, is here", a.name)));
      out.push_back(std::move(d));
      timed = nullptr;  // times along a route out of order say nothing
      continue;
    }
    if (!b.time_s || hours_index < 0 || static_cast<size_t>(hours_index) + 2 >= br.columns.size()) {
      continue;
    }
    const Station* a = timed;
    timed = &b;
    if (a == nullptr) continue;
    const int time_col = br.columns[hours_index];
    const int time_end =
        br.columns[hours_index + 2] + static_cast<int>(br.values[hours_index + 2].size());
    if (*b.time_s < *a->time_s) {
      Diagnostic d =
          make(Severity::kWarning, "station-time-order", File::kTrainDescription, br.line, time_col,
               time_end,
               fmt::format("{} is scheduled at {}, before {} at {}: "
                           "station times must not go backwards",
                           b.name, clock_text(*b.time_s), a->name, clock_text(*a->time_s)));
      d.notes.push_back(
          note_at(File::kTrainDescription, *a->row,
                  fmt::format("the previous station with a time, {}, is here", a->name)));
      out.push_back(std::move(d));
      continue;
    }
    if (!speeds_known) continue;
    const int64_t least = fastest_run_s(train.rows, a->position_m, b.position_m);
    const int64_t scheduled = *b.time_s - *a->time_s;
    if (scheduled < least) {
      Diagnostic d =
          make(Severity::kWarning, "schedule-too-fast", File::kTrainDescription, br.line, time_col,
               time_end,
               fmt::format("the schedule gives {} s from {} to {} ({} m), but the speed limits "
                           "allow no run faster than {} s: {} s short",
                           scheduled, a->name, b.name, b.position_m - a->position_m, least,
                           least - scheduled));
      d.notes.push_back(
          note_at(File::kTrainDescription, *a->row,
                  fmt::format("the previous station with a time, {}, is here", a->name)));
      out.push_back(std::move(d));
    }
  }
  return out;
}

}  // namespace scenario::tools
