#pragma once

#include <cstdint>

namespace scenario {

// The codes the compile stage records in BuildState::error_code. The numbers
// are what authors and the simulator's users know them by; 14 and 23 are not
// used.
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

}  // namespace scenario
