// The compile stage on a real disk: both readers, the finishing pass,
// sealing and the three binary files written into a temporary directory.
//
// Each iteration puts the two description texts back in place and removes
// the binary files of the one before (untimed: the stage deletes the texts,
// and a fresh run finds no binary file), then times one memorizza_percorso. Beside each compile
// runs the floor it is measured against: writing the same three files'
// bytes through the same file layer.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/compile_stage.h"
#include "output/file_naming.h"
#include "platform/file_system.h"
#include "sources/scenario_data.h"
#include "sources/text_writer.h"
#include "tools/check.h"
#include "tools/synthetic_route.h"

namespace {

using namespace scenario;

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "compile_bench_XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("no scratch directory");
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Route {
  std::string scenario_name;
  std::string train_code;
  std::string line_text;
  std::string train_text;
};

const Route& carried_route() {
  static const Route route = [] {
    const ScenarioData& d = carried_scenario();
    return Route{std::string(d.scenario_name), std::string(d.train_code),
                 text_file_bytes(d.line_description), text_file_bytes(d.train_description)};
  }();
  return route;
}

const Route& thousand_km_route() {
  static const Route route = [] {
    tools::SyntheticRoute s = tools::synthetic_route(tools::kSyntheticMaxLengthM);
    return Route{"SINTESI", "T1000", std::move(s.line_description), std::move(s.train_description)};
  }();
  return route;
}

// A scratch directory for one route's files, and the build state that
// compiles them.
class Workspace {
 public:
  explicit Workspace(const Route& route)
      : route_(route),
        files_(scenario_files(dir_.path(), '/', route.scenario_name, route.train_code)) {}

  const ScenarioFiles& files() const { return files_; }
  DiskFileSystem& disk() { return disk_; }

  /// As before a fresh run: the texts in place, no binary file of an
  /// earlier one.
  void prepare() {
    for (const std::string* f : {&files_.line_plan, &files_.train_file, &files_.cell_grid}) {
      std::filesystem::remove(*f);
    }
    disk_.replace_file(files_.line_description, route_.line_text);
    disk_.replace_file(files_.train_description, route_.train_text);
    st_.scenario_name = route_.scenario_name;
    st_.train_code = route_.train_code;
  }

  CompileResult compile() { return memorizza_percorso(st_, disk_, files_, 1); }

  bool clean(const CompileResult& r) const {
    return r.fatal_code == 0 && st_.error_code == 0 && r.files_written.size() == 3;
  }

 private:
  const Route& route_;
  ScratchDir dir_;
  DiskFileSystem disk_;
  ScenarioFiles files_;
  BuildState st_;
};

void BM_Compile(benchmark::State& state, const Route& (*route_of)()) {
  Workspace ws(route_of());
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ws.prepare();
    state.ResumeTiming();

    const CompileResult result = ws.compile();

    state.PauseTiming();
    if (!ws.clean(result)) state.SkipWithError("the route did not compile cleanly");
    bytes = 0;
    for (const std::string& f : result.files_written) bytes += std::filesystem::file_size(f);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["bytes_written"] = static_cast<double>(bytes);
}

// The floor: the same three files' bytes, already in memory, written through
// the same replace sequence.
void BM_WriteOutputOnly(benchmark::State& state, const Route& (*route_of)()) {
  Workspace ws(route_of());
  ws.prepare();
  if (!ws.clean(ws.compile())) state.SkipWithError("the route did not compile cleanly");
  std::vector<std::pair<std::string, std::string>> outputs;
  size_t bytes = 0;
  for (const std::string* f :
       {&ws.files().line_plan, &ws.files().train_file, &ws.files().cell_grid}) {
    outputs.emplace_back(*f, ws.disk().read_file(*f));
    bytes += outputs.back().second.size();
  }
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& [path, content] : outputs) std::filesystem::remove(path);
    state.ResumeTiming();
    for (const auto& [path, content] : outputs) ws.disk().replace_file(path, content);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["bytes_written"] = static_cast<double>(bytes);
}

// check: the same compile in memory under the readers' check mode, plus the
// lint of both texts; meant to run on every save of a text, so it is held to
// a few times the compile.
void BM_Check(benchmark::State& state, const Route& (*route_of)()) {
  const Route& route = route_of();
  tools::CheckRequest req;
  req.line_text_path = "line.txt";
  req.train_text_path = "train.txt";
  req.scenario_name = route.scenario_name;
  req.train_code = route.train_code;
  size_t found = 0;
  for (auto _ : state) {
    const std::vector<Diagnostic> ds = tools::check_texts(route.line_text, route.train_text, req);
    found = ds.size();
    benchmark::DoNotOptimize(ds.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() *
                                               (route.line_text.size() + route.train_text.size())));
  state.counters["diagnostics"] = static_cast<double>(found);
}

BENCHMARK_CAPTURE(BM_Compile, carried, &carried_route)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compile, synthetic_1000km, &thousand_km_route)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Check, carried, &carried_route)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Check, synthetic_1000km, &thousand_km_route)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteOutputOnly, carried, &carried_route)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteOutputOnly, synthetic_1000km, &thousand_km_route)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
