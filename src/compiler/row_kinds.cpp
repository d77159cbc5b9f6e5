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
/// The train file stores a text's length in two bytes.
constexpr int64_t kTextMax = 32767;

// --- Line description, general section ----------------------------------------

constexpr RowValue kRouteLengthValues[] = {
    {"route_length_m", ValueType::kLong, "m", 0, 1000000,
     "sizes the cell grid (route length + 7000 m, one cell per 50 m) and the line plan (one "
     "point per metre); train file slot 84 area_end_m"},
};

constexpr RowValue kProgressiveValues[] = {
    {"first_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "area_start_m of one of the slots 81-83 after ordering (greatest first number first); "
     "must be a multiple of 50 (code 2)"},
    {"second_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "area_end_m of that slot, 100 more when third is exactly 1; must be a multiple of 50 "
     "(code 2)"},
    {"third", ValueType::kLong, "", kLongMin, kLongMax,
     "position_m of that slot, as read; exactly 1 adds 100 to second_m"},
};

constexpr RowValue kBackgroundUnoValues[] = {
    {"background_1", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 area_start_m, passed through unchanged"},
};
constexpr RowValue kBackgroundDueValues[] = {
    {"background_2", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 position_m, passed through unchanged"},
};
constexpr RowValue kBackgroundTreValues[] = {
    {"background_3", ValueType::kLong, "", kLongMin, kLongMax,
     "train file slot 85 area_end_m, passed through unchanged"},
};

constexpr RowValue kSignalRepetitionValues[] = {
    {"start_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "train file slot 86 area_start_m; must be a multiple of 50 (code 3)"},
    {"end_m", ValueType::kLong, "m", kLongMin, kLongMax,
     "train file slot 86 area_end_m; must be a multiple of 50 (code 4); 0 means no repetition"},
};

// --- Line description, features ---------------------------------------------------

constexpr RowValue kGradientValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the gradient holds from cell round(position_m / 50) on"},
    {"gradient_per_mille", ValueType::kLong, "per mille", -100, 155,
     "gradient_code of the cells up to the next gradient row: gradient + 100, low 8 bits"},
};

constexpr RowValue kCurveValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax,
     "the line plan runs straight up to start_m and turns from the point after it"},
    {"length_m", ValueType::kLong, "m", 0, kPositionMax,
     "the line plan turns by the class's curvature for every metre of it; no cell changes"},
};

constexpr RowValue kMontagnaValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax, "first cell round(start_m / 50)"},
    {"end_m", ValueType::kLong, "m", 0, kPositionMax, "last cell round(end_m / 50 - 1)"},
    {"montagna_type", ValueType::kLong, "", 0, 265,
     "montagna_type of every cell of the range (low 8 bits); above 10: 10 less, and a montagna "
     "marker (kind 11) in every fourth empty cell of the range, so up to 265 fits the byte; 3 "
     "when the range starts 150 m or less after the previous one ends"},
};

constexpr RowValue kSpeedBoardValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50 + 1) becomes a speed board (kind 6)"},
    {"left_speed_a_kmh", ValueType::kLong, "km/h", 0, 1637,
     "value1 = round(left_speed_a_kmh * 20 + right_speed_a_kmh / 5), at most 32767: 1637 km/h "
     "fits beside any right-hand speed; a value that does not fit fails the read (code 25)"},
    {"left_speed_b_kmh", ValueType::kLong, "km/h", 0, 1637,
     "value2 = round(left_speed_b_kmh * 20 + right_speed_b_kmh / 5)"},
    {"left_speed_c_kmh", ValueType::kLong, "km/h", 0, 1637,
     "value3 = round(left_speed_c_kmh * 20 + right_speed_c_kmh / 5)"},
    {"left_stripes", ValueType::kLong, "", 0, 9, "value4 = left_stripes * 10 + right_stripes"},
    {"right_speed_a_kmh", ValueType::kLong, "km/h", 0, 95,
     "see left_speed_a_kmh; in steps of 5, since a fifth of it must stay below 20 to be told "
     "apart from the left speed; empty (0) when there is no right-hand board"},
    {"right_speed_b_kmh", ValueType::kLong, "km/h", 0, 95, "see left_speed_b_kmh"},
    {"right_speed_c_kmh", ValueType::kLong, "km/h", 0, 95, "see left_speed_c_kmh"},
    {"right_stripes", ValueType::kLong, "", 0, 9, "see left_stripes"},
};

constexpr RowValue kTextBoardValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50 + 1) becomes a text board (kind 14); value1 = its slot"},
    {"text", ValueType::kText, "", 1, kTextMax,
     "the name of train file slot 80, 79, ... downward, one slot per board"},
};

// --- Train description ----------------------------------------------------------

constexpr RowValue kBrakedWeightValues[] = {
    {"braked_weight_percent", ValueType::kLong, "%", 0, kLongMax,
     "train file slot 84 area_start_m"},
};
constexpr RowValue kCoachesValues[] = {
    {"coaches", ValueType::kLong, "", 0, kLongMax, "train file slot 84 position_m"},
};
constexpr RowValue kSpeedLimitValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the speed holds from cell round(position_m / 50) on"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 1277,
     "speed_code of the cells up to the next speed row: round(speed_kmh / 5), one byte; a speed "
     "whose code leaves the byte fails the read (code 25) where the next speed row or the end "
     "of the text fills it into the cells"},
};
constexpr RowValue kAdhesionValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "the adhesion holds from cell round(position_m / 50) on"},
    {"adhesion", ValueType::kLong, "", 0, 255,
     "adhesion_code of the cells up to the next adhesion row, low 8 bits"},
};
constexpr RowValue kClockValues[] = {
    {"clock_hours", ValueType::kInteger, "h", 0, 23, "train file slot 86 group_b1"},
    {"clock_minutes", ValueType::kInteger, "min", 0, 59, "train file slot 86 group_b2"},
    {"clock_seconds", ValueType::kInteger, "s", 0, 59, "train file slot 86 group_b3"},
};
constexpr RowValue kSandValues[] = {
    {"sand", ValueType::kInteger, "", kIntegerMin, kIntegerMax,
     "train file slot 86 group_a1; its unit is the simulator's"},
};
constexpr RowValue kSignalValues[] = {
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
     "see left_type; the approach cells 2, 4, 6, 8 before the signal get "
     "(left_type * 3 + right_type) * 10 + 1, 2, 3, 4"},
    {"right_aspect_1", ValueType::kLong, "", 0, 9, "see left_aspect_1"},
    {"right_aspect_2", ValueType::kLong, "", 0, 9, "see left_aspect_2"},
    {"right_aspect_3", ValueType::kLong, "", 0, 9, "see left_aspect_3"},
    {"time", ValueType::kLong, "", 0, 255,
     "signal_time when left_type is 2 (low 8 bits; 1 .. 100 become 101), else 0"},
};
constexpr RowValue kSlowDownValues[] = {
    {"start_m", ValueType::kLong, "m", 0, kPositionMax,
     "start cell round(start_m / 50 + 1) (kind 3); above 1500 m a warning board in cell "
     "round((start_m - 1200) / 50 + 1) (kind 4)"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 32767, "value1 of the start, end and warning cells"},
    {"length_m", ValueType::kLong, "m", 25, kPositionMax,
     "end cell round((start_m + length_m) / 50 + 1) (kind 2)"},
    {"start_end_flag", ValueType::kLong, "", 0, 1, "value3 of the start and end cells"},
    {"warning_cells", ValueType::kLong, "", 0, 1,
     "not 0 (and start_m above 1500): the four cells before the warning board become kind 5 "
     "with value1 = step 1 .. 4"},
    {"second_speed", ValueType::kLong, "", 0, 32767,
     "not 0: value2 of the start, end and warning cells; the kind-5 cells then repeat their "
     "step in value2"},
};
constexpr RowValue kAbbattimentoValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "cell round(position_m / 50), without the + 1 of signals and boards"},
    {"speed_kmh", ValueType::kLong, "km/h", 0, 32767,
     "above 0: kind 12 with the speed in value1; 0 or below: kind 13"},
};
constexpr RowValue kStationValues[] = {
    {"position_m", ValueType::kLong, "m", 0, kPositionMax,
     "position_m of the station's slot (1, 2, ... in row order); a multiple of 50 (code 8)"},
    {"station_kind", ValueType::kByte, "", 0, 255,
     "station_kind; lays out the area: 5, 6 from position_m - length_m to 150 m past the "
     "position; 7, 8 from position_m - length_m to position_m + length_m; others centred on "
     "the position; 25 and above mark no cell"},
    {"length_m", ValueType::kLong, "m", 0, kPositionMax,
     "the area's extent, not stored; a multiple of 100 (code 9)"},
    {"flag_a", ValueType::kByte, "", 0, 255, "flag_a, stored as read"},
    {"long_flag", ValueType::kByte, "", 0, 255,
     "long_flag; forced to 0 below 600 m and for the first station"},
    {"end_extension", ValueType::kByte, "", 0, 255,
     "end_extension; not 0: the area reaches 50 m further (kinds other than 5 to 8); forced "
     "to 0 for kinds 5 to 8 and, after the area is laid out, for the first station"},
    {"group_a1", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_a1, stored as read"},
    {"group_a2", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_a2, stored as read"},
    {"group_a3", ValueType::kByte, "", 0, 255, "group_a3, stored as read"},
    {"group_b1", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b1, stored as read"},
    {"group_b2", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b2, stored as read"},
    {"group_b3", ValueType::kInteger, "", kIntegerMin, kIntegerMax, "group_b3, stored as read"},
    {"stop_value", ValueType::kByte, "", 0, 255,
     "stop_value, stored as read (the carried texts: 1 at the first station, 30 at stops, 0 "
     "where the train passes and at the last station)"},
    {"hours", ValueType::kLong, "h", 0, 23,
     "time_s = (hours * 60 + minutes) * 60 + seconds: departure, or arrival at the last "
     "station; 0, 0, 0 where the train passes"},
    {"minutes", ValueType::kLong, "min", 0, 59, "see hours"},
    {"seconds", ValueType::kLong, "s", 0, 59, "see hours"},
    {"name", ValueType::kText, "", 1, kTextMax,
     "name of the station's slot; up to the line end, so no comma unless quoted"},
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
     "Mandatory, before every feature row: without it nothing can be placed (code 25). Above "
     "1000000 m it is refused (code 1). A second row creates the grid and the line plan anew.",
     "lunghezza percorso,    152000"},
    {RowId::kProgressiveTre,
     Zone::kLineGeneral,
     "progressiva chilometrica tre",
     {"tre", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "third kilometric progressive (slot 81 before ordering)",
     "The three progressives are ordered before the features are read: by their first number, "
     "greatest first (a tie for the greatest clears all nine numbers); when the first numbers "
     "add up to 0, by the second numbers. The builder gives them no other meaning.",
     "progressiva chilometrica tre,    0,    0,    0"},
    {RowId::kProgressiveDue,
     Zone::kLineGeneral,
     "progressiva chilometrica due",
     {"due", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "second kilometric progressive (slot 82 before ordering)",
     "Ordered with the other two; see \"progressiva chilometrica tre\".",
     "progressiva chilometrica due,    0,    0,    0"},
    {RowId::kProgressiveUno,
     Zone::kLineGeneral,
     "progressiva chilometrica uno",
     {"uno", "progressiva"},
     KeyCase::kExact,
     kProgressiveValues,
     "first kilometric progressive (slot 83 before ordering)",
     "Ordered with the other two; see \"progressiva chilometrica tre\".",
     "progressiva chilometrica uno,    1000,    0,    0"},
    {RowId::kBackgroundUno,
     Zone::kLineGeneral,
     "sfondo uno",
     {"sfondo", "uno"},
     KeyCase::kExact,
     kBackgroundUnoValues,
     "first background value, for the simulator",
     "A key holding both \"uno\" and \"due\" reads one value for each, in table order.",
     "sfondo uno,    1000"},
    {RowId::kBackgroundDue,
     Zone::kLineGeneral,
     "sfondo due",
     {"sfondo", "due"},
     KeyCase::kExact,
     kBackgroundDueValues,
     "second background value, for the simulator",
     "",
     "sfondo due,    3000"},
    {RowId::kBackgroundTre,
     Zone::kLineGeneral,
     "sfondo tre",
     {"sfondo", "tre"},
     KeyCase::kExact,
     kBackgroundTreValues,
     "third background value, for the simulator",
     "",
     "sfondo tre,    1"},
    {RowId::kSignalRepetition,
     Zone::kLineGeneral,
     "ripetizione segnali 4 codici",
     {"segnali", "ripetizione"},
     KeyCase::kExact,
     kSignalRepetitionValues,
     "stretch with signal repetition",
     "The key must hold the number of codes, \"4\" or \"9\" (\"4\" wins when both appear; "
     "neither: code 5); train file slot 86 position_m gets it, or 0 when end_m is 0.",
     "ripetizione segnali 4 codici,    1000,    150000"},

    {RowId::kGradient,
     Zone::kLineFeature,
     "pendenza",
     {"pendenza", ""},
     KeyCase::kIgnored,
     kGradientValues,
     "gradient from a position on",
     "Rows in increasing position; the gradient before the first row is 0, the last row's "
     "holds up to cell grid_last_index - 3.",
     "pendenza,  1350,   19"},
    {RowId::kCurve,
     Zone::kLineFeature,
     "curvas4",
     {"curva", ""},
     KeyCase::kIgnored,
     kCurveValues,
     "curve of the line plan",
     "The key holds the side and the class: \"s\" (either case) anywhere in it makes a "
     "left-hand curve, otherwise right-hand (the carried texts write \"d\"); the class is the "
     "smallest digit 1 to 6 in it, without one the key is refused (code 103). Curvature per "
     "metre by class: 1 = 0.0001 (radius 10000 m), 2 = 0.0002 (5000 m), 3 = 0.0004 (2500 m), "
     "4 = 0.001 (1000 m), 5 = 0.002 (500 m), 6 = 0.003 (333 m). Rows in increasing start; the "
     "part of a curve before the end of the previous one is dropped. Read only when the line "
     "plan is built (compile --no-plan skips them item by item).",
     "curvas4,  950,  550"},
    {RowId::kMontagna,
     Zone::kLineFeature,
     "montagna",
     {"montagna", ""},
     KeyCase::kIgnored,
     kMontagnaValues,
     "montagna range: a stretch with a montagna type",
     "At most 80 ranges (code 26). The type is written over whatever the cells hold; a marker "
     "(kind 11) is replaced by any later object without an error.",
     "montagna,   2250,  2800,  11"},
    {RowId::kSpeedBoards,
     Zone::kLineFeature,
     "indicatori_vmax",
     {"indicatori_v", ""},
     KeyCase::kIgnored,
     kSpeedBoardValues,
     "pair of speed indicator boards, left and right",
     "The cell must be free (code 21). Each board shows three speeds; empty items read as 0, "
     "which the carried texts use for an absent right-hand board.",
     "indicatori_vmax,  1000,  75,  80,  80,  0,  ,  ,  ,  0"},
    {RowId::kTextBoard,
     Zone::kLineFeature,
     "cartello_indicatore",
     {"indicat", "cartello"},
     KeyCase::kIgnored,
     kTextBoardValues,
     "board with a text",
     "The cell must be free (code 6); boards and stations together take at most 78 slots. The "
     "parentheses of the carried example are part of the text.",
     "cartello_indicatore,  144000,   (BIVIO GRESSA)"},

    {RowId::kBrakedWeight,
     Zone::kTrain,
     "percentuale massa frenata",
     {"frenata", "massa"},
     KeyCase::kIgnored,
     kBrakedWeightValues,
     "braked-weight percentage of the train",
     "A repeated row overwrites the earlier value.",
     "percentuale massa frenata,    110"},
    {RowId::kCoaches,
     Zone::kTrain,
     "numero vetture",
     {"vetture", ""},
     KeyCase::kIgnored,
     kCoachesValues,
     "number of coaches",
     "A repeated row overwrites the earlier value.",
     "numero vetture,    6"},
    {RowId::kSpeedLimit,
     Zone::kTrain,
     "velocita",
     {"velocit", ""},
     KeyCase::kIgnored,
     kSpeedLimitValues,
     "line speed limit from a position on",
     "Rows in increasing position, the first at 0; the last row's speed holds up to cell "
     "grid_last_index - 3.",
     "velocita,  20750,    95"},
    {RowId::kAdhesion,
     Zone::kTrain,
     "aderenza",
     {"aderenza", ""},
     KeyCase::kIgnored,
     kAdhesionValues,
     "adhesion from a position on",
     "Rows in increasing position, the first at 0; the last row's adhesion holds up to cell "
     "grid_last_index - 3.",
     "aderenza,   10650,    80"},
    {RowId::kClock,
     Zone::kTrain,
     "orologio",
     {"orologio", ""},
     KeyCase::kIgnored,
     kClockValues,
     "clock at the start of the run",
     "The three numbers may be separated by blanks alone, as in the carried texts.",
     "orologio,    18              19            0 "},
    {RowId::kSand,
     Zone::kTrain,
     "sabbia",
     {"sabbia", ""},
     KeyCase::kIgnored,
     kSandValues,
     "sand supply",
     "A repeated row overwrites the earlier value.",
     "sabbia,    300"},
    {RowId::kSignal,
     Zone::kTrain,
     "segnale",
     {"segnale", ""},
     KeyCase::kIgnored,
     kSignalValues,
     "signal with its aspects on the left and right side",
     "The cell must be free (code 16); the approach codes are written whatever the cells "
     "before it hold. Rows in any order.",
     "segnale,   30300,   2, 4, 1,  0, 0,    0,  0,0,0, 230"},
    {RowId::kSlowDown,
     Zone::kTrain,
     "rallentamento",
     {"rallentamento", ""},
     KeyCase::kIgnored,
     kSlowDownValues,
     "slow-down with its warning board",
     "Warning, start and end cells must be free (codes 17, 18, 19), and so must the four cells "
     "before the warning board when asked for (code 20). Rows in any order.",
     "rallentamento,   67000,    60,  100, 0,  1,  0"},
    {RowId::kAbbattimento,
     Zone::kTrain,
     "abbattimento",
     {"abbattimento", ""},
     KeyCase::kIgnored,
     kAbbattimentoValues,
     "abbattimento point, with or without a speed",
     "The cell must be free (code 7). The carried texts have no abbattimento row (the builder "
     "derives such points itself around slow-downs and signals); the example is illustrative.",
     "abbattimento,   45000,    120"},
    {RowId::kStation,
     Zone::kTrain,
     "stazione",
     {"stazione", ""},
     KeyCase::kIgnored,
     kStationValues,
     "station with its timetable",
     "Rows in increasing position, the first being where the run starts; each area starts at "
     "least 350 m after the previous one ends (code 22); a stop marker (kind 10, value1 = the "
     "slot) goes into cell round(area_end_m / 50 - 1) and approach codes 81 .. 84 into the "
     "four cells before it (kinds below 25, not 5 or 6); the marker must lie beyond cell 1 "
     "(code 24); at most 78 stations less one per text board (code 10). The position must lie "
     "800 m inside the grid, not 100 m (code 15).",
     "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,20, 0, VALDORNO"},
};

constexpr std::string_view kLineGeneralHeaders[] = {"[generale]", "[curve]"};
constexpr std::string_view kLineFeatureHeaders[] = {"[curve]",    "[pendenze]",    "[montagne]",
                                                    "[cartelli]", "[indicazioni]", "[fine]"};
constexpr std::string_view kTrainHeaders[] = {"[generale]", "[aderenze]",      "[vel_limite]",
                                              "[stazioni]", "[rallentamenti]", "[segnali]",
                                              "[codici]",   "[fine]"};

constexpr ZoneRules kZoneRules[] = {
    {Zone::kLineGeneral, "line description, general section",
     "after the first item that contains \"[generale]\" (case ignored); every item before it "
     "is skipped, and a text without one is refused (code 102)",
     "with the first key item that contains \"[\" and \"]\" and does not begin with \"-\"; the "
     "carried texts close it with \"[curve]\"",
     "substring tests in table order, each independent: an item holding the words of two keys "
     "reads the values of both; the progressive, background and repetition keys count case, "
     "the route length does not",
     "an item in key position that contains \"-\" is dropped and the next item taken, up to ten "
     "in a row (the eleventh is tested whatever it holds); values may be negative",
     kLineGeneralHeaders},
    {Zone::kLineFeature, "line description, features",
     "after the item that ends the general section",
     "at the end of the text; a position beyond the grid (code 15) also ends it",
     "substring tests in table order, case ignored; the header lines match no key (\"curve\" "
     "is not \"curva\", \"pendenze\" not \"pendenza\", \"montagne\" not \"montagna\", "
     "\"indicazioni\" does not hold \"indicat\"), so feature rows may stand under any header "
     "and in any order of kinds",
     "an item in key position that contains \"-\" is dropped and the next item taken, up to two "
     "in a row (the third is tested)",
     kLineFeatureHeaders},
    {Zone::kTrain, "train description",
     "after the first item that contains \"[generale]\" (case ignored); a text without one "
     "yields nothing, and is not refused",
     "at the end of the text",
     "substring tests in table order, case ignored; the header lines match no key "
     "(\"aderenze\", \"rallentamenti\", \"segnali\", \"stazioni\" differ from the keys in their "
     "last letter), so rows may stand under any header",
     "an item in key position that contains \"-\" is dropped and the next item taken, up to two "
     "in a row (the third is tested)",
     kTrainHeaders},
};

constexpr FileRule kFileRules[] = {
    {"Character set",
     "One byte per character, Windows code page 1252 (an E with a grave accent is the byte "
     "0xC8). The key words are plain lower-case ASCII."},
    {"Line ends",
     "The carried texts end every line with CR LF; the readers take LF or CR alone as well. A "
     "blank line carries no item."},
    {"Items",
     "A text is read as a stream of items, not line by line: a key item, then the values of "
     "that key. Blanks (spaces and tabs) before an item are skipped. A number ends at the next "
     "blank, comma or line end, so numbers may be separated by blanks alone. A text item ends "
     "at the next comma or line end; blanks at its end are dropped. A line end separates items "
     "exactly as a comma does: a row's values may go on on the next line, and surplus items on "
     "a line are read as further key items, which match nothing and are passed over one at a "
     "time."},
    {"Numbers",
     "Decimal digits with an optional sign; nothing but blanks between two commas reads as 0. "
     "Anything else (a fraction, letters) fails the whole read (code 25)."},
    {"Quoting",
     "A text item that starts with a double quote extends to the next double quote: commas "
     "inside belong to it, the quotes do not, and whatever stands between the closing quote and "
     "the next comma or line end is dropped. A quote cannot stand inside a quoted item; a quote "
     "that is never closed fails the read (code 25)."},
    {"Value types",
     "long: 32-bit signed; integer: 16-bit signed; byte: 0 .. 255; text: up to 32767 "
     "characters. A value outside its type's range, or a text that ends inside a row's values, "
     "fails the whole read (code 25)."},
    {"Keys",
     "Every key test is a substring test on the key item: \"curvas4\" holds \"curva\". An item "
     "that matches no key is ignored, so a row of an unknown kind is passed over item by item."},
    {"The last item",
     "A key item that is the very last item of a text is never interpreted. The carried texts "
     "end with \"[fine]\", which means nothing; the line description adds a line \"riferimento "
     "fine del file\" after it."},
    {"Positions",
     "Positions and lengths are whole metres from the start of the route. A cell is 50 m: a "
     "point object at p lands in cell round(p / 50 + 1), one cell after its position; a profile "
     "row (gradient, speed, adhesion) and an abbattimento point use round(p / 50). Rounding is "
     "to the nearest, halves to even: 2875 m gives cell round(58.5) = 58. The grid runs 7000 m "
     "past the route length; an object must stand at least 100 m before its end (a station 800 "
     "m), so positions up to route length + 6900 m are accepted."},
    {"Free cells",
     "One object per cell: a cell is free when it is empty or holds only a montagna marker. "
     "Signals, slow-down cells, speed and text boards and abbattimento points need a free cell; "
     "a station's stop marker is written over whatever stands there."},
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

}  // namespace

bool contains(std::string_view haystack, std::string_view word) {
  return haystack.find(word) != std::string_view::npos;
}

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
    const bool found = kind.key_case == KeyCase::kExact ? contains(key_item, word)
                                                        : contains_ignoring_case(key_item, word);
    if (!found) return false;
  }
  return true;
}

int hyphen_skips(Zone zone) { return zone == Zone::kLineGeneral ? 10 : 2; }

const ZoneRules& zone_rules(Zone zone) {
  for (const ZoneRules& z : kZoneRules) {
    if (z.zone == zone) return z;
  }
  throw std::invalid_argument("unknown zone");
}

std::span<const FileRule> file_rules() { return kFileRules; }

}  // namespace scenario
