#include "output/error_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace scenario {
namespace {

TEST(ErrorCodes, EveryRecordedCodeHasItsOwnMeaningAndOthersAreUnknown) {
  const int32_t recorded[] = {1,  2,  3,  4,  5,  6,  7,   8,   9,   10,   11,  12, 13,
                              15, 16, 17, 18, 19, 20, 21,  22,  24,  25,   26,  101,
                              102, 103, 1250, 1251};
  std::set<std::string> seen;
  for (int32_t code : recorded) {
    SCOPED_TRACE(code);
    const std::string meaning(error_code_meaning(code));
    EXPECT_NE(meaning, "");
    EXPECT_NE(meaning, "unknown code");
    EXPECT_TRUE(seen.insert(meaning).second) << "shared with another code: " << meaning;
  }
  EXPECT_EQ(error_code_meaning(0), "");
  for (int32_t code : {14, 23, 27, 100, 104, 1252, -1}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(error_code_meaning(code), "unknown code");
  }
}

}  // namespace
}  // namespace scenario
