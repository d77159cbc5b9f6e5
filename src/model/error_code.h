#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace scenario {

// The codes the compile stage records in BuildState::error_code. The numbers
// are what authors and the simulator's users know them by; 14 and 23 are not
// used.
inline constexpr int32_t kNoError = 0;
inline constexpr int32_t kRouteLengthRefused = 1;
inline constexpr int32_t kProgressiveOffStep = 2;
inline constexpr int32_t kRepetitionFirstNotOnGrid = 3;
inline constexpr int32_t kRepetitionSecondNotOnGrid = 4;
inline constexpr int32_t kRepetitionWithoutCodeCount = 5;
inline constexpr int32_t kTextBoardCellTaken = 6;
inline constexpr int32_t kPointCellTaken = 7;
inline constexpr int32_t kStationOffStep = 8;
inline constexpr int32_t kStationLengthOffStep = 9;
inline constexpr int32_t kTableFull = 10;
inline constexpr int32_t kNoRoomBesideSignal = 11;
inline constexpr int32_t kNoRoomBeforeSlowDown = 12;
inline constexpr int32_t kNoRoomInsideSlowDown = 13;
inline constexpr int32_t kObjectOutsideGrid = 15;
inline constexpr int32_t kSignalCellTaken = 16;
inline constexpr int32_t kWarningCellTaken = 17;
inline constexpr int32_t kStartCellTaken = 18;
inline constexpr int32_t kEndCellTaken = 19;
inline constexpr int32_t kBeforeWarningCellTaken = 20;
inline constexpr int32_t kSpeedBoardCellTaken = 21;
inline constexpr int32_t kStationGap = 22;
inline constexpr int32_t kStationTooNearStart = 24;
inline constexpr int32_t kReadFailure = 25;
inline constexpr int32_t kTooManyMontagna = 26;
inline constexpr int32_t kFileNotFound = 101;
inline constexpr int32_t kNoGeneralSection = 102;
inline constexpr int32_t kBadCurve = 103;

// The two fatal codes: a reserved slot was already taken when sealing. They
// are never recorded in error_code; the run shows " Errore n. " + the code
// and writes no binary file.
inline constexpr int32_t kMarkerSlotTaken = 1250;
inline constexpr int32_t kCheckCodeSlotTaken = 1251;

/// What goes into error_position_m with a code.
enum class PositionRule : uint8_t {
  kUnchanged,      // nothing: the position of an earlier code stays, or 0
  kObject,         // the position in metres of the object refused
  kObjectOnStep,   // a station's position, a multiple of 50 (code 8 is tested first)
  kObjectOffStep,  // a station's position that is not a multiple of 50
  kCell,           // a cell of the grid × 50 (the finishing pass)
  kMessageBox,     // fatal: no position; the code is shown in the message box
};

/// Which description texts the run leaves on disk.
enum class TextsLeft : uint8_t {
  kNone,       // both consumed
  kTrainText,  // the line reader stopped before the train reader ran
  kDepends,    // the line reader or the train reader may record it (see the row's text)
};

/// Whether the binary files are written.
enum class FilesWritten : uint8_t {
  kWritten,  // a grid exists, so they are
  kIfGrid,   // only when a grid was made before the code (see the row's text)
  kNoGrid,   // never: the line reader stopped before the route length
  kNone,     // never: fatal, the run ends with exit status 2
};

/// One code and its outcome. The texts are what the README's table says;
/// where a text is empty the enumerator's plain word stands for it.
struct ErrorCodeInfo {
  int32_t code;
  /// In an author's words, as scenario_tool prints it.
  std::string_view meaning;
  /// The condition in full, as the README's table gives it.
  std::string_view condition;
  PositionRule position;
  std::string_view position_text;
  TextsLeft texts_left;
  std::string_view texts_left_text;
  FilesWritten files;
  std::string_view files_text;

  constexpr bool fatal() const { return position == PositionRule::kMessageBox; }
  /// The code records a position in metres of its own.
  constexpr bool has_position() const {
    return position != PositionRule::kUnchanged && position != PositionRule::kMessageBox;
  }
};

/// Every code the build can end with, in ascending order, 0 first.
inline constexpr std::array kErrorCodes = {
    ErrorCodeInfo{kNoError, "", "no fault", PositionRule::kUnchanged, "", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kRouteLengthRefused, "route length above 1000000 m or below 0",
                  "route length above 1000000 m, or below 0", PositionRule::kUnchanged, "",
                  TextsLeft::kTrainText, "", FilesWritten::kIfGrid,
                  "none (no grid), unless an earlier route length line made one"},
    ErrorCodeInfo{kProgressiveOffStep, "kilometric progressive start or end not a multiple of 50",
                  "a kilometric progressive's start or end not a multiple of 50",
                  PositionRule::kUnchanged, "", TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kRepetitionFirstNotOnGrid, "first signal-repetition value not a multiple of 50",
                  "first signal-repetition position not a multiple of 50", PositionRule::kUnchanged,
                  "", TextsLeft::kTrainText, "", FilesWritten::kIfGrid,
                  "written if the route length came earlier in the section, else none"},
    ErrorCodeInfo{kRepetitionSecondNotOnGrid, "second signal-repetition value not a multiple of 50",
                  "second signal-repetition position not a multiple of 50",
                  PositionRule::kUnchanged, "", TextsLeft::kTrainText, "", FilesWritten::kIfGrid,
                  "written if the route length came earlier in the section, else none"},
    ErrorCodeInfo{kRepetitionWithoutCodeCount, "signal-repetition key holds neither 4 nor 9",
                  "signal-repetition key holds neither \"4\" nor \"9\"", PositionRule::kUnchanged,
                  "", TextsLeft::kTrainText, "", FilesWritten::kIfGrid,
                  "written if the route length came earlier in the section, else none"},
    ErrorCodeInfo{kTextBoardCellTaken, "text board cell already taken",
                  "text board on a taken cell", PositionRule::kObject, "board position",
                  TextsLeft::kTrainText, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kPointCellTaken, "abbattimento point cell already taken",
                  "abbattimento point on a taken cell", PositionRule::kObject, "point position",
                  TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kStationOffStep, "station position not a multiple of 50",
                  "station position not a multiple of 50", PositionRule::kObjectOffStep,
                  "station position", TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kStationLengthOffStep, "station length not a multiple of 100",
                  "station length not a multiple of 100", PositionRule::kObjectOnStep,
                  "station position", TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    // A station records no position; the 81st text board records its own,
    // which the tool does not show, as for stations.
    ErrorCodeInfo{kTableFull, "station table full: too many stations for the board texts",
                  "station table full (stations reach the board slots); also the 81st text "
                  "board of the line description",
                  PositionRule::kUnchanged, "unchanged; for a board, its position",
                  TextsLeft::kDepends, "none; for a board, train text", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kNoRoomBesideSignal,
                  "no room for a point next to a signal before a slow-down warning board",
                  "no room for a point next to a signal before a warning board",
                  PositionRule::kCell, "signal cell × 50", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kNoRoomBeforeSlowDown, "no free cell for a point before a slow-down start",
                  "no free cell for a point before a slow-down start", PositionRule::kCell,
                  "start cell × 50", TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kNoRoomInsideSlowDown,
                  "no room for a point inside a slow-down or before the first signal after it",
                  "no room for a point inside a slow-down or before the first signal after it",
                  PositionRule::kCell, "walk cell × 50 or end cell × 50", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kObjectOutsideGrid,
                  "object outside the route's cells (beyond its end or before its start)",
                  "an object outside the route's cells: by the readers' own tests, a feature or "
                  "train line beyond the grid, a text board before the route's start, an "
                  "abbattimento point below -25 m, a station whose stop marker would pass the "
                  "grid (tested before its gap, 22, as the marker is written first); also, "
                  "refused by the cell writers, an object that passes the tests made before the "
                  "writer's first write (its cells free: 16 to 19, 21, 6, 7; the montagna count, "
                  "26) but whose cells would then fall before cell 0 or past the last cell (a "
                  "signal on a free cell below 325 m, a negative position, a montagna or "
                  "slow-down whose end passes the grid); such an object is refused whole, with "
                  "nothing written",
                  PositionRule::kObject, "the object's position", TextsLeft::kDepends,
                  "reader's own test in the line text: none (the train text is still read); "
                  "refused by a writer during the line text: train text; in the train text: none",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kSignalCellTaken, "signal cell already taken", "signal on a taken cell",
                  PositionRule::kObject, "signal position", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kWarningCellTaken, "slow-down warning board cell already taken",
                  "slow-down warning cell taken", PositionRule::kObject, "slow-down position",
                  TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kStartCellTaken, "slow-down start cell already taken",
                  "slow-down start cell taken", PositionRule::kObject, "slow-down position",
                  TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kEndCellTaken, "slow-down end cell already taken", "slow-down end cell taken",
                  PositionRule::kObject, "slow-down position", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kBeforeWarningCellTaken,
                  "a cell just before a slow-down warning board already taken",
                  "one of the four cells before a warning board taken (start, end and warning "
                  "stay written)",
                  PositionRule::kObject, "slow-down position", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kSpeedBoardCellTaken, "speed indicator board cell already taken",
                  "speed indicator board on a taken cell", PositionRule::kObject, "board position",
                  TextsLeft::kTrainText, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kStationGap,
                  "station area starts less than 350 m after the previous station's area",
                  "station area starts less than 350 m after the previous one's end",
                  PositionRule::kObjectOnStep, "station position", TextsLeft::kNone, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kStationTooNearStart, "station stop too close to the start of the route",
                  "stop-marker cell of a station of kind below 25 not above cell 1",
                  PositionRule::kUnchanged, "", TextsLeft::kNone, "", FilesWritten::kWritten, ""},
    ErrorCodeInfo{kReadFailure,
                  "source text could not be read (missing file, malformed number or value out "
                  "of range)",
                  "a failed read: missing train text, a file that ends inside a line's values, a "
                  "number that is not a decimal integer, a value out of its type's range, a text "
                  "item over 32767 characters, an unterminated quote, a conversion out of range, "
                  "a line description without a route length",
                  PositionRule::kUnchanged, "", TextsLeft::kNone, "", FilesWritten::kIfGrid,
                  "written if a grid exists"},
    ErrorCodeInfo{kTooManyMontagna, "more than 80 montagna ranges",
                  "more than 80 montagna ranges (new: the table of ranges has 80 places)",
                  PositionRule::kObject, "the range's `inizio`", TextsLeft::kTrainText, "",
                  FilesWritten::kWritten, ""},
    ErrorCodeInfo{kFileNotFound, "line description file not found", "line description not found",
                  PositionRule::kUnchanged, "", TextsLeft::kTrainText, "", FilesWritten::kNoGrid,
                  ""},
    ErrorCodeInfo{kNoGeneralSection, "no [generale] section in the line description",
                  "no item containing \"[generale]\" in the line description (also an empty "
                  "file)",
                  PositionRule::kUnchanged, "", TextsLeft::kTrainText, "", FilesWritten::kNoGrid,
                  ""},
    ErrorCodeInfo{kBadCurve, "curve without a class 1 to 6, or line plan longer than 1000000 m",
                  "curve key without a class digit 1 to 6, or the line plan passing 1000000 m",
                  PositionRule::kUnchanged, "", TextsLeft::kTrainText, "", FilesWritten::kWritten,
                  "written; the plan holds empty elements past where it stopped"},
    ErrorCodeInfo{kMarkerSlotTaken,
                  "reserved slot for the markers already taken (object in cell 1)",
                  "reserved slot taken before the markers (an object in cell 1, e.g. a speed "
                  "board at metre 0)",
                  PositionRule::kMessageBox, "message box \" Errore n. 1250\"", TextsLeft::kNone,
                  "", FilesWritten::kNone, ""},
    ErrorCodeInfo{kCheckCodeSlotTaken,
                  "reserved slot for the check codes already taken (object in cell 1)",
                  "reserved slot taken before the check codes", PositionRule::kMessageBox,
                  "message box \" Errore n. 1251\"", TextsLeft::kNone, "", FilesWritten::kNone, ""},
};

namespace error_code_detail {
constexpr bool ascending_and_complete() {
  for (size_t k = 1; k < kErrorCodes.size(); ++k) {
    if (kErrorCodes[k - 1].code >= kErrorCodes[k].code) return false;
  }
  for (const ErrorCodeInfo& info : kErrorCodes) {
    // A row whose outcome depends on more than its code says how in words.
    if (info.texts_left == TextsLeft::kDepends && info.texts_left_text.empty()) return false;
    if (info.files == FilesWritten::kIfGrid && info.files_text.empty()) return false;
    if (info.has_position() && info.position_text.empty()) return false;
  }
  return kErrorCodes.front().code == kNoError;
}
}  // namespace error_code_detail
static_assert(error_code_detail::ascending_and_complete(),
              "kErrorCodes: one row per code in ascending order, 0 first, every varying "
              "outcome spelt out");

/// The row of `code`, or nullptr for a code the build never ends with.
constexpr const ErrorCodeInfo* find_error_code(int32_t code) {
  for (const ErrorCodeInfo& info : kErrorCodes) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

}  // namespace scenario
