#pragma once

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

/// The plan view of the line: an x-y point per metre, metres 0 ..
/// grid_length_m. x values are stored first, then y values, as in the file.
class LinePlan {
 public:
  /// No plan may step past this metre index.
  static constexpr int32_t kMaxPlanIndex = 1000000;

  /// (grid_length_m + 1) x 2 empty elements.
  void create(int32_t grid_length_m);
  bool exists() const { return !x_.empty(); }
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
  const std::vector<PlanValue>& x() const { return x_; }
  const std::vector<PlanValue>& y() const { return y_; }

 private:
  void straight_step();
  void curve_step(double k);

  std::vector<PlanValue> x_;
  std::vector<PlanValue> y_;
  int32_t grid_length_m_ = 0;
  int32_t plan_index_ = 0;
};

}  // namespace scenario
