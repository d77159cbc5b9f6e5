#include "compiler/check_rules.h"

namespace scenario {
namespace {

// Errors: what makes the builder record a code, or refuse to carry a text
// or a name. Warnings: what it accepts silently but is almost always a
// mistake. Append new rules to their severity; never rename an id.
constexpr CheckRule kRules[] = {
    {"route-length", Severity::kError, "route length above 1000000 m or below 0 (code 1)",
     "lunghezza percorso, 1200000"},
    {"no-route-length", Severity::kError,
     "the general section has no route length row: nothing can be placed (code 25)",
     "[generale] without \"lunghezza percorso\""},
    {"no-general-section", Severity::kError,
     "the line description has no \"[generale]\" item (code 102)",
     "a text that starts with [curve]"},
    {"off-step", Severity::kError,
     "a position or length that must be a multiple of 50 (100 for a station length) is not "
     "(codes 2, 3, 4, 8, 9)",
     "stazione, 1025, ..."},
    {"repetition-codes", Severity::kError,
     "the signal repetition key holds neither \"4\" nor \"9\" (code 5)",
     "ripetizione segnali, 1000, 5000"},
    {"cell-taken", Severity::kError,
     "the object's cell already holds another object (codes 6, 7, 16 to 21)",
     "a signal at 250 m beside a speed board at 250 m"},
    {"outside-grid", Severity::kError,
     "the object's cells fall outside the route's cells (code 15)", "segnale, 300, ..."},
    {"table-full", Severity::kError,
     "too many stations and text boards, or more than 80 montagna ranges (codes 10, 26)",
     "the 79th station"},
    {"no-room-for-point", Severity::kError,
     "no free cell for a derived abbattimento point near a slow-down or signal (codes 11, 12, 13)",
     "three objects in the cells 250 to 350 m before a slow-down"},
    {"station-gap", Severity::kError,
     "a station area starts less than 350 m after the previous one ends (code 22)",
     "stations at 5000 and 5500, 400 m long"},
    {"station-too-near-start", Severity::kError,
     "a station's stop marker would fall into cell 0 or 1 (code 24)", "stazione, 0, 4, 100, ..."},
    {"bad-curve", Severity::kError,
     "a curve key without a class digit 1 to 6, or a line plan past 1000000 m (code 103)",
     "curvas, 950, 550"},
    {"read-failure", Severity::kError,
     "a value that cannot be read: not a whole number, out of its type's range, a row cut short "
     "by the end of the text, an unterminated quote (code 25)",
     "velocita, 12.5, 80"},
    {"reserved-slot", Severity::kError,
     "an object in cell 1, whose values are reserved: the builder stops with "
     "\" Errore n. 1250\""
     " or 1251",
     "indicatori_vmax, 0, 75, ..."},
    {"stopped-by-earlier-code", Severity::kError,
     "the builder stops reading the train description here because of an earlier code 15 in "
     "the line description",
     "the first signal after a gradient row beyond the grid"},
    {"no-line-description", Severity::kError,
     "the line description is missing: nothing can be compiled (code 101)",
     "a train description without its line description"},
    {"not-whole-number", Severity::kError,
     "a number with a decimal point or an exponent: the builder reads whole numbers only (code 25)",
     "velocita, 1000, 12.5"},
    // What the builder refuses to carry at all (pack, the payload reader).
    {"control-character", Severity::kError,
     "a control character other than a tab, or a carriage return not before a line feed",
     "a form feed inside a row"},
    {"not-cp1252", Severity::kError, "a byte that code page 1252 leaves undefined",
     "a name holding byte 0x81"},
    {"too-many-lines", Severity::kError, "a text of more than 1000 lines", "line 1001"},
    {"end-marker-line", Severity::kError,
     "a line that reads exactly \"riferimento fine del file\", where the builder would stop "
     "writing the text",
     "riferimento fine del file"},
    {"invalid-name", Severity::kError,
     "a scenario name or train code (--scenario, --train) that is not 1 to 32 characters from "
     "A-Z a-z 0-9 _ -, or is a device name of Windows",
     "--scenario CON"},
    // Warnings: found by reading the lines and the rows together, which the
    // item stream cannot do.
    {"unknown-key", Severity::kWarning,
     "a row whose key word no reader knows: the builder ignores it silently",
     "stazoine, 8000, ..."},
    {"value-count", Severity::kWarning,
     "a row with fewer or more values than its key takes: the builder takes the missing ones "
     "from the next row, or reads the extra ones as keys",
     "segnale, 4500, 2, 4, 1, 0, 0, 0, 0, 0, 0"},
    {"blank-separated", Severity::kWarning,
     "the items of a row are separated by blanks, tabs or semicolons rather than commas: the "
     "whole row becomes one key item",
     "velocita 1000 80"},
    {"utf-8-text", Severity::kWarning,
     "the text is UTF-8; the builder reads code page 1252, so accented letters turn into two "
     "characters",
     "a station name with an accent, saved as UTF-8"},
    {"byte-order-mark", Severity::kWarning,
     "the text starts with a UTF-8 byte-order mark, read as part of the first item",
     "EF BB BF before [generale]"},
    {"header-misspelt", Severity::kWarning,
     "a bracketed header that is close to a known one but not it", "[rallentamneti]"},
    {"no-general-header", Severity::kWarning,
     "the train description has no \"[generale]\" item: the builder reads nothing of it",
     "[generael]"},
    {"no-end-header", Severity::kWarning,
     "the text does not end with \"[fine]\": the last item of a text is never read as a key",
     "a train description whose last row is a signal"},
    {"beyond-route", Severity::kWarning,
     "an object or station beyond the route length but inside the grid: the train never gets "
     "there",
     "stazione, 12000, ... on a 10000 m route"},
    {"station-order", Severity::kWarning,
     "a station that comes after another in the text but not along the route",
     "stazione, 8000, ... before stazione, 5000, ..."},
    {"station-time-order", Severity::kWarning, "a station scheduled before the station above it",
     "18,40,0 then 18,20,0"},
    {"schedule-too-fast", Severity::kWarning,
     "the time between two stations is shorter than the fastest run the speed limits allow (every "
     "50 m cell at the lower of line speed and slow-down speed, no acceleration, no dwell); not "
     "judged while a speed or slow-down row has a fault of its own",
     "8000 m at 80 km/h scheduled in 5 minutes"},
    {"curve-key", Severity::kWarning,
     "a curve key other than \"curvas\" or \"curvad\" and one class digit: the builder reads "
     "any key with an \"s\" as left-hand, any other as right-hand",
     "curvaz2, 9000, 400"},
    {"value-range", Severity::kWarning,
     "a value inside its type but outside the range its row documents: the builder accepts it "
     "silently, and a value too wide for its field is stored as its low bits",
     "pendenza, 4000, -200 (stored as 56 per mille)"},
};

}  // namespace

std::span<const CheckRule> check_rules() { return kRules; }

const CheckRule* find_check_rule(std::string_view id) {
  for (const CheckRule& r : kRules) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

}  // namespace scenario
