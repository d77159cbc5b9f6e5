// Times the builder's whole run against copying the files it produces.
//
//   run_vs_copy BUILDER [ROUNDS]
//
// Each round runs the builder from a fresh directory of its own (the binary
// is copied in beforehand, untimed) and, in the other order every second
// round, one `cp` of the six files of a reference run into another fresh
// directory. Both are started the same way (posix_spawn, output to
// /dev/null) and timed from spawn to reaped exit. Prints the medians, their
// ratio and the builder's peak resident memory.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Outcome {
  double seconds = 0;
  long max_rss_kib = 0;
};

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "run_vs_copy: %s\n", why.c_str());
  std::exit(1);
}

Outcome timed_run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    die("cannot start " + args[0]);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) die("lost " + args[0]);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) die(args[0] + " failed");
  return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<fs::path> produced_files(const fs::path& dir, const fs::path& builder_name) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().filename() != builder_name) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) die("usage: run_vs_copy BUILDER [ROUNDS]");
  const fs::path builder = fs::absolute(argv[1]);
  const int rounds = argc == 3 ? std::atoi(argv[2]) : 41;
  if (rounds < 1) die("ROUNDS must be at least 1");
  const fs::path builder_name = builder.filename();

  std::string tmpl = (fs::temp_directory_path() / "run_vs_copy_XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) die("cannot create a scratch directory");
  const fs::path base = tmpl;

  // The reference run gives the files that cp copies.
  const fs::path reference = base / "reference";
  fs::create_directory(reference);
  fs::copy_file(builder, reference / builder_name);
  timed_run({(reference / builder_name).string()});
  const std::vector<fs::path> files = produced_files(reference, builder_name);
  uintmax_t total = 0;
  for (const fs::path& f : files) total += fs::file_size(f);

  std::vector<double> run_times;
  std::vector<double> copy_times;
  long max_rss = 0;
  for (int r = 0; r < rounds; ++r) {
    const fs::path run_dir = base / ("run" + std::to_string(r));
    const fs::path copy_dir = base / ("copy" + std::to_string(r));
    fs::create_directory(run_dir);
    fs::copy_file(builder, run_dir / builder_name);
    fs::create_directory(copy_dir);
    std::vector<std::string> cp = {"/bin/cp"};
    for (const fs::path& f : files) cp.push_back(f.string());
    cp.push_back(copy_dir.string());

    auto run = [&] {
      const Outcome o = timed_run({(run_dir / builder_name).string()});
      run_times.push_back(o.seconds);
      max_rss = std::max(max_rss, o.max_rss_kib);
    };
    auto copy = [&] { copy_times.push_back(timed_run(cp).seconds); };
    if (r % 2 == 0) {
      run();
      copy();
    } else {
      copy();
      run();
    }
    if (produced_files(run_dir, builder_name).size() != files.size()) {
      die("the builder wrote other files than the reference run");
    }
    fs::remove_all(run_dir);
    fs::remove_all(copy_dir);
  }
  fs::remove_all(base);

  const double run_median = median(run_times);
  const double copy_median = median(copy_times);
  std::printf("files: %zu, %ju bytes\n", files.size(), total);
  std::printf("rounds: %d, alternating\n", rounds);
  std::printf("builder run, median: %8.3f ms (fastest %.3f ms)\n", run_median * 1e3,
              *std::min_element(run_times.begin(), run_times.end()) * 1e3);
  std::printf("cp of its six files, median: %8.3f ms (fastest %.3f ms)\n", copy_median * 1e3,
              *std::min_element(copy_times.begin(), copy_times.end()) * 1e3);
  std::printf("ratio of medians: %.2f\n", run_median / copy_median);
  std::printf("builder peak resident memory: %ld KiB\n", max_rss);
  return 0;
}
