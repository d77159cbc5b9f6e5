#include "model/line_plan.h"

#include <stdexcept>
#include <string>

namespace scenario {

double PlanValue::as_real() const {
  return tag == Tag::kReal ? real : tag == Tag::kInteger ? integer : 0.0;
}

void LinePlan::create(int32_t grid_length_m) {
  if (grid_length_m < 2) {
    throw std::invalid_argument("line plan of " + std::to_string(grid_length_m) + " m");
  }
  x_.assign(static_cast<size_t>(grid_length_m) + 1, PlanValue{});
  y_.assign(static_cast<size_t>(grid_length_m) + 1, PlanValue{});
  grid_length_m_ = grid_length_m;
  plan_index_ = 0;
}

void LinePlan::clear() {
  x_.clear();
  y_.clear();
  grid_length_m_ = 0;
  plan_index_ = 0;
}

void LinePlan::seed() {
  if (!exists()) return;
  x_[0] = PlanValue::of_integer(0);
  y_[0] = PlanValue::of_integer(0);
  x_[1] = PlanValue::of_integer(0);
  y_[1] = PlanValue::of_integer(1);
  plan_index_ = 2;
}

bool LinePlan::extend(int32_t start_m, int32_t length_m, double k) {
  if (!exists() || plan_index_ < 2) return true;
  // The reader tests only the start against the grid, so the end of a curve
  // may lie beyond the table: the plan then stops at its last row.
  const int64_t end_m = int64_t{start_m} + length_m;
  while (plan_index_ <= start_m) {
    if (plan_index_ > grid_length_m_) return true;
    straight_step();
    if (plan_index_ > kMaxPlanIndex) return false;
  }
  while (plan_index_ <= end_m) {
    if (plan_index_ > grid_length_m_) return true;
    curve_step(k);
    if (plan_index_ > kMaxPlanIndex) return false;
  }
  return true;
}

void LinePlan::complete() {
  if (!exists() || plan_index_ < 2) return;
  while (plan_index_ <= grid_length_m_ - 2) straight_step();
}

double LinePlan::curvature(int curve_class, bool left_hand) {
  // Curvature per metre of the six classes (radii 10000, 5000, 2500, 1000,
  // 500 and 333 1/3 m). A right-hand curve turns the heading towards +x.
  static constexpr double kByClass[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  if (curve_class < 1 || curve_class > 6) {
    throw std::invalid_argument("curve class " + std::to_string(curve_class));
  }
  const double k = kByClass[curve_class - 1];
  return left_hand ? -k : k;
}

// Both steps work on the stored values, integer or real, so the first step
// after the seed starts from the integer points 0 and 1 exactly.
void LinePlan::straight_step() {
  const size_t m = static_cast<size_t>(plan_index_);
  const double x1 = x_[m - 1].as_real();
  const double y1 = y_[m - 1].as_real();
  const double dx = x1 - x_[m - 2].as_real();
  const double dy = y1 - y_[m - 2].as_real();
  x_[m] = PlanValue::of_real(x1 + dx);
  y_[m] = PlanValue::of_real(y1 + dy);
  ++plan_index_;
}

// A first-order rotation of the last step by k radians. The step length is
// deliberately not renormalised: it grows by sqrt(1 + k*k) per curve step,
// and the points are those of these steps, not of an exact arc.
void LinePlan::curve_step(double k) {
  const size_t m = static_cast<size_t>(plan_index_);
  const double x1 = x_[m - 1].as_real();
  const double y1 = y_[m - 1].as_real();
  const double dx = x1 - x_[m - 2].as_real();
  const double dy = y1 - y_[m - 2].as_real();
  x_[m] = PlanValue::of_real(x1 + (dy * k + dx));
  y_[m] = PlanValue::of_real(y1 + (dy - dx * k));
  ++plan_index_;
}

}  // namespace scenario
