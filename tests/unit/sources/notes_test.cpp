#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lorvena/lorvena.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

TEST(Notes, TwelveLinesOfProseThenTheContact) {
  const std::vector<std::string> lines = written_lines(lorvena::notes());
  ASSERT_EQ(lines.size(), 12u);
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_FALSE(lines[i].empty());
    EXPECT_NE(lines[i][0], ' ');
    EXPECT_LE(lines[i].size(), 102u);
  }
  // Line 8 runs on into line 9 after its one trailing blank.
  EXPECT_EQ(lines[7].substr(lines[7].size() - 2), "e ");
  EXPECT_EQ(lines[10].back(), '!');
  // The last line is an address and nothing else.
  EXPECT_EQ(lines[11].find(' '), std::string::npos);
  EXPECT_NE(lines[11].find('@'), std::string::npos);
}

}  // namespace
}  // namespace scenario
