#include "lorvena.h"

namespace scenario::lorvena {
namespace {

// The notes for the player, in Italian. The accented letters are single
// code-page 1252 bytes. A digit or a letter a-f right after an escape would
// be read as part of it: split the literal there ("citt\xE0" "e").
// One literal per line of the document, however long: no reflowing.
// clang-format off
constexpr std::string_view kLines[] = {
    "Il percorso presenta molte variazioni ed \xE8 proprio questa variet\xE0 a renderlo divertente da guidare.",
    "Nella prima parte la linea \xE8 a binario unico ed \xE8 esercitata con il blocco manuale: il nostro treno ha",
    "la precedenza, ma pu\xF2 capitare di trovare un segnale a via impedita, dato che il treno incrociante",
    "non \xE8 ancora entrato nel binario di precedenza della stazione di incrocio: ci\xF2 richiede pazienza.",
    "Le locomotive del gruppo T 42 sulla linea reale non circolano: l\xE0 il servizio \xE8 svolto dalle T 57.",
    "Nella realt\xE0 la seconda parte del percorso, da Marzeno a Castelmira, \xE8 una tratta assai tranquilla,",
    "perci\xF2 qui l'abbiamo resa un po' movimentata, con qualche incrocio e qualche rallentamento.",
    "L'orario \xE8 abbondante nella prima parte e stretto nella seconda; la scheda treno \xE8 quella reale ",
    "delle T 57, ma si pu\xF2 rispettare anche con le T 42 guidando con un po' di attenzione.",
    "Profilo altimetrico e planimetria riproducono quelli della linea reale con una fedelt\xE0 del 90% circa.",
    "Buon viaggio a tutti e buon divertimento alla guida!",
    "autore.scenari@example.org",
    "riferimento fine del file",
};
// clang-format on

}  // namespace

std::span<const std::string_view> notes() { return kLines; }

}  // namespace scenario::lorvena
