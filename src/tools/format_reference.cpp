#include "tools/format_reference.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

#include "compiler/check_rules.h"
#include "tools/check_spelling.h"
#include "tools/inspect.h"

namespace scenario::tools {
namespace {

struct GlossaryEntry {
  std::string_view word;
  std::string_view meaning;
};

// The Italian words of the texts and of the files the builder writes. They
// stay Italian in the format; this is where an author looks them up.
constexpr GlossaryEntry kGlossary[] = {
    {"abbattimento",
     "a speed-reduction point: a cell with a speed (kind 12) or without (kind 13), from an "
     "abbattimento row or derived by the builder itself, with speed 180, around slow-downs and "
     "signals"},
    {"aderenza, aderenze",
     "adhesion: the adhesion value from a position on; \"[aderenze]\" is "
     "a header that means nothing"},
    {"Attendere", "\"please wait\": the builder window's only label during a run"},
    {"cartello indicatore, cartelli",
     "a text board beside the line: a cell of kind 14 and a train file slot for its text; "
     "\"[cartelli]\" is a header"},
    {"codici", "codes: \"ripetizione segnali 4 codici\" is a repetition with 4 codes"},
    {"curva, curve",
     "a curve of class 1 to 6 on one side, which bends the line plan; in \"curvas4\" s is "
     "sinistra (left), d destra (right)"},
    {"dati_, memorizza_, memo_",
     "the builder's operations: the writers of the texts (dati: data), the compile steps "
     "(memorizza: store), the cell writers"},
    {"due, tre, uno", "two, three, one"},
    {"Errore n.", "the reserved-slot message box \" Errore n. 1250\" / \" Errore n. 1251\""},
    {"fine", "end: \"[fine]\" closes both texts and means nothing"},
    {"generale", "general: \"[generale]\" starts what the readers read"},
    {"indicatori_vmax", "a pair of speed indicator boards: up to three speeds per side"},
    {"indicazioni", "indications: a header that means nothing"},
    {"linea",
     "the line: the line description (SCENARIO_linea.txt) and the line plan "
     "(SCENARIO_linea.dat)"},
    {"lunghezza percorso", "route length"},
    {"massa frenata", "braked mass: \"percentuale massa frenata\" is the braked-weight percentage"},
    {"montagna, montagne",
     "a \"mountain\" range: a stretch of cells that carry its type; with a type above 10, every "
     "fourth cell of the range also gets a marker (kind 11) when it is empty. The builder gives "
     "it no other meaning"},
    {"note", "the scenario notes, a document in Italian prose (_note.txt)"},
    {"numero vetture", "the number of coaches"},
    {"orologio", "the clock at the start of the run: hours, minutes, seconds"},
    {"pendenza, pendenze", "a gradient from its position on; \"[pendenze]\" is a header"},
    {"progressiva chilometrica",
     "a kilometric progressive: a triple of numbers for the kilometre posts, ordered and kept in "
     "train file slots 81 to 83"},
    {"rallentamento, rallentamenti",
     "a temporary slow-down: warning board, start and end cells with their speed; also the "
     "slow-down order form (_rallentamenti.txt)"},
    {"riferimento fine del file", "\"end of file reference\": the line after \"[fine]\""},
    {"ripetizione segnali",
     "signal repetition: its start, its end and the number of codes (4 or 9)"},
    {"sabbia", "the train's sand supply"},
    {"scheda treno", "the timetable sheet, a document for the driver (_scheda_treno.txt)"},
    {"segnale, segnali",
     "a signal: a cell with its aspects, types and time, and four approach "
     "cells before it"},
    {"sfondo", "background: the three background values of the line, kept in slot 85"},
    {"stazione, stazioni", "a station: its area, its stop cell and its slot in the train file"},
    {"sx, dx", "left-hand and right-hand side (sinistra, destra)"},
    {"treno", "train"},
    {"vel_limite, velocita", "speed limit; the line speed from a position on (stored as km/h / 5)"},
};

constexpr size_t kWrapWidth = 100;

std::string_view type_name(ValueType t) {
  switch (t) {
    case ValueType::kLong:
      return "long";
    case ValueType::kInteger:
      return "integer";
    case ValueType::kByte:
      return "byte";
    case ValueType::kText:
      return "text";
  }
  return "";
}

std::string range_text(const RowValue& v) {
  if (v.type == ValueType::kText) return fmt::format("{} .. {} characters", v.min, v.max);
  if (v.min == std::numeric_limits<int32_t>::min() && v.max == std::numeric_limits<int32_t>::max())
    return "any long";
  if (v.min == std::numeric_limits<int16_t>::min() && v.max == std::numeric_limits<int16_t>::max())
    return "any integer";
  return fmt::format("{} .. {}", v.min, v.max);
}

std::string key_test_text(const RowKind& k) {
  std::string words;
  for (std::string_view w : k.words) {
    if (w.empty()) continue;
    words += fmt::format("{}\"{}\"", words.empty() ? "" : " and ", w);
  }
  return fmt::format("contains {}, {}", words,
                     k.key_case == KeyCase::kExact ? "case counts" : "case ignored");
}

std::string anchor(std::string_view heading) {
  std::string a;
  for (const char c : heading) {
    if (c == ' ')
      a += '-';
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
      a += c;
    else if (c >= 'A' && c <= 'Z')
      a += lower_ascii(c);
  }
  return a;
}

constexpr Zone kZones[] = {Zone::kLineGeneral, Zone::kLineFeature, Zone::kTrain};

// Words of `text` in lines of at most kWrapWidth, each line after `indent`.
std::string wrapped(std::string_view text, std::string_view indent) {
  std::string out, line;
  size_t i = 0;
  while (i < text.size()) {
    const size_t end = std::min(text.find(' ', i), text.size());
    const std::string_view word = text.substr(i, end - i);
    if (!line.empty() && indent.size() + line.size() + 1 + word.size() > kWrapWidth) {
      out += fmt::format("{}{}\n", indent, line);
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
    i = end + 1;
  }
  if (!line.empty()) out += fmt::format("{}{}\n", indent, line);
  return out;
}

std::string capitalized(std::string_view s) {
  std::string c(s);
  if (!c.empty() && c[0] >= 'a' && c[0] <= 'z') c[0] = static_cast<char>(c[0] - 'a' + 'A');
  return c;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && contains_ignoring_case(a, b);
}

void markdown_file_rules(std::string* md) {
  *md += "## The whole text\n\n| Topic | Rule |\n|---|---|\n";
  for (const FileRule& r : file_rules()) *md += fmt::format("| {} | {} |\n", r.topic, r.text);
}

void markdown_zones(std::string* md) {
  *md +=
      "\n## Sections\n\nEach text is read in sections; each section has its own key words and "
      "its own rule for hyphens.\n";
  for (const Zone z : kZones) {
    const ZoneRules& r = zone_rules(z);
    std::string headers;
    for (std::string_view h : r.header_lines) {
      headers += fmt::format("{}`{}`", headers.empty() ? "" : ", ", h);
    }
    *md += fmt::format(
        "\n### {}\n\n- Starts {}.\n- Ends {}.\n- Keys: {}.\n- Hyphens: {}.\n"
        "- Header lines of the carried texts: {}.\n",
        r.title, r.starts, r.ends, r.key_rule, r.hyphen_rule, headers);
  }
}

void markdown_key_words(std::string* md) {
  *md +=
      "\n## Key words\n\nIn the order the readers test them.\n\n"
      "| Key | Section | Recognised when the key item | Values | What it is |\n"
      "|---|---|---|---|---|\n";
  for (const RowKind& k : row_kinds()) {
    *md += fmt::format("| [`{}`](#{}) | {} | {} | {} | {} |\n", k.key, anchor(k.key),
                       zone_rules(k.zone).title, key_test_text(k), k.values.size(), k.summary);
  }
}

void markdown_row_kind(const RowKind& k, std::string* md) {
  *md += fmt::format("\n### {}\n\n{}. Section: {}; recognised when the key item {}.\n\n", k.key,
                     capitalized(k.summary), zone_rules(k.zone).title, key_test_text(k));
  *md +=
      "| # | Value | Type | Unit | Range | What the builder does with it |\n"
      "|---|---|---|---|---|---|\n";
  for (size_t i = 0; i < k.values.size(); ++i) {
    const RowValue& v = k.values[i];
    *md += fmt::format("| {} | `{}` | {} | {} | {} | {} |\n", i + 1, v.name, type_name(v.type),
                       v.unit, range_text(v), v.effect);
  }
  if (!k.details.empty()) *md += fmt::format("\n{}\n", k.details);
  *md += fmt::format("\n```text\n{}\n```\n", k.example);
}

void markdown_names(std::string_view title, std::span<const InspectName> names, std::string* md) {
  *md += fmt::format("\n### {}\n\n| Name | Where | Meaning |\n|---|---|---|\n", title);
  for (const InspectName& n : names) {
    *md += fmt::format("| `{}` | {} | {} |\n", n.name, n.applies_to, n.meaning);
  }
}

void markdown_inspect(std::string* md) {
  *md +=
      "\n## What `inspect` prints\n\n"
      "`scenario_tool inspect FILE` prints a compiled file with the value names of the rows "
      "above; `--json` prints the same names as keys, `--csv` as columns. The keys below are "
      "stable. A cell in use also carries `index`, `metres`, `kind` and `kind_name`; a slot "
      "`slot` and `role`. In the text and JSON output a cell or slot shows only the names that "
      "apply to it; the CSV has every column, empty where a name does not apply.\n\n"
      "Cell kinds: 0 empty, 1 signal, 2 slow-down end, 3 slow-down start, 4 slow-down warning "
      "board, 5 before warning board, 6 speed indicator board, 10 station stop, 11 montagna "
      "marker, 12 abbattimento point, 13 abbattimento point without speed, 14 text board.\n";
  markdown_names("Cell grid (`*.dat`)", cell_names(), md);
  *md +=
      "\nThe JSON of a cell grid also holds the profiles as runs (`line_speed_kmh`, "
      "`gradient_per_mille`, `adhesion`, `montagna_type`), each run with `first_cell`, "
      "`last_cell`, `from_m`, `to_m` and `value`.\n";
  markdown_names("Train file (`*.sim`)", slot_names(), md);
  markdown_names("Line plan (`*_linea.dat`)", plan_names(), md);
}

void markdown_check_rules(std::string* md) {
  *md +=
      "\n## Rules of `check`\n\nErrors are what makes the builder record a code, or what "
      "`pack` and the builder refuse to carry; warnings what the builder accepts but is almost "
      "always a mistake. `pack` packs nothing while `check` finds an error.\n\n"
      "| Id | Severity | Meaning | Example |\n|---|---|---|---|\n";
  for (const CheckRule& r : check_rules()) {
    *md += fmt::format("| `{}` | {} | {} | {} |\n", r.id,
                       r.severity == Severity::kError ? "error" : "warning", r.meaning, r.example);
  }
}

void markdown_glossary(std::string* md) {
  *md +=
      "\n## Glossary\n\nThe Italian words of the texts and of the builder, which stay as "
      "they are.\n\n| Word | Meaning |\n|---|---|\n";
  for (const GlossaryEntry& g : kGlossary) {
    *md += fmt::format("| {} | {} |\n", g.word, g.meaning);
  }
}

}  // namespace

std::string format_reference_markdown() {
  std::string md =
      "# The description texts: a reference for authors\n\n"
      "<!-- Generated by `scenario_tool explain --markdown`; do not edit by hand. The content "
      "lives in src/compiler/row_kinds.cpp, src/compiler/check_rules.cpp and "
      "src/tools/inspect.cpp. -->\n\n"
      "A scenario is two texts: the **line description** (`SCENARIO_linea.txt`: route length, "
      "progressives, gradients, curves, montagna ranges, boards) and the **train description** "
      "(`SCENARIO_TRAIN-.txt`: train values, speed and adhesion profiles, stations, signals, "
      "slow-downs). `scenario_tool compile` turns them into the line plan, the train file and "
      "the cell grid, as the builder does. `scenario_tool explain KEY` prints one row kind of "
      "this document, `scenario_tool explain` lists every key word.\n\n"
      "- [The whole text](#the-whole-text)\n- [Sections](#sections)\n"
      "- [Key words](#key-words)\n- [Row kinds](#row-kinds)\n"
      "- [What `inspect` prints](#what-inspect-prints)\n- [Rules of `check`](#rules-of-check)\n"
      "- [Glossary](#glossary)\n\n";
  markdown_file_rules(&md);
  markdown_zones(&md);
  markdown_key_words(&md);
  md +=
      "\n## Row kinds\n\nValues are listed in the order the reader takes them. A value outside "
      "its type fails the read (code 25); one inside its type but outside its range is "
      "accepted and almost always a mistake.\n";
  for (const Zone z : kZones) {
    md += fmt::format("\n<!-- {} -->\n", zone_rules(z).title);
    for (const RowKind& k : row_kinds(z)) markdown_row_kind(k, &md);
  }
  markdown_inspect(&md);
  markdown_check_rules(&md);
  markdown_glossary(&md);
  return md;
}

std::string row_kind_text(const RowKind& k) {
  std::string s = fmt::format("{}: {}\n", k.key, k.summary);
  s += wrapped(fmt::format("{}; the key item {}.", zone_rules(k.zone).title, key_test_text(k)),
               "  ");
  s += "\nvalues, in order:\n";
  size_t name_width = 0;
  for (const RowValue& v : k.values) name_width = std::max(name_width, v.name.size());
  for (size_t i = 0; i < k.values.size(); ++i) {
    const RowValue& v = k.values[i];
    s += fmt::format("  {:>2}  {:<{}}  {:<7}  {:<9}  {}\n", i + 1, v.name, name_width,
                     type_name(v.type), v.unit.empty() ? "-" : v.unit, range_text(v));
    s += wrapped(v.effect, "      ");
  }
  if (!k.details.empty()) s += "\nrules:\n" + wrapped(k.details, "  ");
  s += fmt::format("\nexample:\n  {}\n", k.example);
  return s;
}

std::string key_word_list() {
  std::string s;
  size_t width = 0;
  for (const RowKind& k : row_kinds()) width = std::max(width, k.key.size());
  for (const Zone z : kZones) {
    s += fmt::format("{}{}:\n", s.empty() ? "" : "\n", zone_rules(z).title);
    for (const RowKind& k : row_kinds(z)) {
      s += fmt::format("  {:<{}}  {}\n", k.key, width, k.summary);
    }
  }
  return s;
}

std::vector<const RowKind*> find_row_kinds(std::string_view word) {
  std::vector<const RowKind*> found;
  for (const RowKind& k : row_kinds()) {
    if (equal_ignoring_case(k.key, word)) return {&k};
  }
  if (word.empty()) return found;
  for (const RowKind& k : row_kinds()) {
    if (key_matches(k, word)) found.push_back(&k);
  }
  return found;
}

std::vector<std::string_view> closest_key_words(std::string_view word, size_t count) {
  struct Candidate {
    std::string_view key;
    bool contains;
    size_t distance;
  };
  std::vector<Candidate> candidates;
  // A slip is a few letters; a word half wrong is something else.
  const size_t limit = std::max<size_t>(2, word.size() / 3);
  for (const RowKind& k : row_kinds()) {
    const bool contains = !word.empty() && contains_ignoring_case(k.key, word);
    const size_t d = edit_distance(word, k.key);
    if (contains || d <= limit) candidates.push_back({k.key, contains, d});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return a.contains != b.contains ? a.contains : a.distance < b.distance;
                   });
  std::vector<std::string_view> keys;
  for (const Candidate& c : candidates) {
    if (keys.size() == count) break;
    keys.push_back(c.key);
  }
  return keys;
}

const ZoneRules* header_line_zone(std::string_view word) {
  for (const Zone z : kZones) {
    const ZoneRules& r = zone_rules(z);
    for (std::string_view h : r.header_lines) {
      if (equal_ignoring_case(h, word)) return &r;
    }
  }
  return nullptr;
}

}  // namespace scenario::tools
