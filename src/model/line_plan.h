#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenario {

/// One element of the line plan. The tag is part of the line plan file.
struct PlanValue {
  enum class Tag : uint16_t { kEmpty = 0, kInteger = 2, kReal = 5 };
  Tag tag = Tag::kEmpty;
  int16_t integer = 0;
  double real = 0.0;

  static PlanValue of_integer(int16_t v) { return {Tag::kInteger, v, 0.0}; }
  static PlanValue of_real(double v) { return {Tag::kReal, 0, v}; }
  /// The value as a real; an empty element counts as 0.
  double as_real() const;
};

/// Every row of a plan, x values and y values apart.
struct PlanValues {
  std::vector<PlanValue> x;
  std::vector<PlanValue> y;
};

/// The plan view of the line: an x-y point per metre, rows 0 ..
/// grid_length_m. Rows 0 and 1 are the integer seed (0, 0) and (0, 1); each
/// further point is one step from the two before it, straight or turned;
/// rows from plan_index() on stay empty.
///
/// A point depends on all the steps before it and on nothing else, so the
/// plan is kept as its runs of steps (a few per curve) and the points are
/// made once, in order, when they are needed: a 1000 km route has two
/// million values, which are worth making only straight into the file.
class LinePlan {
 public:
  /// No plan may step past this metre index.
  static constexpr int32_t kMaxPlanIndex = 1000000;
  /// The seed rows 0 and 1: the points (0, 0) and (0, 1), as integers.
  static constexpr int16_t kSeedX[2] = {0, 0};
  static constexpr int16_t kSeedY[2] = {0, 1};

  /// (grid_length_m + 1) x 2 empty elements.
  void create(int32_t grid_length_m);
  bool exists() const { return grid_length_m_ > 0; }
  void clear();

  /// Points 0 = (0, 0) and 1 = (0, 1) as 16-bit integers; plan_index = 2.
  void seed();

  /// Straight up to `start_m`, then the curve of signed curvature `k` up to
  /// start_m + length_m. Returns false when plan_index passes kMaxPlanIndex
  /// (code 103). Never steps past the last row of the table: a curve whose
  /// end lies beyond the plan stops at the plan's end.
  bool extend(int32_t start_m, int32_t length_m, double k);

  /// Straight steps up to grid_length_m - 2.
  void complete();

  /// Curvature of a curve class 1..6, negated for a left-hand curve.
  static double curvature(int curve_class, bool left_hand);

  int32_t plan_index() const { return plan_index_; }
  int32_t grid_length_m() const { return grid_length_m_; }
  /// Rows of the table: grid_length_m + 1, or 0 when there is no plan.
  size_t rows() const { return exists() ? static_cast<size_t>(grid_length_m_) + 1 : 0; }
  /// True once the seed rows are in place (plan_index() is then 2 or more).
  bool seeded() const { return plan_index_ >= 2; }

  /// Makes the points of rows 2 .. plan_index() - 1 in order and hands each
  /// to visit(row, x, y). The seed rows are not visited.
  template <class Visit>
  void make_points(Visit&& visit) const;

  /// Every row as it goes into the file: seed, points, empty rows. Holds
  /// the whole table; for tests and small plans.
  PlanValues values() const;

 private:
  /// `steps` steps of one kind: straight (k unused) or turned by k radians.
  struct Run {
    int32_t steps;
    bool curve;
    double k;
  };

  bool add_steps(int64_t last_m, bool curve, double k, int64_t limit);

  template <bool kCurve, class Visit>
  static void make_run(int32_t steps, double k, int32_t& row, double (&x)[2], double (&y)[2],
                       Visit& visit);

  std::vector<Run> runs_;
  int32_t grid_length_m_ = 0;
  int32_t plan_index_ = 0;
};

// A straight step repeats the last step; a curve step is a first-order
// rotation of it by k radians. The step length is deliberately not
// renormalised: it grows by sqrt(1 + k*k) per curve step, and the points are
// those of these steps, not of an exact arc. The first step starts from the
// integer seed points exactly.
template <bool kCurve, class Visit>
void LinePlan::make_run(int32_t steps, double k, int32_t& row, double (&x)[2], double (&y)[2],
                        Visit& visit) {
  double x0 = x[0];
  double y0 = y[0];
  double x1 = x[1];
  double y1 = y[1];
  for (int32_t i = 0; i < steps; ++i) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double x2;
    double y2;
    if constexpr (kCurve) {
      x2 = x1 + (dy * k + dx);
      y2 = y1 + (dy - dx * k);
    } else {
      (void)k;
      x2 = x1 + dx;
      y2 = y1 + dy;
    }
    visit(row++, x2, y2);
    x0 = x1;
    y0 = y1;
    x1 = x2;
    y1 = y2;
  }
  x[0] = x0;
  y[0] = y0;
  x[1] = x1;
  y[1] = y1;
}

template <class Visit>
void LinePlan::make_points(Visit&& visit) const {
  if (!seeded()) return;
  double x[2] = {kSeedX[0], kSeedX[1]};
  double y[2] = {kSeedY[0], kSeedY[1]};
  int32_t row = 2;
  for (const Run& r : runs_) {
    if (r.curve) {
      make_run<true>(r.steps, r.k, row, x, y, visit);
    } else {
      make_run<false>(r.steps, r.k, row, x, y, visit);
    }
  }
}

}  // namespace scenario
