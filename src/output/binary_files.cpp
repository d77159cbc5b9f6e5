#include "output/binary_files.h"

#include <algorithm>
#include <stdexcept>
#include <string>

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

// One claim per cell: the grid of a long route has tens of thousands.
void put_cell(ByteWriter& out, const TrackCell& c) {
  char* p = out.claim(15);
  store_le(p, c.kind, 1);
  store_le(p + 1, static_cast<uint16_t>(c.value1), 2);
  store_le(p + 3, static_cast<uint16_t>(c.value2), 2);
  store_le(p + 5, static_cast<uint16_t>(c.value3), 2);
  store_le(p + 7, static_cast<uint16_t>(c.value4), 2);
  store_le(p + 9, c.signal_time, 1);
  store_le(p + 10, c.approach_code, 1);
  store_le(p + 11, c.montagna_type, 1);
  store_le(p + 12, c.speed_code, 1);
  store_le(p + 13, c.gradient_code, 1);
  store_le(p + 14, c.adhesion_code, 1);
}

// Sizes of the three kinds of element: tag, then value.
constexpr size_t kEmptySize = 2;
constexpr size_t kIntegerSize = 4;
constexpr size_t kRealSize = 10;

}  // namespace

FileBytes line_plan_bytes(const LinePlan& plan) {
  constexpr auto kInteger = static_cast<uint16_t>(PlanValue::Tag::kInteger);
  constexpr auto kReal = static_cast<uint16_t>(PlanValue::Tag::kReal);
  constexpr auto kEmpty = static_cast<uint16_t>(PlanValue::Tag::kEmpty);
  const size_t rows = plan.rows();
  const size_t made = plan.seeded() ? static_cast<size_t>(plan.plan_index()) : 0;
  if (made > rows) {
    throw std::logic_error("line plan of " + std::to_string(made) + " points in " +
                           std::to_string(rows) + " rows");
  }
  const size_t seeds = std::min<size_t>(made, 2);
  const size_t half =
      seeds * kIntegerSize + (made - seeds) * kRealSize + (rows - made) * kEmptySize;

  // Both halves are laid out in one block of the file's exact size and
  // filled side by side as the points are made: x values from the start,
  // y values from the middle.
  ByteWriter out;
  char* const x_half = out.claim(2 * half);
  char* const y_half = x_half + half;
  char* px = x_half;
  char* py = y_half;
  for (size_t m = 0; m < seeds; ++m, px += kIntegerSize, py += kIntegerSize) {
    store_le(px, kInteger, 2);
    store_le(px + 2, static_cast<uint16_t>(LinePlan::kSeedX[m]), 2);
    store_le(py, kInteger, 2);
    store_le(py + 2, static_cast<uint16_t>(LinePlan::kSeedY[m]), 2);
  }
  // The plan counts its points; one made beyond the count would write past
  // the block, so it is refused as the program fault it would be.
  const size_t points = made - seeds;
  size_t written = 0;
  plan.make_points([&](int32_t, double x, double y) {
    if (++written > points) throw std::logic_error("line plan makes more points than it counts");
    store_le(px, kReal, 2);
    store_le(px + 2, real_bits(x), 8);
    store_le(py, kReal, 2);
    store_le(py + 2, real_bits(y), 8);
    px += kRealSize;
    py += kRealSize;
  });
  if (written != points) throw std::logic_error("line plan makes fewer points than it counts");
  for (size_t m = made; m < rows; ++m, px += kEmptySize, py += kEmptySize) {
    store_le(px, kEmpty, 2);
    store_le(py, kEmpty, 2);
  }
  return out.take();
}

FileBytes line_plan_bytes(const std::vector<PlanValue>& x, const std::vector<PlanValue>& y) {
  ByteWriter out;
  out.reserve((x.size() + y.size()) * kRealSize);
  for (const PlanValue& v : x) put_plan_value(out, v);
  for (const PlanValue& v : y) put_plan_value(out, v);
  return out.take();
}

FileBytes train_file_bytes(const StationTable& table) {
  ByteWriter out;
  for (const StationRecord& r : table) put_station(out, r);
  return out.take();
}

FileBytes cell_grid_bytes(const CellGrid& grid) {
  ByteWriter out;
  out.reserve(grid.cells().size() * 15);
  for (const TrackCell& c : grid.cells()) put_cell(out, c);
  return out.take();
}

}  // namespace scenario
