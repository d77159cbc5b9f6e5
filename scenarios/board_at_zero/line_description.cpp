#include "board_at_zero.h"

namespace scenario::board_at_zero {
namespace {

// A 20 km route. The first speed indicator board stands at metre 0, so it
// takes cell 1 with a non-zero first value.
constexpr std::string_view kLines[] = {
    "[generale]",
    "lunghezza percorso,    20000",
    "progressiva chilometrica uno,    1000,    0,    0",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1000",
    "sfondo due,    3000",
    "sfondo tre,    1",
    "ripetizione segnali 4 codici,    0,    0",
    "[curve]",
    "curvas4,  950,  550",
    "curvad2,  6000,  800",
    "[pendenze]",
    "pendenza,   0,    0",
    "pendenza,  1350,   19",
    "pendenza,  9000,    0",
    "[montagne]",
    "montagna,   2250,  2800,  11",
    "[cartelli]",
    "indicatori_vmax,  0,  75,  80,  80,  0,  ,  ,  ,  0",
    "indicatori_vmax,  5000,  100,  105,  105,  0,  ,  ,  ,  0",
    "[indicazioni]",
    "cartello_indicatore,  12000,   (BIVIO MORENE)",
    "[fine]",
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> line_description() { return kLines; }

}  // namespace scenario::board_at_zero
