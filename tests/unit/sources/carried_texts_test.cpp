// Properties every carried text of the LORVENA scenario shares on disk.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lorvena/lorvena.h"
#include "sources/scenario_data.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

struct CarriedText {
  const char* name;
  std::span<const std::string_view> table;
  size_t lines;
  std::vector<size_t> lines_ending_in_a_blank;  // 1-based
  size_t code_page_letters;                     // bytes 232, 242 and 224
};

std::vector<CarriedText> carried_texts() {
  return {
      {"line description", lorvena::line_description(), 126, {}, 0},
      {"train description", lorvena::train_description(), 106, {5}, 0},
      {"notes", lorvena::notes(), 12, {8}, 16},
      {"slow-down order", lorvena::slowdown_order(), 46, {}, 0},
      {"timetable sheet", lorvena::timetable_sheet(), 60, {9}, 0},
  };
}

TEST(CarriedTexts, LineCountsAndLineEnds) {
  for (const CarriedText& text : carried_texts()) {
    SCOPED_TRACE(text.name);
    const std::string bytes = text_file_bytes(text.table);
    const std::vector<std::string> lines = written_lines(text.table);
    EXPECT_EQ(lines.size(), text.lines);
    // One CR LF per line and none beyond: no empty line is added at the end.
    size_t line_ends = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) {
      ++line_ends;
    }
    EXPECT_EQ(line_ends, text.lines);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find(kEndMarker), std::string::npos);
  }
}

TEST(CarriedTexts, TrailingBlanksOnlyWhereTheTextCarriesThem) {
  for (const CarriedText& text : carried_texts()) {
    SCOPED_TRACE(text.name);
    const std::vector<std::string> lines = written_lines(text.table);
    std::vector<size_t> ending_in_blank;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].empty() && lines[i].back() == ' ') ending_in_blank.push_back(i + 1);
    }
    EXPECT_EQ(ending_in_blank, text.lines_ending_in_a_blank);
  }
}

TEST(CarriedTexts, PrintableAsciiExceptTheNotesAccentedLetters) {
  for (const CarriedText& text : carried_texts()) {
    SCOPED_TRACE(text.name);
    const std::string bytes = text_file_bytes(text.table);
    size_t letters = 0;
    for (const char ch : bytes) {
      const unsigned char b = static_cast<unsigned char>(ch);
      if (b == 232 || b == 242 || b == 224) {
        ++letters;
      } else {
        // Anything else above 127 (a UTF-8 sequence, another accent) or a
        // control character besides the line ends is a fault in the data.
        EXPECT_TRUE((b >= 32 && b < 127) || b == '\r' || b == '\n') << "byte " << int(b);
      }
    }
    EXPECT_EQ(letters, text.code_page_letters);
  }
}

}  // namespace
}  // namespace scenario
