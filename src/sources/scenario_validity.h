#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

/// The five texts of a scenario, in the order the build writes them.
enum class TextKind : std::size_t {
  kLineDescription,
  kTrainDescription,
  kNotes,
  kSlowdownOrder,
  kTimetableSheet,
};
inline constexpr std::size_t kTextCount = 5;

/// "line description", "train description", "notes", "slow-down order",
/// "timetable sheet": how messages name a text.
std::string_view text_title(TextKind kind);

/// A scenario as an author hands it over: two names and five texts, each
/// text as bytes (lines ended by CR LF or LF; the last line may lack its
/// end).
struct ScenarioTexts {
  std::string scenario_name;
  std::string train_code;
  std::array<std::string, kTextCount> texts;

  std::string& text(TextKind kind) { return texts[static_cast<std::size_t>(kind)]; }
  const std::string& text(TextKind kind) const { return texts[static_cast<std::size_t>(kind)]; }
};

/// Longest scenario name or train code.
inline constexpr std::size_t kMaxNameLength = 32;
/// Most lines a text may have: the builder's line table holds 1000 and the
/// end marker.
inline constexpr std::size_t kMaxTextLines = 1000;

/// Why `name` cannot be a scenario name or a train code, or nothing when it
/// can: 1 to 32 characters from A-Z a-z 0-9 _ -, and not a device name that
/// Windows reserves (CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any case), since
/// every file name of the scenario starts with it.
std::optional<std::string> name_problem(std::string_view name);

/// What in a text breaks the rule below.
enum class TextFault {
  kControlCharacter,    // below 0x20 other than tab, or 0x7F
  kUndefinedByte,       // one of the five bytes code page 1252 leaves undefined
  kLoneCarriageReturn,  // a CR not right before an LF
  kTooManyLines,        // a line past the 1000th
  kEndMarkerLine,       // a line that reads the end marker
};

/// One fault of a text, with its place (1-based; column counts bytes).
struct TextProblem {
  std::size_t line = 0;
  std::size_t column = 0;
  std::string message;
  TextFault fault = TextFault::kControlCharacter;
};

/// Every reason why `text` cannot be carried, in text order: bytes of code
/// page 1252 (its five undefined bytes refused) without control characters
/// other than tab, a CR only right before an LF, at most 1000 lines, and no
/// line that reads the end marker (the builder would stop writing there).
/// At most one fault of a line's bytes per line; "more than 1000 lines"
/// once, at line 1001.
std::vector<TextProblem> text_problems(std::string_view text);

/// The first of text_problems, or nothing when the text can be carried.
std::optional<TextProblem> text_problem(std::string_view text);

/// Every way in which `s` breaks the rule above, one message each, naming
/// the name or the text and the place: "scenario name \"CON\": a device name
/// that Windows reserves", "notes, line 3, column 7: control character
/// 0x07". Empty when the scenario can be carried.
std::vector<std::string> validate_scenario(const ScenarioTexts& s);

/// The lines of a text that passed text_problem, without their ends. An
/// empty text has no line; a final line end opens no further line.
std::vector<std::string_view> split_lines(std::string_view text);

/// The lines joined, each followed by CR LF: the bytes the builder writes.
std::string crlf_text(std::string_view text);

}  // namespace scenario
