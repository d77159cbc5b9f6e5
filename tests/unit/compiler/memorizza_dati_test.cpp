#include "compiler/memorizza_dati.h"

#include <gtest/gtest.h>

#include <string>

#include "model/build_state.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"

namespace scenario {
namespace {

constexpr char kLine[] = "line.txt";
constexpr char kTrain[] = "train.txt";

const char* const kGoodLine =
    "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n";

struct Case {
  const char* what;
  std::string line_text;
  const char* train_text;  // nullptr: no train description on disk
  SourceOrigin::File file;
  int line;
  int column;
};

// Every read failure, in either text, ends the step with code 25 and leaves no
// source text behind; the item at fault is kept for the author.
TEST(MemorizzaDati, ReadFailuresEndWithCode25AndConsumeBothTexts) {
  const Case cases[] = {
      {"malformed number in the line text", "[generale]\r\nlunghezza percorso, 20x00\r\n",
       "[generale]\r\n[fine]\r\n", SourceOrigin::File::kLineDescription, 2, 21},
      {"no route length", "[generale]\r\nsfondo uno, 3\r\n[curve]\r\n[fine]\r\n",
       "[generale]\r\n[fine]\r\n", SourceOrigin::File::kLineDescription, 0, 0},
      {"train text ends inside a line", kGoodLine, "[generale]\r\nvelocita, 0",
       SourceOrigin::File::kTrainDescription, 2, 12},
      // The code fails its byte only when the end stage fills it in; the
      // row that gave the speed is at fault.
      {"speed beyond a byte", kGoodLine, "[generale]\r\nvelocita, 0, 5000\r\n[fine]\r\n",
       SourceOrigin::File::kTrainDescription, 2, 14},
      {"missing train text", kGoodLine, nullptr, SourceOrigin::File::kTrainDescription, 0, 0},
      // A row short of its last value: the stream notices at the next row's
      // key, but the row at fault is the one before, at its line's end.
      {"signal row short of one value", kGoodLine,
       "[generale]\r\nsegnale, 30300, 2, 4, 1, 0, 0, 0, 0, 0, 0\r\nvelocita, 0, 100\r\n",
       SourceOrigin::File::kTrainDescription, 2, 42},
      // Separated by tabs alone, the values and the key are one item: the
      // row is short of all its values.
      {"values separated by tabs", kGoodLine, "[generale]\r\nvelocita\t0\t100\r\nsabbia, 1\r\n",
       SourceOrigin::File::kTrainDescription, 2, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs;
    fs.put(kLine, c.line_text);
    if (c.train_text != nullptr) fs.put(kTrain, c.train_text);
    BuildState st;
    st.scenario_name = "S";
    st.train_code = "T";
    memorizza_dati(st, fs, kLine, kTrain);
    EXPECT_EQ(st.error_code, 25);
    EXPECT_FALSE(fs.has(kLine));
    EXPECT_FALSE(fs.has(kTrain));
    EXPECT_EQ(st.error_origin.file, c.file);
    // Line 0: the failure belongs to the text but to no item in it.
    EXPECT_EQ(st.error_origin.line, c.line);
    EXPECT_EQ(st.error_origin.column, c.column);
  }
}

// A source text that cannot be deleted is not a data fault: it reaches the
// build run, which reports it as an unhandled error.
TEST(MemorizzaDati, UndeletableSourceTextReachesTheCaller) {
  MemoryFileSystem fs;
  fs.put(kLine, kGoodLine);
  fs.put(kTrain, "[generale]\r\n[fine]\r\n");
  fs.forbid_remove(kLine);
  BuildState st;
  EXPECT_THROW(memorizza_dati(st, fs, kLine, kTrain), FileError);
}

}  // namespace
}  // namespace scenario
