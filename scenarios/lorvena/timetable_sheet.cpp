#include "lorvena.h"

namespace scenario::lorvena {
namespace {

// The driver's timetable sheet. Every table line is 83 characters: the
// columns are 5, 5, 10, 5, 28, 16 and 5 wide between the bars.
constexpr std::string_view kLines[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n.2317    |                   da: VALDORNO              |    V160 B    |",
    " |___________________|                    a: CASTELMIRA            |     110%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |        IR         |              |      360T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    " |  30 | 30  |0         |     | VALDORNO                   |         18,20  |     |",
    " |  80 | 70  |1+000     |     | Cippo Km                   |     18,21      |     |",
    " |     |     |5+300     |     | S. GREVIO                  |     18,25      |     |",
    " |     |     |16+400    |     | PORTELLA                   |     18,33      |     |",
    " |     |     |19+500    |     | BORGO ALTINO               | 18,43   18,44  |  1  |",
    " |  95 | 80  |20+700    |     | Cartello indicatore        |                |     |",
    " |     |     |24+000    |     | CASE ROSSE                 |     18,47      |     |",
    " |  80 | 75  |28+100    |     | cartello indicatore        |                |     |",
    " |     |     |29+300    |     | MONTEFRASSO                |     18,51      |     |",
    " |     |     |31+350    |     | PIANELLA                   |     18,53      |     |",
    " |  90 | 80  |32+050    |     | Cartello indicatore        |                |     |",
    " |     |     |36+000    |     | Cippo KM                   |     18,56      |     |",
    " |     |     |39+200    |     | ROCCAVELLA                 |     18,59      |     |",
    " |     |     |44+850    |     | SANT'ELVIO                 | 19,06   19,07  |  1  |",
    " | 130 |120  |45+150    |     | Cartello indicatore        |                |     |",
    " | 105 |100  |51+800    |     | Cartello indicatore        |                |     |",
    " |     |     |52+750    |     | CORVINO                    |     19,11      |  1  |",
    " | 130 |125  |53+400    |     | Cartello indicatore        |                |     |",
    " | 105 |100  |57+000    |     | Cartello indicatore        |                |     |",
    " |     |     |57+500    |     | LAGO FIORINO               |     19,14      |     |",
    " |     |     |64+200    |     | TERRANERA                  | 19,20   19,21  |  1  |",
    " | 150 |140  |66+500    |     | Cartello indicatore        |                |     |",
    " |     |     |70+250    |     | POGGIO LIVRA               |     19,24      |     |",
    " |     |     |77+050    |     | FERRADA                    |     19,27      |     |",
    " | 105 |100  |79+600    |     | cippo Km                   |                |     |",
    " | 150 |140  |83+300    |     | MARZENO                    | 19,33   19,34  |  1  |",
    " |     |     |88+650    |     | P.M. VERDELLA              |     19,37      |     |",
    " | 130 |120  |94+600    |     | cippo Km                   |                |     |",
    " | 150 |140  |95+350    |     | SERRAVENTA                 | 19,42   19,43  |  1  |",
    " |     |     |102+000   |     | F. DI TREVA                | 19,48   19,49  |  1  |",
    " |     |     |109+200   |     | VALLECUPA                  |     19,53      |     |",
    " |     |     |119+700   |     | ROVIGNANO                  | 19,59   20,00  |  1  |",
    " |     |     |127+000   |     | CIGNOLA                    |     20,03      |     |",
    " | 130 |125  |130+500   |     | P.M. GRANZETTA             |     20,05      |     |",
    " |     |     |140+250   |     | BORGORENO                  |     20,10      |  1  |",
    " | 160 |150  |141+000   |     | Cartello indicatore        |                |     |",
    " |     |     |143+550   |     | S. LAURO SCALO             |     20,12      |     |",
    " |     |     |144+000   |     | BIVIO GRESSA               |     20,13      |     |",
    " |  90 | 90  |146+300   |     | PONTE D'ARLA               | 20,16   20,17  |  1  |",
    " |     |     |152+000   |     | CASTELMIRA                 |     20,35      |  3  |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |          |     |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    "",
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> timetable_sheet() { return kLines; }

}  // namespace scenario::lorvena
