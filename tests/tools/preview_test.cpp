#include "tools/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>

#include "compiler/row_kinds.h"
#include "tool_test_support.h"
#include "tools/check.h"
#include "tools/inspect.h"
#include "tools/synthetic_route.h"

namespace scenario::tools {
namespace {

using Json = nlohmann::json;
using testing::read_file;
using testing::run;
using testing::TempDir;
using testing::write_file;

// The data element of a page, parsed.
Json page_data(const std::string& page) {
  const std::string open = "<script id=\"route-data\" type=\"application/json\">";
  const size_t from = page.find(open);
  if (from == std::string::npos) return nullptr;
  const size_t start = from + open.size();
  const size_t end = page.find("</script>", start);
  if (end == std::string::npos) return nullptr;
  return Json::parse(page.substr(start, end - start));
}

// Nothing the page needs comes from elsewhere: no external script, style,
// image or font, and no address to fetch (the live page asks only its own
// server, by path).
void expect_self_contained(const std::string& page) {
  EXPECT_EQ(page.find("<link"), std::string::npos);
  EXPECT_EQ(page.find("src="), std::string::npos);
  EXPECT_EQ(page.find("@import"), std::string::npos);
  EXPECT_EQ(page.find("url("), std::string::npos);
  EXPECT_FALSE(std::regex_search(page, std::regex("https?://")));
}

struct Carried {
  TempDir dir;
  std::string line, train;
  Carried() {
    EXPECT_EQ(run({"export-carried", dir / "src"}).status, 0);
    line = dir / "src/LORVENA_linea.txt";
    train = dir / "src/LORVENA_KQ3390-.txt";
  }
};

TEST(Preview, CarriedScenarioPageHoldsTheCompiledModel) {
  Carried c;
  const auto r = run({"preview", c.line, c.train, "-o", c.dir / "route.html"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = read_file(c.dir / "route.html");
  expect_self_contained(page);
  const Json d = page_data(page);
  ASSERT_TRUE(d.is_object());

  EXPECT_EQ(d["title"], "LORVENA / KQ3390");
  EXPECT_TRUE(d["diagnostics"].empty()) << d["diagnostics"].dump();
  // Stations in slot order with their positions and times.
  ASSERT_EQ(d["stations"].size(), 26u);
  EXPECT_EQ(d["stations"][0]["name"], "VALDORNO");
  EXPECT_EQ(d["stations"][0]["time"], "18:20");
  EXPECT_EQ(d["stations"][25]["name"], "CASTELMIRA");
  EXPECT_EQ(d["stations"][25]["pos"], 152000);
  // Profiles cover the route without gaps and end at the axis' end.
  for (const char* p : {"gradient", "speed", "adhesion", "montagna"}) {
    SCOPED_TRACE(p);
    const Json& runs = d["profiles"][p];
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front()[0], 0);
    for (size_t i = 1; i < runs.size(); ++i) EXPECT_EQ(runs[i][0], runs[i - 1][1]);
    EXPECT_EQ(runs.back()[1].get<int64_t>(), d["lengthM"].get<int64_t>() + 50);
  }
  // The plan, coarse to fine, each level a point every `stride` metres from
  // the start to the end of the route.
  const Json& levels = d["plan"]["levels"];
  ASSERT_GE(levels.size(), 2u);
  EXPECT_LE(levels[0]["m"].size(), 2001u);
  for (size_t i = 0; i < levels.size(); ++i) {
    const Json& l = levels[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(l["m"].size(), l["x"].size());
    EXPECT_EQ(l["m"].size(), l["y"].size());
    EXPECT_EQ(l["m"][0], 0);
    EXPECT_EQ(l["m"].back(), d["lengthM"]);
    if (i > 0) {
      EXPECT_LT(l["stride"], levels[i - 1]["stride"]);
    }
  }
  // Hover names every value of every row kind by the row table.
  ASSERT_EQ(d["kinds"].size(), row_kinds().size());
  for (const RowKind& k : row_kinds()) {
    const Json& j = d["kinds"][static_cast<size_t>(k.id)];
    EXPECT_EQ(j["key"], std::string(k.key));
    EXPECT_EQ(j["names"].size(), k.values.size());
  }
  // Hover shows each station's row as written, found by the position it
  // acts at, and every curve with its side and class.
  for (const Json& st : d["stations"]) {
    SCOPED_TRACE(st["name"].get<std::string>());
    size_t found = 0;
    for (const Json& row : d["rows"]) {
      if (row[0] != static_cast<int>(RowId::kStation) || row[7] != st["pos"]) continue;
      EXPECT_EQ(row[1], "T");
      EXPECT_GT(row[2].get<int>(), 0);
      EXPECT_EQ(row[5].back(), st["name"]);
      ++found;
    }
    EXPECT_EQ(found, 1u);
  }
  ASSERT_FALSE(d["curves"].empty());
  for (const Json& curve : d["curves"]) {
    EXPECT_LT(curve[0], curve[1]);
    EXPECT_TRUE(curve[2] == "L" || curve[2] == "R");
    EXPECT_GE(curve[3], 1);
    EXPECT_LE(curve[3], 6);
  }
  // A speed board is labelled with the left-hand board's speeds as its row
  // gives them, not with the cell's packed value.
  size_t boards = 0;
  for (const Json& row : d["rows"]) {
    if (row[0] != static_cast<int>(RowId::kSpeedBoards)) continue;
    const Json& items = row[5];
    const std::string want = std::to_string(std::stoi(items[1].get<std::string>())) + "/" +
                             std::to_string(std::stoi(items[2].get<std::string>())) + "/" +
                             std::to_string(std::stoi(items[3].get<std::string>()));
    SCOPED_TRACE(want);
    for (const Json& o : d["objects"]) {
      if (o[1] != row[6]) continue;
      EXPECT_EQ(o[3], want);
      ++boards;
    }
  }
  EXPECT_EQ(boards, 28u);
  // Every object lies on a cell whose fields the page carries.
  ASSERT_FALSE(d["objects"].empty());
  for (const Json& o : d["objects"]) {
    EXPECT_TRUE(d["cells"].contains(std::to_string(o[1].get<int64_t>())));
    EXPECT_EQ(o[0].get<int64_t>(), o[1].get<int64_t>() * 50);
  }
}

TEST(Preview, ProblemsAreCheckDiagnosticsAtTheirRowsAndPlaces) {
  Carried c;
  // A second signal in the cell of the first (the builder's code 16), and
  // after it a row the builder ignores (a warning of the lint only).
  std::string train = read_file(c.train);
  const size_t at = train.find("\nsegnale,    2850");
  ASSERT_NE(at, std::string::npos);
  const size_t end = train.find('\n', at + 1);
  train.insert(end, train.substr(at, end - at) + "\nfrobnicate,    3000, 1");
  write_file(c.train, train);
  const auto r = run({"preview", c.line, c.train, "-o", c.dir / "route.html"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json d = page_data(read_file(c.dir / "route.html"));

  // The panel lists what `check` finds, in its order.
  const std::vector<Diagnostic> checked =
      check_texts(read_file(c.line), train, CheckRequest{c.line, c.train, "LORVENA", "KQ3390"});
  ASSERT_EQ(d["diagnostics"].size(), checked.size()) << d["diagnostics"].dump();
  for (size_t i = 0; i < checked.size(); ++i) {
    SCOPED_TRACE(checked[i].message);
    const Json& p = d["diagnostics"][i];
    EXPECT_EQ(p["severity"], checked[i].severity == Severity::kError ? "error" : "warning");
    EXPECT_EQ(p["rule"], checked[i].rule);
    EXPECT_EQ(p["code"], checked[i].code);
    EXPECT_EQ(p["line"], checked[i].at.line);
    EXPECT_EQ(p["column"], checked[i].at.column);
    EXPECT_EQ(p["message"], checked[i].message);
    EXPECT_EQ(p["notes"].size(), checked[i].notes.size());
  }
  // The compile's code, placed on the route where its row acts.
  const Json& first = d["diagnostics"][0];
  EXPECT_EQ(first["code"], 16);
  EXPECT_EQ(first["severity"], "error");
  EXPECT_EQ(first["m"], 2850);
  EXPECT_EQ(first["file"], "T");
  EXPECT_GT(first["line"].get<int>(), 0);
  EXPECT_NE(first["message"].get<std::string>().find("code 16"), std::string::npos);
  const Json& last = d["diagnostics"].back();
  EXPECT_EQ(last["severity"], "warning");
  EXPECT_EQ(last["rule"], "unknown-key");
  EXPECT_EQ(last["line"], first["line"].get<int>() + 1);
}

// Every problem on a row links to where its row acts, even when the row took
// no cell or the reader stopped on it; one that has no place on the route
// is no link at all.
TEST(Preview, ProblemsLinkToTheirRowsPlaces) {
  Carried c;
  std::string line = read_file(c.line);
  const struct {
    const char* after;  // the carried row the case goes after
    const char* row;
    const char* rule;
    std::optional<int64_t> m;
    bool near;
  } cases[] = {
      // A curve takes no cell: its start.
      {"curvas4,  950,  550\r\n", "curvaz3, 5000, 400", "curve-key", 5000, false},
      // A row read with an item too many: its position.
      {"pendenza,  2100,   25\r\n", "pendenza, 6000, -8, 4", "value-count", 6000, false},
      // A row the reader stopped on: the place of the row before it.
      {"pendenza,  1350,   19\r\n", "pendenza, 1350, 12.5", "not-whole-number", 1350, true},
      // A [generale] row acts nowhere on the route.
      {"sfondo tre,    1\r\n", "sfondo tre,    1.5", "not-whole-number", std::nullopt, false},
  };
  for (const auto& k : cases) {
    const size_t at = line.find(k.after);
    ASSERT_NE(at, std::string::npos) << k.after;
    line.insert(at + std::string(k.after).size(), std::string(k.row) + "\r\n");
  }
  write_file(c.line, line);
  const auto r = run({"preview", c.line, c.train, "-o", c.dir / "route.html"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json d = page_data(read_file(c.dir / "route.html"));
  for (const auto& k : cases) {
    SCOPED_TRACE(k.row);
    const size_t at = line.find(std::string("\n") + k.row + "\r\n");
    const int line_no = static_cast<int>(std::count(line.begin(), line.begin() + at + 1, '\n')) + 1;
    const Json* found = nullptr;
    for (const Json& p : d["diagnostics"]) {
      if (p["file"] == "L" && p["line"] == line_no && p["rule"] == k.rule) found = &p;
    }
    ASSERT_NE(found, nullptr) << d["diagnostics"].dump();
    EXPECT_EQ((*found)["m"], k.m ? Json(*k.m) : Json(nullptr));
    EXPECT_EQ((*found)["near"], k.near);
  }
}

// An editor that saves by renaming leaves a text missing for a moment: the
// live page keeps the last compile and lists only the read problem.
TEST(Preview, UnreadableTextKeepsTheLastCompile) {
  Carried c;
  PreviewRequest req;
  req.scenario_name = "LORVENA";
  req.train_code = "KQ3390";
  const std::string good = preview_data_json(read_file(c.line), read_file(c.train), req);
  const Json kept = Json::parse(unreadable_data_json(good, "cannot read T-.txt", req));
  const Json before = Json::parse(good);
  EXPECT_EQ(kept["readError"], "cannot read T-.txt");
  EXPECT_TRUE(kept["diagnostics"].empty());
  for (const char* same : {"lengthM", "stations", "profiles", "plan"}) {
    EXPECT_EQ(kept[same], before[same]) << same;
  }
  // Before any text could be read: an empty route, and still the read
  // problem alone, not the problems of two empty texts.
  const Json first = Json::parse(unreadable_data_json("", "cannot read L.txt", req));
  EXPECT_EQ(first["readError"], "cannot read L.txt");
  EXPECT_TRUE(first["diagnostics"].empty());
  EXPECT_TRUE(first["stations"].empty());
}

TEST(Preview, DashWritesThePageToStandardOutput) {
  Carried c;
  const auto r = run({"preview", c.line, c.train, "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<!DOCTYPE html>", 0), 0u) << r.out.substr(0, 80);
  EXPECT_TRUE(page_data(r.out).is_object());
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(std::filesystem::exists("-"));
}

TEST(Preview, DataCannotEndItsScriptElement) {
  const std::string page = preview_page(R"({"name":"</script><b>x</b>"})", false);
  EXPECT_EQ(page.find("</script><b>"), std::string::npos);
  EXPECT_EQ(page_data(page)["name"], "</script><b>x</b>");
}

TEST(Preview, ThousandKilometreRouteStaysSmall) {
  const SyntheticRoute route = synthetic_route(kSyntheticMaxLengthM);
  PreviewRequest req;
  req.scenario_name = "LONG";
  req.train_code = "T1";
  const std::string data = preview_data_json(route.line_description, route.train_description, req);
  const std::string page = preview_page(data, false);
  EXPECT_LT(page.size(), 6u * 1024 * 1024);
  expect_self_contained(page);
  const Json d = Json::parse(data);
  EXPECT_EQ(d["stations"].size(), 75u);
  EXPECT_EQ(d["lengthM"], 1000000);
  // The generated timetable is tighter than its speed limits allow: check
  // warns of that, and of nothing worse.
  for (const Json& p : d["diagnostics"]) EXPECT_EQ(p["severity"], "warning") << p.dump();
  const Json& levels = d["plan"]["levels"];
  EXPECT_LE(levels[0]["m"].size(), 2001u);
  EXPECT_LE(levels.back()["m"].size(), 150001u);
  EXPECT_LE(levels.back()["stride"].get<int>(), 10);
}

TEST(Preview, RefusesWhatItCannotDo) {
  Carried c;
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"preview", c.dir / "missing.txt", c.train, "-o", c.dir / "a.html"}, kExitNoInput},
      {{"preview", c.line, c.train}, kExitUsage},
      {{"preview", c.line, c.train, "-o", c.dir / "a.html", "--serve"}, kExitUsage},
      {{"preview", c.line, c.train, "--serve", "--port", "0"}, kExitUsage},
      {{"preview", c.line, c.train, "-o", c.dir / "no/such/dir/a.html"}, kExitCannotCreate},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args[1] + " " + std::to_string(k.args.size()));
    EXPECT_EQ(run(k.args).status, k.status);
  }
}

}  // namespace
}  // namespace scenario::tools
