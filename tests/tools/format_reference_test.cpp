#include "tools/format_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "compiler/item_stream.h"
#include "model/run_failure.h"
#include "sources/scenario_data.h"
#include "tool_test_support.h"

namespace scenario::tools {
namespace {

using testing::run;

std::string read_source_file(const std::string& relative) {
  std::ifstream in(std::string(SCENARIO_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(FormatReference, CommittedDocumentIsTheGeneratedOne) {
  const std::string committed = read_source_file("docs/description-format.md");
  const std::string generated = format_reference_markdown();
  if (committed == generated) return;
  // Name the first line that differs: a whole-document diff drowns it.
  std::istringstream a(committed), b(generated);
  std::string la, lb;
  int line = 1;
  while (std::getline(a, la) && std::getline(b, lb) && la == lb) ++line;
  ADD_FAILURE() << "docs/description-format.md differs from the table at line " << line
                << ":\n  committed: " << la << "\n  generated: " << lb
                << "\nRegenerate it: scenario_tool explain --markdown > docs/description-format.md";
}

// Every example must be a row its own reader would take whole: its key item
// passes its kind's test and no other kind's in the same section, and its
// values read by their types, each inside its range, with nothing left over.
TEST(FormatReference, EveryExampleReadsAsItsOwnRowWithinTheRanges) {
  for (const RowKind& kind : row_kinds()) {
    SCOPED_TRACE(kind.key);
    ItemStream items{std::string(kind.example)};
    const std::string key = items.read_text();
    for (const RowKind& other : row_kinds(kind.zone)) {
      EXPECT_EQ(key_matches(other, key), &other == &kind) << other.key;
    }
    for (const RowValue& v : kind.values) {
      SCOPED_TRACE(v.name);
      try {
        if (v.type == ValueType::kText) {
          const std::string text = items.read_text();
          EXPECT_GE(static_cast<int64_t>(text.size()), v.min);
          EXPECT_LE(static_cast<int64_t>(text.size()), v.max);
          continue;
        }
        const int64_t n = v.type == ValueType::kLong      ? items.read_long()
                          : v.type == ValueType::kInteger ? items.read_integer()
                                                          : items.read_byte();
        EXPECT_GE(n, v.min);
        EXPECT_LE(n, v.max);
      } catch (const RunFailure& e) {
        ADD_FAILURE() << e.what();
        break;
      }
    }
    EXPECT_TRUE(items.at_end());
  }
}

// The examples are rows of the carried texts, so an author can find them
// there; the carried texts have no abbattimento row, and the document says so.
TEST(FormatReference, ExamplesAreCarriedRowsExceptAbbattimento) {
  const ScenarioData& carried = carried_scenario();
  for (const RowKind& kind : row_kinds()) {
    SCOPED_TRACE(kind.key);
    const auto& lines =
        kind.zone == Zone::kTrain ? carried.train_description : carried.line_description;
    const bool carried_row = std::find(lines.begin(), lines.end(), kind.example) != lines.end();
    EXPECT_EQ(carried_row, kind.id != RowId::kAbbattimento);
  }
  EXPECT_NE(row_kind(RowId::kAbbattimento).details.find("no abbattimento row"),
            std::string_view::npos);
}

TEST(Explain, OneKindPrintsItsValuesAndExample) {
  const auto r = run({"explain", "segnale"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("segnale: signal", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("   1  position_m      long     m          325 .. 1006900\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  11  time            long     -          0 .. 255\n"), std::string::npos);
  EXPECT_NE(r.out.find("example:\n  segnale,   30300,   2, 4, 1,  0, 0,    0,  0,0,0, 230\n"),
            std::string::npos);
}

TEST(Explain, WordsFindTheirKindOrTheClosestKeys) {
  struct Case {
    const char* word;
    int status;
    const char* out_starts;  // on success
    const char* err;         // on failure
  };
  const Case cases[] = {
      // Case ignored, as the train reader ignores it.
      {"Stazione", 0, "stazione: station with its timetable\n", ""},
      // A key item as the texts write it finds its kind through the key test.
      {"curvad2", 0, "curvas4: curve of the line plan\n", ""},
      {"lunghezza percorso", 0, "lunghezza percorso: route length", ""},
      // A header line is named as one.
      {"[stazioni]", 0, "[stazioni]: a header line of the carried texts (train description)", ""},
      // Slips get the closest key words.
      {"segnali", 64, "",
       "scenario_tool: no row kind has the key 'segnali'; did you mean \"ripetizione segnali 4 "
       "codici\" or \"segnale\"?\n"
       "scenario_tool explain lists every key word.\n"},
      {"lunghezza", 64, "",
       "scenario_tool: no row kind has the key 'lunghezza'; did you mean \"lunghezza "
       "percorso\"?\nscenario_tool explain lists every key word.\n"},
      {"sfondo", 64, "",
       "scenario_tool: no row kind has the key 'sfondo'; did you mean \"sfondo uno\", \"sfondo "
       "due\" or \"sfondo tre\"?\nscenario_tool explain lists every key word.\n"},
      // Nothing close: no guess.
      {"treno", 64, "",
       "scenario_tool: no row kind has the key 'treno'\n"
       "scenario_tool explain lists every key word.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    const auto r = run({"explain", c.word});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out.rfind(c.out_starts, 0), 0u) << r.out;
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(Explain, AloneListsEveryKeyWordOnALineOfItsOwn) {
  const auto r = run({"explain"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const RowKind& kind : row_kinds()) {
    SCOPED_TRACE(kind.key);
    EXPECT_NE(r.out.find("\n  " + std::string(kind.key) + " "), std::string::npos);
  }
  EXPECT_EQ(run({"explain", "segnale", "--markdown"}).status, 64);
}

}  // namespace
}  // namespace scenario::tools
