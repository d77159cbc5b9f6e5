#include "model/line_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace scenario {
namespace {

using Tag = PlanValue::Tag;

double x_at(const PlanValues& v, int m) { return v.x.at(static_cast<size_t>(m)).as_real(); }
double y_at(const PlanValues& v, int m) { return v.y.at(static_cast<size_t>(m)).as_real(); }

LinePlan seeded(int32_t grid_length_m) {
  LinePlan p;
  p.create(grid_length_m);
  p.seed();
  return p;
}

TEST(LinePlan, WithoutCurvesEveryPointLiesOnTheYAxis) {
  LinePlan p = seeded(8000);
  p.complete();
  EXPECT_EQ(p.plan_index(), 7999);
  ASSERT_EQ(p.rows(), 8001u);
  const PlanValues v = p.values();
  ASSERT_EQ(v.x.size(), 8001u);
  ASSERT_EQ(v.y.size(), 8001u);
  for (int m = 0; m <= 7998; ++m) {
    SCOPED_TRACE(m);
    const Tag tag = m < 2 ? Tag::kInteger : Tag::kReal;
    ASSERT_EQ(v.x[m].tag, tag);
    ASSERT_EQ(v.y[m].tag, tag);
    ASSERT_EQ(x_at(v, m), 0.0);
    ASSERT_EQ(y_at(v, m), static_cast<double>(m));
  }
  // The last two rows are never computed and stay empty in the file.
  for (int m : {7999, 8000}) {
    EXPECT_EQ(v.x[m].tag, Tag::kEmpty);
    EXPECT_EQ(v.y[m].tag, Tag::kEmpty);
  }
}

// Each class turns the line by its own angle: after 500 m of curve the
// heading (degrees from +y towards +x) is 500 steps of atan(curvature), to
// the right for "d" and as much to the left for "s".
TEST(LinePlan, EachClassAndSideTurnsTheLineByItsOwnAngle) {
  const double heading_after_500_m[] = {
      2.8648,   // class 1
      5.7296,   // class 2
      11.4592,  // class 3
      28.6479,  // class 4
      57.2957,  // class 5
      85.9434,  // class 6
  };
  for (int c = 1; c <= 6; ++c) {
    for (bool left_hand : {false, true}) {
      SCOPED_TRACE(std::to_string(c) + (left_hand ? " s" : " d"));
      LinePlan p = seeded(2000);
      ASSERT_TRUE(p.extend(100, 500, LinePlan::curvature(c, left_hand)));
      p.complete();
      const PlanValues v = p.values();
      const double dx = x_at(v, 1000) - x_at(v, 999);
      const double dy = y_at(v, 1000) - y_at(v, 999);
      const double heading = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
      EXPECT_NEAR(heading, (left_hand ? -1 : 1) * heading_after_500_m[c - 1], 1e-4);
    }
  }
}

TEST(LinePlan, RightHandCurveTurnsTowardsPlusX) {
  LinePlan p = seeded(8000);
  ASSERT_TRUE(p.extend(950, 550, LinePlan::curvature(4, false)));
  EXPECT_EQ(p.plan_index(), 1501);
  p.complete();
  const PlanValues v = p.values();

  struct Point {
    int m;
    double x, y;
  };
  const Point points[] = {
      {950, 0.0, 950.0},
      {951, 0.001, 951.0},
      {952, 0.003, 951.999999},
      {953, 0.005999999, 952.999996},
  };
  for (const Point& pt : points) {
    SCOPED_TRACE(pt.m);
    EXPECT_NEAR(x_at(v, pt.m), pt.x, 1e-9);
    EXPECT_NEAR(y_at(v, pt.m), pt.y, 1e-9);
  }

  // Past the curve the line runs straight on the heading and step length it
  // left the curve with.
  for (int m : {1501, 5000}) {
    SCOPED_TRACE(m);
    const double dx = x_at(v, m) - x_at(v, m - 1);
    const double dy = y_at(v, m) - y_at(v, m - 1);
    EXPECT_NEAR(std::atan2(dx, dy) * 180.0 / std::numbers::pi, 31.51, 0.01);
    EXPECT_NEAR(std::hypot(dx, dy), 1.000275, 1e-6);
  }
}

TEST(LinePlan, LeftHandCurveMirrorsTheRightHandOne) {
  LinePlan right = seeded(8000);
  LinePlan left = seeded(8000);
  ASSERT_TRUE(right.extend(950, 550, LinePlan::curvature(4, false)));
  ASSERT_TRUE(left.extend(950, 550, LinePlan::curvature(4, true)));
  right.complete();
  left.complete();
  const PlanValues l = left.values();
  const PlanValues r = right.values();
  EXPECT_LT(x_at(l, 2000), -100.0);
  for (int m = 0; m <= 7998; ++m) {
    SCOPED_TRACE(m);
    ASSERT_EQ(x_at(l, m), -x_at(r, m));
    ASSERT_EQ(y_at(l, m), y_at(r, m));
  }
}

TEST(LinePlan, OverlappingCurveTurnsOnlyAfterTheEarlierOneEnds) {
  const double k4 = LinePlan::curvature(4, false);
  const double k6 = LinePlan::curvature(6, false);
  LinePlan overlapping = seeded(8000);
  ASSERT_TRUE(overlapping.extend(950, 550, k4));
  ASSERT_TRUE(overlapping.extend(1200, 500, k6));  // 1200 .. 1500 is dropped
  EXPECT_EQ(overlapping.plan_index(), 1701);
  // A curve lying wholly behind the computed points changes nothing.
  ASSERT_TRUE(overlapping.extend(1000, 100, k6));
  EXPECT_EQ(overlapping.plan_index(), 1701);

  LinePlan abutting = seeded(8000);
  ASSERT_TRUE(abutting.extend(950, 550, k4));
  ASSERT_TRUE(abutting.extend(1500, 200, k6));
  overlapping.complete();
  abutting.complete();
  const PlanValues o = overlapping.values();
  const PlanValues a = abutting.values();
  for (int m = 0; m <= 7998; ++m) {
    SCOPED_TRACE(m);
    ASSERT_EQ(x_at(o, m), x_at(a, m));
    ASSERT_EQ(y_at(o, m), y_at(a, m));
  }
}

TEST(LinePlan, CurvePastTheEndStopsAtTheLastRow) {
  LinePlan p = seeded(8000);
  EXPECT_TRUE(p.extend(7900, 5000, LinePlan::curvature(6, true)));
  EXPECT_EQ(p.plan_index(), 8001);
  EXPECT_EQ(p.rows(), 8001u);
  const PlanValues v = p.values();
  EXPECT_EQ(v.x[8000].tag, Tag::kReal);
  EXPECT_LT(x_at(v, 8000), 0.0);
  p.complete();  // nothing left to do
  EXPECT_EQ(p.plan_index(), 8001);
}

TEST(LinePlan, FailsWhenThePlanPassesOneMillionMetres) {
  struct Row {
    int32_t start, length;
  };
  const Row rows[] = {
      {1000000, 50},  // the straight run up to the start passes it
      {999990, 50},   // the curve passes it
  };
  LinePlan p;
  p.create(1007000);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.start);
    p.seed();
    EXPECT_FALSE(p.extend(r.start, r.length, LinePlan::curvature(1, false)));
    EXPECT_EQ(p.plan_index(), 1000001);
  }
  p.seed();
  EXPECT_TRUE(p.extend(999950, 49, LinePlan::curvature(1, false)));
  EXPECT_EQ(p.plan_index(), 1000000);
}

}  // namespace
}  // namespace scenario
