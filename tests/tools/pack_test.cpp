#include "tools/pack.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "sources/scenario_data.h"
#include "sources/scenario_payload.h"
#include "sources/scenario_validity.h"
#include "sources/text_writer.h"
#include "tool_test_support.h"

namespace scenario::tools {
namespace {

using testing::read_file;
using testing::run;
using testing::TempDir;
using testing::ToolRun;
using testing::write_file;

namespace fs = std::filesystem;

// A short scenario written by hand for these tests: 12 km, two stations,
// notes with an accented letter, a timetable with tabs. LF line ends.
const fs::path kColleverde =
    fs::path(__FILE__).parent_path().parent_path() / "data/pack/colleverde";

const char* builder_or_null() {
  const char* b = std::getenv("SCENARIO_BUILDER");
  return b != nullptr && *b != '\0' ? b : nullptr;
}

// Why these tests cannot run here, or nothing.
std::optional<std::string> skip_reason() {
#ifdef _WIN32
  return "the pack tests start builders through a POSIX shell command line; under Wine the "
         "Windows step packs the .exe and runs it itself";
#else
  if (builder_or_null() == nullptr) return "SCENARIO_BUILDER is not set (ctest sets it)";
  return std::nullopt;
#endif
}

std::set<std::string> names_in(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Runs `program` with `cwd` as working directory; the exit status, and
// standard error in `err`.
int run_program(const std::string& program, const std::string& cwd, std::string* err) {
  const std::string err_file = cwd + "/stderr.txt";
  const std::string command =
      "cd '" + cwd + "' && '" + program + "' 2>'" + err_file + "' >/dev/null";
  const int raw = std::system(command.c_str());
  *err = read_file(err_file);
  fs::remove(err_file);
#ifdef _WIN32
  // Never reached: the tests skip on Windows (see skip_reason).
  return raw;
#else
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const auto why = skip_reason()) GTEST_SKIP() << *why;
    builder_ = builder_or_null();
    self_ = fs::read_symlink("/proc/self/exe").string();
    fs::copy(kColleverde, dir / "texts");
  }

  ToolRun pack(const std::string& out, const std::string& from = "",
               std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {
        "pack",  dir / "texts", "--scenario", "COLLEVERDE", "--train",
        "R2231", "-o",          out,          "--template", from.empty() ? builder_ : from};
    args.insert(args.end(), extra.begin(), extra.end());
    return run(args);
  }

  TempDir dir;
  std::string builder_;
  std::string self_;
};

TEST_F(PackTest, PackedBuilderWritesWhatCompileWritesWhereverItIsStarted) {
  fs::create_directories(dir / "player");
  const ToolRun p = pack(dir / "player/colleverde");
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "packed COLLEVERDE (train R2231) into " + (dir / "player/colleverde") +
                       " from " + builder_ + "\n");
  EXPECT_TRUE((fs::status(dir / "player/colleverde").permissions() & fs::perms::owner_exec) !=
              fs::perms::none);

  const ToolRun c = run({"compile", dir / "texts/line.txt", dir / "texts/train.txt", "--scenario",
                         "COLLEVERDE", "--train", "R2231", "--out", dir / "compiled"});
  ASSERT_EQ(c.status, 0) << c.out << c.err;

  // Started from another directory, it still writes beside itself.
  fs::create_directories(dir / "elsewhere");
  std::string err;
  ASSERT_EQ(run_program(dir / "player/colleverde", dir / "elsewhere", &err), 0) << err;
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  const std::set<std::string> expected = {
      "colleverde",
      "COLLEVERDE_R2231_note.txt",
      "COLLEVERDE_R2231_rallentamenti.txt",
      "COLLEVERDE_R2231_scheda_treno.txt",
      "COLLEVERDE_linea.dat",
      "COLLEVERDE_R2231.sim",
      "COLLEVERDE_R2231.dat",
  };
  EXPECT_EQ(names_in(dir / "player"), expected);
  for (const char* name :
       {"COLLEVERDE_linea.dat", "COLLEVERDE_R2231.sim", "COLLEVERDE_R2231.dat"}) {
    SCOPED_TRACE(name);
    const std::string compiled = read_file(dir / ("compiled/" + std::string(name)));
    EXPECT_FALSE(compiled.empty());
    EXPECT_TRUE(read_file(dir / ("player/" + std::string(name))) == compiled);
  }
  const std::pair<const char*, const char*> documents[] = {
      {"COLLEVERDE_R2231_note.txt", "notes.txt"},
      {"COLLEVERDE_R2231_rallentamenti.txt", "slowdown_order.txt"},
      {"COLLEVERDE_R2231_scheda_treno.txt", "timetable_sheet.txt"},
  };
  for (const auto& [written, source] : documents) {
    SCOPED_TRACE(written);
    EXPECT_EQ(read_file(dir / ("player/" + std::string(written))),
              crlf_text(read_file(dir / ("texts/" + std::string(source)))));
  }
}

TEST_F(PackTest, UnpackGivesTheTextsBackAndRepackingReplacesThePayload) {
  ASSERT_EQ(pack(dir / "first").status, 0);
  const ToolRun u = run({"unpack", dir / "first", dir / "back"});
  ASSERT_EQ(u.status, 0) << u.err;
  for (const std::string_view name : kPackTextNames) {
    SCOPED_TRACE(name);
    EXPECT_EQ(read_file(dir / ("back/" + std::string(name))),
              crlf_text(read_file(dir / ("texts/" + std::string(name)))));
  }
  EXPECT_NE(u.out.find("pack again with: scenario_tool pack " + (dir / "back") +
                       " --scenario COLLEVERDE --train R2231 -o BUILDER"),
            std::string::npos)
      << u.out;
  // Unpack never overwrites an author's texts unasked.
  EXPECT_EQ(run({"unpack", dir / "first", dir / "back"}).status, 73);
  EXPECT_EQ(run({"unpack", dir / "first", dir / "back", "--force"}).status, 0);

  // The packed builder as template, under another name: one payload, the
  // new one, so the file is as long as a first packing.
  const ToolRun again = run({"pack", dir / "back", "--scenario", "ALTRO", "--train", "R2231", "-o",
                             dir / "second", "--template", dir / "first"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("(its earlier scenario replaced)"), std::string::npos);
  const std::string first = read_file(dir / "first");
  const std::string second = read_file(dir / "second");
  EXPECT_EQ(second.size(), first.size() + 5 - 10);  // "ALTRO" for "COLLEVERDE"
  const PayloadRead r = read_payload(second);
  ASSERT_EQ(r.status, PayloadStatus::kValid);
  EXPECT_EQ(r.texts.scenario_name, "ALTRO");
  EXPECT_EQ(r.payload_offset, read_file(builder_).size());

  // Packing in place works too: the template is read whole first.
  ASSERT_EQ(pack(dir / "second", dir / "second").status, 0);
  EXPECT_EQ(read_file(dir / "second"), first);
}

TEST_F(PackTest, ADamagedPayloadIsRefusedWithExitThreeAndNothingWritten) {
  ASSERT_EQ(pack(dir / "good").status, 0);
  const std::string good = read_file(dir / "good");
  const std::size_t footer = good.size() - kFooterSize;
  struct Row {
    const char* what;
    std::size_t at;
    char value;
    std::string message;
  };
  const Row rows[] = {
      {"a text byte", footer - 3, 'Z', "Scenario data damaged: checksum mismatch\n"},
      // Its highest byte: more than any builder, sanitized or not, could hold.
      {"the notes' size", footer + 4 + 4 * 4 + 3, '\x7f',
       "Scenario data damaged: the footer announces " +
           std::to_string(good.size() - kFooterSize - read_file(builder_).size() +
                          (std::size_t{0x7f} << 24)) +
           " bytes of scenario data, but only " + std::to_string(footer) + " bytes precede it\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    fs::remove_all(dir / "player");
    fs::create_directories(dir / "player");
    std::string bad = good;
    bad[r.at] = r.value;
    write_file(dir / "player/damaged", bad);
    fs::permissions(dir / "player/damaged", fs::perms::owner_all);
    std::string err;
    EXPECT_EQ(run_program(dir / "player/damaged", dir / "player", &err), 3);
    EXPECT_EQ(err, r.message);
    EXPECT_EQ(names_in(dir / "player"), std::set<std::string>{"damaged"});
    // unpack refuses it for the same reason, and pack will not take it as template.
    const ToolRun u = run({"unpack", dir / "player/damaged", dir / "back"});
    EXPECT_EQ(u.status, 65);
    EXPECT_NE(u.err.find(r.message.substr(0, r.message.size() - 1)), std::string::npos) << u.err;
    EXPECT_EQ(pack(dir / "out", dir / "player/damaged").status, 65);
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
}

TEST_F(PackTest, RefusesWhatTheBuilderWouldRefuseOrRecord) {
  struct Row {
    const char* what;
    std::string file;  // replaced in the texts folder; empty: none
    std::string bytes;
    std::vector<std::string> args;  // empty: the usual ones
    int status;
    std::string err_start;
  };
  const std::string texts = dir / "texts";
  const Row rows[] = {
      {"a control character",
       "notes.txt",
       "ok\nab\x07\n",
       {},
       65,
       texts + "/notes.txt:2:3: error: control character 0x07\n"},
      {"a line description without a route length",
       "line.txt",
       "[generale]\n[fine]\n",
       {},
       1,
       texts + "/line.txt"},
      {"a reserved device name",
       "",
       "",
       {"pack", texts, "--scenario", "AUX", "--train", "R2231", "-o", dir / "out", "--template",
        builder_},
       64,
       "scenario_tool: --scenario \"AUX\": a device name that Windows reserves\n"},
      {"a missing text",
       "",
       "",
       {"pack", dir.path(), "--scenario", "A", "--train", "B", "-o", dir / "out", "--template",
        builder_},
       66,
       "scenario_tool: cannot read '" + (dir / "line.txt") +
           "' (a scenario folder holds line.txt, train.txt, notes.txt, slowdown_order.txt, "
           "timetable_sheet.txt)\n"},
      {"an output in a folder that does not exist",
       "",
       "",
       {"pack", texts, "--scenario", "A", "--train", "B", "-o", dir / "out/nested/out.exe",
        "--template", builder_},
       73,
       "scenario_tool: cannot create '" + (dir / "out/nested/out.exe") +
           "': its folder does not exist\n"},
      {"a template that is no program",
       "",
       "",
       {"pack", texts, "--scenario", "A", "--train", "B", "-o", dir / "out", "--template",
        texts + "/notes.txt"},
       65,
       "scenario_tool: '" + texts + "/notes.txt' is not a scenario builder; "},
      // This program holds pack's own code, the halves of the builder's
      // mark included, but not the mark.
      {"a program that is no builder",
       "",
       "",
       {"pack", texts, "--scenario", "A", "--train", "B", "-o", dir / "out", "--template", self_},
       65,
       "scenario_tool: '" + self_ +
           "' is not a scenario builder; give --template scenario_builder or "
           "scenario_builder.exe of this release, or a builder packed from one\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    fs::remove_all(texts);
    fs::copy(kColleverde, texts);
    if (!r.file.empty()) write_file(texts + "/" + r.file, r.bytes);
    const ToolRun p = r.args.empty() ? pack(dir / "out") : run(r.args);
    EXPECT_EQ(p.status, r.status);
    EXPECT_EQ(p.err.substr(0, r.err_start.size()), r.err_start);
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
  // A warning never blocks: a schedule faster than the speed limits allow
  // is check's warning only.
  {
    std::string train = read_file(texts + "/train.txt");
    const std::size_t at = train.find("7,58");
    ASSERT_NE(at, std::string::npos);
    write_file(texts + "/train.txt", train.replace(at, 4, "7,50"));
    const ToolRun p = pack(dir / "out");
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_NE(p.err.find("check finds 1 warning, which does not block packing"), std::string::npos)
        << p.err;
    EXPECT_TRUE(fs::exists(dir / "out"));
    fs::remove(dir / "out");
    fs::copy_file(kColleverde / "train.txt", texts + "/train.txt",
                  fs::copy_options::overwrite_existing);
  }
  // Nor does a document saved as UTF-8, which check never reads: it is
  // told with its file, line and column.
  {
    write_file(texts + "/timetable_sheet.txt", "Orario\nCitt\xC3\xA0 10:00\n");
    const ToolRun p = pack(dir / "out");
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.err, texts +
                         "/timetable_sheet.txt:2:5: warning: the text is UTF-8, but the builder "
                         "reads code page 1252: \"\xC3\xA0\" becomes \"\xC3\x83\xC2\xA0\"; save "
                         "the text as Windows-1252 (code page 1252) [utf-8-text]\n"
                         "Citt\xC3\x83\xC2\xA0 10:00\n"
                         "    ^~\n");
    EXPECT_TRUE(fs::exists(dir / "out"));
    fs::remove(dir / "out");
    fs::copy_file(kColleverde / "timetable_sheet.txt", texts + "/timetable_sheet.txt",
                  fs::copy_options::overwrite_existing);
  }
  // An error blocks, shown as check shows it; --force packs anyway, but
  // the validity rule still blocks.
  write_file(texts + "/line.txt", "[generale]\n[fine]\n");
  {
    const ToolRun p = pack(dir / "out");
    EXPECT_NE(p.err.find("error: code 25:"), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("[no-route-length]\n"), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("scenario_tool: not packed: check finds 1 error (--force packs anyway)"),
              std::string::npos)
        << p.err;
  }
  EXPECT_EQ(pack(dir / "out", "", {"--force"}).status, 0);
  write_file(texts + "/notes.txt", "\x01");
  EXPECT_EQ(pack(dir / "out2", "", {"--force"}).status, 65);
}

// Without --template the builder beside the tool is taken; the tests run
// from the build tree, where the builder sits beside them.
TEST_F(PackTest, TheDefaultTemplateIsTheBuilderBesideTheTool) {
  if (fs::path(builder_).parent_path() != fs::read_symlink("/proc/self/exe").parent_path()) {
    GTEST_SKIP() << "the builder is not beside the tests";
  }
  const ToolRun p = run(
      {"pack", dir / "texts", "--scenario", "COLLEVERDE", "--train", "R2231", "-o", dir / "out"});
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(read_payload(read_file(dir / "out")).payload_offset, read_file(builder_).size());
}

TEST(Unpack, ABuilderWithoutPayloadPointsToTheCarriedTextsAndOtherFilesAreNoBuilders) {
  if (const auto why = skip_reason()) GTEST_SKIP() << *why;
  const std::string builder = builder_or_null();
  TempDir dir;
  write_file(dir / "notes.txt", "Note\r\n");
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::pair<std::string, std::string> rows[] = {
      {builder, "scenario_tool: '" + builder +
                    "' carries no packed scenario: it builds the scenario compiled into it. "
                    "`scenario_tool example DIR` writes the carried LORVENA texts.\n"},
      {dir / "notes.txt",
       "scenario_tool: '" + (dir / "notes.txt") + "' is not a scenario builder\n"},
      {self, "scenario_tool: '" + self + "' is not a scenario builder\n"},
  };
  for (const auto& [file, message] : rows) {
    SCOPED_TRACE(file);
    const ToolRun u = run({"unpack", file, dir / "back"});
    EXPECT_EQ(u.status, 65);
    EXPECT_EQ(u.err, message);
    EXPECT_FALSE(fs::exists(dir / "back"));
  }
}

// An author starts from the carried texts: what example writes checks and
// packs as it is, and the packed builder carries those very texts.
TEST_F(PackTest, ExampleWritesAFolderThatChecksAndPacks) {
  const std::string ex = dir / "ex";
  const ToolRun e = run({"example", ex});
  ASSERT_EQ(e.status, 0) << e.err;
  std::string wrote;
  for (const std::string_view name : kPackTextNames) {
    wrote += "wrote " + ex + "/" + std::string(name) + "\n";
  }
  EXPECT_EQ(e.out, wrote + "scenario LORVENA, train KQ3390; check with: scenario_tool check " + ex +
                       "/line.txt " + ex + "/train.txt --scenario LORVENA --train KQ3390" +
                       "; pack with: scenario_tool pack " + ex +
                       " --scenario LORVENA --train KQ3390 -o BUILDER\n");
  const ToolRun c = run(
      {"check", ex + "/line.txt", ex + "/train.txt", "--scenario", "LORVENA", "--train", "KQ3390"});
  EXPECT_EQ(c.status, 0) << c.out;
  const ToolRun p = run({"pack", ex, "--scenario", "LORVENA", "--train", "KQ3390", "-o",
                         dir / "lorvena", "--template", builder_});
  ASSERT_EQ(p.status, 0) << p.err;
  const PayloadRead r = read_payload(read_file(dir / "lorvena"));
  ASSERT_EQ(r.status, PayloadStatus::kValid);
  const ScenarioData& carried = carried_scenario();
  const std::span<const std::string_view> tables[] = {
      carried.line_description, carried.train_description, carried.notes, carried.slowdown_order,
      carried.timetable_sheet};
  for (std::size_t k = 0; k < kTextCount; ++k) {
    SCOPED_TRACE(kPackTextNames[k]);
    EXPECT_TRUE(crlf_text(r.texts.texts[k]) == text_file_bytes(tables[k]));
  }
  // A second example never overwrites what the author has edited unasked.
  const ToolRun again = run({"example", ex});
  EXPECT_EQ(again.status, 73);
  EXPECT_EQ(again.err, "scenario_tool: '" + ex +
                           "/line.txt' exists; choose another folder or add --force to replace "
                           "it\n");
  EXPECT_EQ(run({"example", ex, "--force"}).status, 0);
}

}  // namespace
}  // namespace scenario::tools
