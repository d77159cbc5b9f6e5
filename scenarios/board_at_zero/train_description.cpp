#include "board_at_zero.h"

namespace scenario::board_at_zero {
namespace {

constexpr std::string_view kLines[] = {
    "[generale]",
    "numero vetture,    4",
    "percentuale massa frenata,    110",
    "sabbia,    300",
    "orologio,    8              0            0 ",
    "[aderenze]",
    "aderenza,       0,    90",
    "[vel_limite]",
    "velocita,   0,    30",
    "velocita,   1000,    80",
    "velocita,   5000,   100",
    "[stazioni]",
    "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8, 0, 0, VALDORNO",
    "stazione,   20000,  6,  700,  1, 1, 0,  1,1,0,  2,1,1,    0,   8,14, 0, PIAN DI SERRA",
    "[rallentamenti]",
    "[segnali]",
    "segnale,    2850,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,    4050,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   18800,   2, 2, 3,  3, 0,    0,  0,0,0, 230",
    "[codici]",
    "[fine]",
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> train_description() { return kLines; }

}  // namespace scenario::board_at_zero
