#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace scenario {

// The rows of the two description texts: which key words exist, how a key
// item is recognised, and what each value after it is. The readers dispatch
// on this table, in its order, so that the readers, the format reference,
// `explain` and `check` can never disagree on which key words exist.

/// Where a key is recognised. Each zone has its own key tests and its own
/// hyphen rule.
enum class Zone : uint8_t {
  kLineGeneral,  // line description, between "[generale]" and the first header after it
  kLineFeature,  // line description, after that header
  kTrain,        // train description, after "[generale]"
};

enum class ValueType : uint8_t {
  kLong,     // 32-bit signed
  kInteger,  // 16-bit signed
  kByte,     // 0 .. 255
  kText,     // up to the next comma or line end; quoted: up to the next double quote
};

enum class KeyCase : uint8_t { kExact, kIgnored };

/// Every kind of row the readers recognise, in reader order.
enum class RowId : uint8_t {
  // Line description, general section.
  kRouteLength,
  kProgressiveTre,
  kProgressiveDue,
  kProgressiveUno,
  kBackgroundUno,
  kBackgroundDue,
  kBackgroundTre,
  kSignalRepetition,
  // Line description, features.
  kGradient,
  kCurve,
  kMontagna,
  kSpeedBoards,
  kTextBoard,
  // Train description.
  kBrakedWeight,
  kCoaches,
  kSpeedLimit,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowDown,
  kAbbattimento,
  kStation,
};

/// A zone's kinds are the consecutive ids first_row(zone) .. last_row(zone),
/// in the order of its key tests: the readers' handler tables are checked
/// against these at compile time.
constexpr RowId first_row(Zone zone) {
  switch (zone) {
    case Zone::kLineGeneral:
      return RowId::kRouteLength;
    case Zone::kLineFeature:
      return RowId::kGradient;
    case Zone::kTrain:
      return RowId::kBrakedWeight;
  }
  return RowId::kRouteLength;
}
constexpr RowId last_row(Zone zone) {
  switch (zone) {
    case Zone::kLineGeneral:
      return RowId::kSignalRepetition;
    case Zone::kLineFeature:
      return RowId::kTextBoard;
    case Zone::kTrain:
      return RowId::kStation;
  }
  return RowId::kStation;
}

/// One value of a row, in the order the reader takes it.
struct RowValue {
  /// Self-explaining English name, lower_snake_case with its unit as a
  /// suffix where it has one ("position_m", "speed_kmh").
  std::string_view name;
  ValueType type;
  /// "m", "km/h", "per mille", "%", "s", "h", "min", or "" for a count, a
  /// code or a text.
  std::string_view unit;
  /// Accepted range: what the builder turns into something meaningful. A
  /// value outside its type's range fails the read (code 25); a value inside
  /// the type but outside this range is accepted and almost always a
  /// mistake. For a text: its length in characters.
  int64_t min;
  int64_t max;
  /// What the builder does with it: the cell field, slot or profile it
  /// lands in.
  std::string_view effect;
};

/// One kind of row.
struct RowKind {
  RowId id;
  Zone zone;
  /// The key as the carried texts write it ("segnale", "curvas4").
  std::string_view key;
  /// The key item must contain every non-empty word (substring tests).
  std::string_view words[2];
  KeyCase key_case;
  std::span<const RowValue> values;
  /// One line: what the row is.
  std::string_view summary;
  /// Rules that go beyond single values (order, limits, codes).
  std::string_view details;
  /// A row from the carried texts.
  std::string_view example;
};

/// Every row kind, zone by zone in reader order (line general, line
/// features, train), each zone's kinds in the order of its key tests.
std::span<const RowKind> row_kinds();
/// The kinds of one zone, in the order of its key tests.
std::span<const RowKind> row_kinds(Zone zone);
const RowKind& row_kind(RowId id);

/// How one zone is read: where it starts and ends, how its keys are tested,
/// and the header lines the carried texts write into it, which match no key
/// and so mean nothing.
struct ZoneRules {
  Zone zone;
  /// "line description, general section".
  std::string_view title;
  std::string_view starts;
  std::string_view ends;
  std::string_view key_rule;
  std::string_view hyphen_rule;
  std::span<const std::string_view> header_lines;
};
const ZoneRules& zone_rules(Zone zone);

/// A rule of a whole description text rather than of one row: the code
/// page, the line ends, how items are split, quoting, the end of the text.
struct FileRule {
  std::string_view topic;
  std::string_view text;
};
std::span<const FileRule> file_rules();

/// True when `key_item` passes the kind's key test: it contains every word,
/// case ignored where the kind says so (ASCII letters only).
bool key_matches(const RowKind& kind, std::string_view key_item);

/// How many hyphenated items in a row are passed over in key position
/// before a key is tested: 10 in the general section, 2 elsewhere.
int hyphen_skips(Zone zone);

/// A-Z lowered, every other byte unchanged: the key tests' case rule,
/// independent of any locale.
char lower_ascii(char c);
/// The key tests: `word` anywhere in `haystack`, case counting or not.
bool contains(std::string_view haystack, std::string_view word);
bool contains_ignoring_case(std::string_view haystack, std::string_view word);

}  // namespace scenario
