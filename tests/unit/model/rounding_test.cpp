#include "model/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/run_failure.h"

namespace scenario {
namespace {

TEST(Rounding, RoundsHalvesToTheEvenNeighbour) {
  struct Row {
    double in;
    int32_t out;
  };
  const Row rows[] = {
      {1.5, 2},
      {2.5, 2},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {58.5, 58},  // a signal at 2875 m
      {59.5, 60},  // a signal at 2925 m
      {2.4999, 2},
      {2.5001, 3},
      {-2.6, -3},
      {0.0, 0},
      {2147483647.4, 2147483647},  // rounds into range, so accepted
      {-2147483648.4, -2147483647 - 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(round_long(r.in), r.out);
  }
}

TEST(Rounding, RefusesWhatDoesNotFitThe32BitRange) {
  const double rows[] = {2147483647.5,
                         2147483648.0,
                         -2147483648.6,
                         1e300,
                         std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN()};
  for (double r : rows) {
    SCOPED_TRACE(r);
    EXPECT_THROW(round_long(r), RunFailure);
  }
}

TEST(Rounding, NarrowConversionsTestTheRangeAfterRounding) {
  EXPECT_EQ(round16(32766.5), 32766);
  EXPECT_EQ(round16(32767.4), 32767);
  EXPECT_THROW(round16(32767.5), RunFailure);  // even neighbour is 32768
  EXPECT_EQ(round16(-32768.5), -32768);        // even neighbour is -32768
  EXPECT_THROW(round16(-32769.0), RunFailure);

  EXPECT_EQ(round_byte(-0.5), 0);
  EXPECT_EQ(round_byte(254.5), 254);
  EXPECT_THROW(round_byte(255.5), RunFailure);
  EXPECT_THROW(round_byte(-0.6), RunFailure);
}

TEST(Rounding, LowBitsKeepOnlyTheFieldWidth) {
  EXPECT_EQ(low16(40000), -25536);
  EXPECT_EQ(low16(65536), 0);
  EXPECT_EQ(low16(-1), -1);
  EXPECT_EQ(low16(-32769), 32767);
  EXPECT_EQ(low16(int64_t{1} << 40 | 7), 7);
  EXPECT_EQ(low8(271), 15);
  EXPECT_EQ(low8(-5), 251);
  EXPECT_EQ(low8(230), 230);
}

}  // namespace
}  // namespace scenario
