#include "model/line_plan.h"

#include <algorithm>
#include <limits>
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
  runs_.clear();
  grid_length_m_ = grid_length_m;
  plan_index_ = 0;
}

void LinePlan::clear() {
  runs_.clear();
  grid_length_m_ = 0;
  plan_index_ = 0;
}

void LinePlan::seed() {
  if (!exists()) return;
  runs_.clear();
  plan_index_ = 2;
}

bool LinePlan::extend(int32_t start_m, int32_t length_m, double k) {
  if (!exists() || !seeded()) return true;
  // The reader tests only the start against the grid, so the end of a curve
  // may lie beyond the table: the plan then stops at its last row.
  const int64_t end_m = int64_t{start_m} + length_m;
  if (!add_steps(start_m, false, 0.0, kMaxPlanIndex)) return false;
  return add_steps(end_m, true, k, kMaxPlanIndex);
}

void LinePlan::complete() {
  if (!exists() || !seeded()) return;
  add_steps(int64_t{grid_length_m_} - 2, false, 0.0, std::numeric_limits<int64_t>::max());
}

// Steps while plan_index_ <= last_m and the table has a row left; false when
// plan_index_ passes `limit`, after the step that passed it.
bool LinePlan::add_steps(int64_t last_m, bool curve, double k, int64_t limit) {
  const int64_t through = std::min<int64_t>(last_m, grid_length_m_);
  if (plan_index_ > through) return true;
  int64_t steps = through - plan_index_ + 1;
  bool within_limit = true;
  if (plan_index_ + steps > limit) {
    steps = std::max<int64_t>(limit - plan_index_ + 1, 1);
    within_limit = false;
  }
  // Consecutive straight runs, and turns by the same k, are one run.
  if (!runs_.empty() && runs_.back().curve == curve && (!curve || runs_.back().k == k)) {
    runs_.back().steps += static_cast<int32_t>(steps);
  } else {
    runs_.push_back(Run{static_cast<int32_t>(steps), curve, curve ? k : 0.0});
  }
  plan_index_ += static_cast<int32_t>(steps);
  return within_limit;
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

PlanValues LinePlan::values() const {
  PlanValues v;
  v.x.resize(rows());
  v.y.resize(rows());
  if (!seeded()) return v;
  for (size_t m = 0; m < 2; ++m) {
    v.x[m] = PlanValue::of_integer(kSeedX[m]);
    v.y[m] = PlanValue::of_integer(kSeedY[m]);
  }
  make_points([&v](int32_t row, double x, double y) {
    v.x[static_cast<size_t>(row)] = PlanValue::of_real(x);
    v.y[static_cast<size_t>(row)] = PlanValue::of_real(y);
  });
  return v;
}

}  // namespace scenario
