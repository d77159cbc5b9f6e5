#include "compiler/row_kinds.h"

#include <array>
#include <limits>
#include <stdexcept>

namespace scenario {
namespace {

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kIntegerMin = std::numeric_limits<int16_t>::min();
constexpr int64_t kIntegerMax = std::numeric_limits<int16_t>::max();
/// A feature may stand up to 6900 m past the longest route.
constexpr int64_t kPositionMax = 1006900;
constexpr int64_t kTextMax = 32767;

// --- Line description, general section ----------------------------------------

constexpr ValueSpec kRouteLengthValues[] = {
    {"route_length_m", ValueType::kLong, "m", 0, 1000000,
     "sizes the cell grid (route length + 7000 m, one cell per 50 m) and the line plan; "
     "train file slot 84 area_end_m"},
};

constexpr ValueSpec kProgressiveValues[] = {
    {"start_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "area_start_m of one of the slots 81-83 after ordering; must be a multiple of 50 (code 2)"},
    {"end_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "area_end_m of that slot; must be a multiple of 50 (code 2)"},
    {"adjust", ValueType::kLong, "", kLongMin, kLongMax,
     "position_m of that slot; exactly 1 adds 100 to end_m"},
};

constexpr ValueSpec kBackgroundUnoValues[] = {
    {"background_1", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 area_start_m, passed through unchanged"},
};
constexpr ValueSpec kBackgroundDueValues[] = {
    {"background_2", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 position_m, passed through unchanged"},
};
constexpr ValueSpec kBackgroundTreValues[] = {
    {"background_3", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 area_end_m, passed through unchanged"},
};

constexpr ValueSpec kSignalRepetitionValues[] = {
    {"start_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "train file slot 86 area_start_m; must be a multiple of 50 (code 3)"},
    {"end_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "train file slot 86 area_end_m; must be a multiple of 50 (code 4); 0 means no repetition"},
};

// --- Line description, features ---------------------------------------------------

constexpr ValueSpec kGradientValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the gradient holds from cell round(position_m / 50) on"},
    {"gradient_per_mille", ValueType::kLong, "per mille", -100, 155,
     "gradient_code of the cells up to the next gradient row: gradient + 100, low 8 bits"},
};

constexpr ValueSpec kCurveValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax,
     "the line plan turns from the point after start_m"},
    {"length_m", ValueType::kLong, "m", 0, kPositionMax,
     "one turned step of the line plan per metre"},
};

constexpr ValueSpec kMontagnaValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax, "first cell round(start_m / 50)"},
    {"end_m", ValueType::kLong, "m", 0, kPositionMax, "last cell round(end_m / 50 - 1)"},
    {"type", ValueType::kLong, "", 0, 255,
     "montagna_type of every cell of the range; above 10: 10 less, and a montagna marker "
     "(kind 11) in every fourth empty cell; 3 when the range starts 150 m or less after the "
     "previous one"},
};

constexpr ValueSpec kSpeedBoardValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50 + 1) becomes a speed board (kind 6)"},
    {"left_speed_a_kmh", ValueType::kLong, "km/h", 0, 1600,
     "value1 = left_speed_a_kmh * 20 + right_speed_a_kmh / 5, rounded"},
    {"left_speed_b_kmh", ValueType::kLong, "km/h", 0, 1600,
     "value2 = left_speed_b_kmh * 20 + right_speed_b_kmh / 5, rounded"},
    {"left_speed_c_kmh", ValueType::kLong, "km/h", 0, 1600,
     "value3 = left_speed_c_kmh * 20 + right_speed_c_kmh / 5, rounded"},
    {"left_stripes", ValueType::kLong, "", 0, 2, "value4 = left_stripes * 10 + right_stripes"},
    {"right_speed_a_kmh", ValueType::kLong, "km/h", 0, 1275,
     "see left_speed_a_kmh; empty (0) when there is no right-hand board"},
    {"right_speed_b_kmh", ValueType::kLong, "km/h", 0, 1275, "see left_speed_b_kmh"},
    {"right_speed_c_kmh", ValueType::kLong, "km/h", 0, 1275, "see left_speed_c_kmh"},
    {"right_stripes", ValueType::kLong, "", 0, 9, "see left_stripes"},
};

constexpr ValueSpec kTextBoardValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50 + 1) becomes a text board (kind 14) holding its slot"},
    {"text", ValueType::kText, "", 1, kTextMax,
     "the name of train file slot 80, 79, ... downward, one slot per board"},
};

// --- Train description ----------------------------------------------------------

constexpr ValueSpec kBrakedWeightValues[] = {
    {"braked_weight_percent", ValueType::kLong, "%", 0, kLongMax,
     "train file slot 84 area_start_m"},
};
constexpr ValueSpec kCoachesValues[] = {
    {"coaches", ValueType::kLong, "", 0, kLongMax, "train file slot 84 position_m"},
};
constexpr ValueSpec kSpeedLimitValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the speed holds from cell round(position_m / 50) on"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 1277,
     "speed_code of the cells up to the next speed row: speed / 5, rounded"},
};
constexpr ValueSpec kAdhesionValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the adhesion holds from cell round(position_m / 50) on"},
    {"adhesion", ValueType::kLong, "", 0, 255,
     "adhesion_code of the cells up to the next adhesion row, low 8 bits"},
};
constexpr ValueSpec kClockValues[] = {
    {"hours", ValueType::kInteger, "h", 0, 23, "train file slot 86 group_b1"},
    {"minutes", ValueType::kInteger, "min", 0, 59, "train file slot 86 group_b2"},
    {"seconds", ValueType::kInteger, "s", 0, 59, "train file slot 86 group_b3"},
};
constexpr ValueSpec kSandValues[] = {
    {"sand", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "train file slot 86 group_a1"},
};
constexpr ValueSpec kSignalValues[] = {
    {"position_m", ValueType::kLong, "m", 325, kPositionMax,
     "cell round(position_m / 50 + 1) becomes a signal (kind 1); the cells 2, 4, 6 and 8 "
     "before it get approach codes, so the signal needs 325 m of route before it"},
    {"left_type", ValueType::kLong, "", 1, 2,
     "value4 = repeater * 10 + left_type * 3 + right_type; 2 keeps the time in the cell"},
    {"left_aspect_1", ValueType::kLong, "", 0, 9, "value1 = left_aspect_1 * 10 + right_aspect_1"},
    {"left_aspect_2", ValueType::kLong, "", 0, 9, "value2 = left_aspect_2 * 10 + right_aspect_2"},
    {"left_aspect_3", ValueType::kLong, "", 0, 9, "value3 = left_aspect_3 * 10 + right_aspect_3"},
    {"repeater", ValueType::kLong, "", 0, 9, "see left_type"},
    {"right_type", ValueType::kLong, "", 0, 2,
     "see left_type; approach codes (left_type * 3 + right_type) * 10 + 1 .. 4"},
    {"right_aspect_1", ValueType::kLong, "", 0, 9, "see left_aspect_1"},
    {"right_aspect_2", ValueType::kLong, "", 0, 9, "see left_aspect_2"},
    {"right_aspect_3", ValueType::kLong, "", 0, 9, "see left_aspect_3"},
    {"time", ValueType::kLong, "", 0, 255,
     "signal_time when left_type is 2 (low 8 bits); 1 .. 100 become 101"},
};
constexpr ValueSpec kSlowDownValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax,
     "start cell round(start_m / 50 + 1) (kind 3); above 1500 m a warning board 1200 m before "
     "it (kind 4)"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 32767, "value1 of the start, end and warning cells"},
    {"length_m", ValueType::kLong, "m", 25, kPositionMax,
     "end cell round((start_m + length_m) / 50 + 1) (kind 2)"},
    {"end_flag", ValueType::kLong, "", 0, 1, "value3 of the start and end cells"},
    {"warning_cells", ValueType::kLong, "", 0, 1,
     "not 0: the four cells before the warning board become kind 5, steps 1 .. 4"},
    {"second_speed", ValueType::kLong, "", 0, 32767,
     "not 0: value2 of the start, end, warning and kind-5 cells"},
};
constexpr ValueSpec kAbbattimentoValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50), without the + 1 of signals and boards"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 32767,
     "above 0: kind 12 with the speed in value1; 0 or below: kind 13"},
};
constexpr ValueSpec kStationValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "train file slot position_m; a multiple of 50 (code 8)"},
    {"kind", ValueType::kByte, "", 0, 255,
     "station_kind; lays out the area: 5, 6 end it 150 m past the position, 7, 8 reach the "
     "length on both sides, 25 and above mark no cell"},
    {"length_m", ValueType::kLong, "m", 0, kPositionMax,
     "the area's extent, not stored; a multiple of 100 (code 9)"},
    {"flag_a", ValueType::kByte, "", 0, 255, "flag_a, stored as read"},
    {"long_flag", ValueType::kByte, "", 0, 255,
     "long_flag; 0 below 600 m and for the first station"},
    {"end_extension", ValueType::kByte, "", 0, 255,
     "end_extension; not 0: the area reaches 50 m further (kinds other than 5 to 8)"},
    {"group_a1", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_a1, stored as read"},
    {"group_a2", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_a2, stored as read"},
    {"group_a3", ValueType::kByte, "", 0, 255, "group_a3, stored as read"},
    {"group_b1", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b1, stored as read"},
    {"group_b2", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b2, stored as read"},
    {"group_b3", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b3, stored as read"},
    {"stop_value", ValueType::kByte, "", 0, 255, "stop_value, stored as read"},
    {"hours", ValueType::kLong, "h", 0, 23, "time_s = (hours * 60 + minutes) * 60 + seconds"},
    {"minutes", ValueType::kLong, "min", 0, 59, "see hours"},
    {"seconds", ValueType::kLong, "s", 0, 59, "see hours"},
    {"name", ValueType::kText, "", 1, kTextMax, "name, up to the line end; no comma"},
};

// The order within each zone is the order of its key tests.
constexpr RowKind kRowKinds[] = {
    {RowId::kRouteLength,
     Zone::kLineGeneral,
     "lunghezza percorso",
     {"percorso", "lunghezza"},
     KeyCase::kIgnored,
     kRouteLengthValues,
     "route length: the size of the cell grid",
     "Mandatory, before every feature row; above 1000000 m it is refused (code 1).",
     "lunghezza percorso,    152000"},
    {RowId::kProgressiveTre,
     Zone::kLineGeneral,
     "progressiva chilometrica tre",
     {"tre", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "third kilometric progressive (slot 81 before ordering)",
     "The three progressives are ordered by their start, greatest first, before the features "
     "are read.",
     "progressiva chilometrica tre,    0,    0,    0"},
    {RowId::kProgressiveDue,
     Zone::kLineGeneral,
     "progressiva chilometrica due",
     {"due", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "second kilometric progressive (slot 82 before ordering)",
     "",
     "progressiva chilometrica due,    0,    0,    0"},
    {RowId::kProgressiveUno,
     Zone::kLineGeneral,
     "progressiva chilometrica uno",
     {"uno", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "first kilometric progressive (slot 83 before ordering)",
     "",
     "progressiva chilometrica uno,    1000,    0,    0"},
    {RowId::kBackgroundUno,
     Zone::kLineGeneral,
     "sfondo uno",
     {"sfondo", "uno"},
     KeyCase::kExact,
     kBackgroundUnoValues,
     "first background value",
     "",
     "sfondo uno,    1000"},
    {RowId::kBackgroundDue,
     Zone::kLineGeneral,
     "sfondo due",
     {"sfondo", "due"},
     KeyCase::kExact,
     kBackgroundDueValues,
     "second background value",
     "",
     "sfondo due,    3000"},
    {RowId::kBackgroundTre,
     Zone::kLineGeneral,
     "sfondo tre",
     {"sfondo", "tre"},
     KeyCase::kExact,
     kBackgroundTreValues,
     "third background value",
     "",
     "sfondo tre,    1"},
    {RowId::kSignalRepetition,
     Zone::kLineGeneral,
     "ripetizione segnali 4 codici",
     {"segnali", "ripetizione"},
     KeyCase::kExact,
     kSignalRepetitionValues,
     "stretch with signal repetition",
     "The key must hold the number of codes, \"4\" or \"9\" (code 5); slot 86 position_m gets "
     "it, or 0 when end_m is 0.",
     "ripetizione segnali 4 codici,    1000,    150000"},

    {RowId::kGradient,
     Zone::kLineFeature,
     "pendenza",
     {"pendenza", ""},
     KeyCase::kIgnored,
     kGradientValues,
     "gradient from a position on",
     "Rows in increasing position; the gradient before the first row is 0.",
     "pendenza,  1350,   19"},
    {RowId::kCurve,
     Zone::kLineFeature,
     "curvas4",
     {"curva", ""},
     KeyCase::kIgnored,
     kCurveValues,
     "curve of the line plan",
     "The key holds the side (\"s\" left, otherwise right) and the class, the smallest digit 1 "
     "to 6 in it (code 103 without one); read only when the line plan is built.",
     "curvas4,  950,  550"},
    {RowId::kMontagna,
     Zone::kLineFeature,
     "montagna",
     {"montagna", ""},
     KeyCase::kIgnored,
     kMontagnaValues,
     "montagna range",
     "At most 80 ranges (code 26).",
     "montagna,   2250,  2800,  11"},
    {RowId::kSpeedBoards,
     Zone::kLineFeature,
     "indicatori_vmax",
     {"indicatori_v", ""},
     KeyCase::kIgnored,
     kSpeedBoardValues,
     "pair of speed indicator boards",
     "The cell must be free (code 21).",
     "indicatori_vmax,  1000,  75,  80,  80,  0,  ,  ,  ,  0"},
    {RowId::kTextBoard,
     Zone::kLineFeature,
     "cartello_indicatore",
     {"indicat", "cartello"},
     KeyCase::kIgnored,
     kTextBoardValues,
     "board with a text",
     "The cell must be free (code 6); boards and stations together take at most 78 slots.",
     "cartello_indicatore,  144000,   (BIVIO GRESSA)"},

    {RowId::kBrakedWeight,
     Zone::kTrain,
     "percentuale massa frenata",
     {"frenata", "massa"},
     KeyCase::kIgnored,
     kBrakedWeightValues,
     "braked-weight percentage",
     "",
     "percentuale massa frenata,    110"},
    {RowId::kCoaches,
     Zone::kTrain,
     "numero vetture",
     {"vetture", ""},
     KeyCase::kIgnored,
     kCoachesValues,
     "number of coaches",
     "",
     "numero vetture,    6"},
    {RowId::kSpeedLimit,
     Zone::kTrain,
     "velocita",
     {"velocit", ""},
     KeyCase::kIgnored,
     kSpeedLimitValues,
     "line speed from a position on",
     "Rows in increasing position, the first at 0.",
     "velocita,   20750,    95"},
    {RowId::kAdhesion,
     Zone::kTrain,
     "aderenza",
     {"aderenza", ""},
     KeyCase::kIgnored,
     kAdhesionValues,
     "adhesion from a position on",
     "Rows in increasing position, the first at 0.",
     "aderenza,   10650,    80"},
    {RowId::kClock,
     Zone::kTrain,
     "orologio",
     {"orologio", ""},
     KeyCase::kIgnored,
     kClockValues,
     "clock at the start of the run",
     "The three numbers may be separated by blanks alone.",
     "orologio,    18              19            0 "},
    {RowId::kSand,
     Zone::kTrain,
     "sabbia",
     {"sabbia", ""},
     KeyCase::kIgnored,
     kSandValues,
     "sand supply",
     "",
     "sabbia,    300"},
    {RowId::kSignal,
     Zone::kTrain,
     "segnale",
     {"segnale", ""},
     KeyCase::kIgnored,
     kSignalValues,
     "signal",
     "The cell must be free (code 16).",
     "segnale,   30300,   2, 4, 1,  0, 0,    0,  0,0,0, 230"},
    {RowId::kSlowDown,
     Zone::kTrain,
     "rallentamento",
     {"rallentamento", ""},
     KeyCase::kIgnored,
     kSlowDownValues,
     "slow-down with its warning board",
     "Warning, start and end cells must be free (codes 17, 18, 19), and so must the four cells "
     "before the warning board when asked for (code 20).",
     "rallentamento,   67000,    60,  100, 0,  1,  0"},
    {RowId::kAbbattimento,
     Zone::kTrain,
     "abbattimento",
     {"abbattimento", ""},
     KeyCase::kIgnored,
     kAbbattimentoValues,
     "abbattimento point",
     "The cell must be free (code 7).",
     "abbattimento,   45000,    120"},
    {RowId::kStation,
     Zone::kTrain,
     "stazione",
     {"stazione", ""},
     KeyCase::kIgnored,
     kStationValues,
     "station with its timetable",
     "Rows in increasing position; each area starts at least 350 m after the previous one ends "
     "(code 22); at most 78 stations less one per text board (code 10).",
     "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,20, 0, VALDORNO"},
};

struct ZoneRange {
  Zone zone;
  size_t first;
  size_t count;
};

constexpr std::array<ZoneRange, 3> kZones = {{
    {Zone::kLineGeneral, 0, 8},
    {Zone::kLineFeature, 8, 5},
    {Zone::kTrain, 13, 10},
}};

constexpr bool table_is_in_order() {
  for (size_t i = 0; i < std::size(kRowKinds); ++i) {
    if (static_cast<size_t>(kRowKinds[i].id) != i) return false;
  }
  for (const ZoneRange& z : kZones) {
    for (size_t i = z.first; i < z.first + z.count; ++i) {
      if (kRowKinds[i].zone != z.zone) return false;
    }
  }
  for (const ZoneRange& z : kZones) {
    if (static_cast<size_t>(first_row(z.zone)) != z.first ||
        static_cast<size_t>(last_row(z.zone)) != z.first + z.count - 1) {
      return false;
    }
  }
  return kZones.back().first + kZones.back().count == std::size(kRowKinds);
}
static_assert(table_is_in_order(), "row kinds must be listed by RowId, zone by zone");

bool contains_exactly(std::string_view haystack, std::string_view word) {
  return haystack.find(word) != std::string_view::npos;
}

}  // namespace

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool contains_ignoring_case(std::string_view haystack, std::string_view word) {
  if (word.empty()) return true;
  if (word.size() > haystack.size()) return false;
  for (size_t i = 0; i + word.size() <= haystack.size(); ++i) {
    size_t k = 0;
    while (k < word.size() && lower_ascii(haystack[i + k]) == lower_ascii(word[k])) ++k;
    if (k == word.size()) return true;
  }
  return false;
}

std::span<const RowKind> row_kinds() { return kRowKinds; }

std::span<const RowKind> row_kinds(Zone zone) {
  for (const ZoneRange& z : kZones) {
    if (z.zone == zone) return std::span<const RowKind>(kRowKinds).subspan(z.first, z.count);
  }
  throw std::invalid_argument("unknown zone");
}

const RowKind& row_kind(RowId id) { return kRowKinds[static_cast<size_t>(id)]; }

bool key_matches(const RowKind& kind, std::string_view key_item) {
  for (std::string_view word : kind.words) {
    if (word.empty()) continue;
    const bool found = kind.key_case == KeyCase::kExact ? contains_exactly(key_item, word)
                                                        : contains_ignoring_case(key_item, word);
    if (!found) return false;
  }
  return true;
}

int hyphen_skips(Zone zone) { return zone == Zone::kLineGeneral ? 10 : 2; }

}  // namespace scenario
