#include "compiler/check_rules.h"

namespace scenario {
namespace {

// Errors: what makes the builder record a code. Warnings: what it accepts
// silently but is almost always a mistake. Append new rules; never rename
// an id.
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
