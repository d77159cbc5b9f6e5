#include "output/binary_files.h"

#include <stdexcept>

#include "output/byte_writer.h"

namespace scenario {
namespace {

/// The longest name a 2-byte character count can describe.
constexpr size_t kMaxNameLength = 32767;

void put_plan_value(ByteWriter& out, const PlanValue& v) {
  out.u16(static_cast<uint16_t>(v.tag));
  switch (v.tag) {
    case PlanValue::Tag::kEmpty:
      break;
    case PlanValue::Tag::kInteger:
      out.i16(v.integer);
      break;
    case PlanValue::Tag::kReal:
      out.f64(v.real);
      break;
  }
}

void put_station(ByteWriter& out, const StationRecord& r) {
  if (r.name.size() > kMaxNameLength) {
    throw std::length_error("station name of " + std::to_string(r.name.size()) + " characters");
  }
  out.u8(r.station_kind);
  out.i32(r.area_start_m);
  out.i32(r.area_end_m);
  out.i32(r.position_m);
  out.u8(r.flag_a);
  out.u16(static_cast<uint16_t>(r.name.size()));
  out.bytes(r.name);
  out.i16(r.group_a1);
  out.i16(r.group_a2);
  out.i16(r.group_b1);
  out.i16(r.group_b2);
  out.i16(r.group_b3);
  out.u8(r.group_a3);
  out.u8(r.stop_value);
  out.u8(r.end_extension);
  out.u8(r.long_flag);
  out.i32(r.time_s);
}

void put_cell(ByteWriter& out, const TrackCell& c) {
  out.u8(c.kind);
  out.i16(c.value1);
  out.i16(c.value2);
  out.i16(c.value3);
  out.i16(c.value4);
  out.u8(c.signal_time);
  out.u8(c.approach_code);
  out.u8(c.montagna_type);
  out.u8(c.speed_code);
  out.u8(c.gradient_code);
  out.u8(c.adhesion_code);
}

}  // namespace

std::string line_plan_bytes(const LinePlan& plan) { return line_plan_bytes(plan.x(), plan.y()); }

std::string line_plan_bytes(const std::vector<PlanValue>& x, const std::vector<PlanValue>& y) {
  ByteWriter out;
  // A million-metre route gives some 20 MB: sized once, not regrown.
  out.reserve((x.size() + y.size()) * 10);
  for (const PlanValue& v : x) put_plan_value(out, v);
  for (const PlanValue& v : y) put_plan_value(out, v);
  return out.take();
}

std::string train_file_bytes(const StationTable& table) {
  ByteWriter out;
  for (const StationRecord& r : table) put_station(out, r);
  return out.take();
}

std::string cell_grid_bytes(const CellGrid& grid) {
  ByteWriter out;
  out.reserve(grid.cells().size() * 15);
  for (const TrackCell& c : grid.cells()) put_cell(out, c);
  return out.take();
}

}  // namespace scenario
