#include "model/line_plan.h"

namespace scenario {

double PlanValue::as_real() const {
  return tag == Tag::kReal ? real : tag == Tag::kInteger ? integer : 0.0;
}
void LinePlan::create(int32_t) {}
void LinePlan::clear() {
  x_.clear();
  y_.clear();
  grid_length_m_ = 0;
  plan_index_ = 0;
}
void LinePlan::seed() {}
bool LinePlan::extend(int32_t, int32_t, double) { return true; }
void LinePlan::complete() {}
double LinePlan::curvature(int, bool) { return 0.0; }
void LinePlan::straight_step() {}
void LinePlan::curve_step(double) {}

}  // namespace scenario
