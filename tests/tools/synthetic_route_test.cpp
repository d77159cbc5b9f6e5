#include "tools/synthetic_route.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "tool_test_support.h"
#include "tools/check.h"
#include "tools/compile_report.h"

namespace scenario::tools {
namespace {

using testing::read_file;
using testing::run;
using testing::TempDir;

size_t lines_starting(const std::string& text, const std::string& key) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find("\r\n" + key, at)) != std::string::npos; at += 2) ++n;
  return n;
}

// The benchmark's routes must compile cleanly at every length, with the
// density of objects the generator promises; otherwise a timing would
// measure an early stop.
TEST(SyntheticRoute, CompilesWithoutACodeAtEveryLength) {
  struct Case {
    int32_t length_m;
    size_t stations, min_curves, min_signals, min_slow_downs;
  };
  const Case cases[] = {
      {100000, 8, 48, 25, 1},
      {152000, 12, 74, 40, 2},
      {1000000, 75, 498, 280, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length_m);
    const SyntheticRoute route = synthetic_route(c.length_m);
    EXPECT_GE(lines_starting(route.line_description, "curva"), c.min_curves);
    EXPECT_EQ(lines_starting(route.train_description, "stazione,"), c.stations);
    EXPECT_GE(lines_starting(route.train_description, "segnale,"), c.min_signals);
    EXPECT_GE(lines_starting(route.train_description, "rallentamento,"), c.min_slow_downs);
    EXPECT_NE(route.line_description.find("lunghezza percorso,    " + std::to_string(c.length_m)),
              std::string::npos);

    MemoryFileSystem mem;
    CompileRequest req;
    req.scenario_name = "SINTESI";
    req.train_code = "T1";
    req.out_dir = "out";
    const CompileReport r =
        compile_in_memory(route.line_description, route.train_description, req, mem);
    EXPECT_EQ(r.error_code, 0) << report_message(r);
    EXPECT_EQ(r.fatal, 0);
    EXPECT_EQ(r.files.size(), 3u);
  }
}

// The benchmark times check on these routes too: a route full of
// diagnostics would time their printing instead.
TEST(SyntheticRoute, CheckFindsNothingAtAnyLength) {
  for (const int32_t length_m : {100000, 152000, 1000000}) {
    SCOPED_TRACE(length_m);
    const SyntheticRoute route = synthetic_route(length_m);
    CheckRequest req;
    req.line_text_path = "line.txt";
    req.train_text_path = "train.txt";
    const std::vector<Diagnostic> ds =
        check_texts(route.line_description, route.train_description, req);
    std::ostringstream listing;
    print_text(ds, {"line.txt", route.line_description, "train.txt", route.train_description},
               listing);
    EXPECT_TRUE(ds.empty()) << listing.str();
  }
}

TEST(SyntheticRoute, RefusesLengthsOutsideItsRange) {
  for (int32_t length_m : {0, 99000, 150500, 1001000}) {
    SCOPED_TRACE(length_m);
    EXPECT_THROW(synthetic_route(length_m), std::invalid_argument);
  }
}

TEST(SyntheticRoute, TheToolWritesTextsThatItsCompileAccepts) {
  TempDir dir;
  const auto made = run({"synthesize", dir / "texts", "--length", "200000"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(read_file(dir / "texts/line.txt").find("lunghezza percorso,    200000"),
            std::string::npos);
  const auto compiled = run({"compile", dir / "texts/line.txt", dir / "texts/train.txt",
                             "--scenario", "SINTESI", "--train", "T1", "--out", dir / "out"});
  EXPECT_EQ(compiled.status, 0) << compiled.out << compiled.err;

  const auto refused = run({"synthesize", dir / "other", "--length", "1500"});
  EXPECT_EQ(refused.status, 64);
  EXPECT_NE(refused.err.find("100000 to 1000000 m"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace scenario::tools
