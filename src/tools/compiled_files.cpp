#include "tools/compiled_files.h"

#include <fmt/format.h>

#include <bit>

#include "platform/file_system.h"
#include "platform/host_path.h"

namespace scenario::tools {

bool read_from_disk(const std::string& what, const std::string& path, std::string* bytes,
                    std::ostream& err) {
  DiskFileSystem disk;
  if (!disk.is_regular_file(path)) {
    const HostEntry entry = host_entry(path);
    err << "scenario_tool: cannot read the " << what << " '" << path << "': "
        << (entry == HostEntry::kDirectory ? "it is a folder; give the text file in it"
            : entry == HostEntry::kOther   ? "not an ordinary file"
                                           : "no such file")
        << "\n";
    return false;
  }
  try {
    *bytes = disk.read_file(path);
  } catch (const FileError& e) {
    err << "scenario_tool: cannot read the " << what << ": " << e.what() << "\n";
    return false;
  }
  return true;
}

bool create_directory(const std::string& dir, std::ostream& err) {
  const std::error_code ec = create_host_directories(dir);
  if (ec) err << "scenario_tool: cannot create '" << dir << "': " << ec.message() << "\n";
  return !ec;
}

std::string without_trailing_separators(std::string dir) {
  // A root keeps its one separator: "/" and "X:\".
  const auto is_separator = [](char c) { return c == '/' || c == host_path_separator(); };
  while (dir.size() > 1 && is_separator(dir.back()) && !(dir.size() == 3 && dir[1] == ':')) {
    dir.pop_back();
  }
  return dir;
}

std::string clock_text(int64_t seconds) {
  return fmt::format("{:02}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

namespace {

// Little-endian reads by shifting, so the result does not depend on the host.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  size_t left() const { return bytes_.size() - pos_; }

  uint8_t u8() { return static_cast<uint8_t>(bytes_[pos_++]); }
  uint16_t u16() {
    const uint16_t lo = u8();
    const uint16_t hi = u8();
    return static_cast<uint16_t>(lo | (hi << 8));
  }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
    return v;
  }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  uint64_t u64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(u8()) << (8 * i);
    return v;
  }
  std::string text(size_t n) {
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

CompiledFormat format_from_name(std::string_view path) {
  if (path.ends_with("_linea.dat")) return CompiledFormat::kLinePlan;
  if (path.ends_with(".sim")) return CompiledFormat::kTrainFile;
  if (path.ends_with(".dat")) return CompiledFormat::kCellGrid;
  return CompiledFormat::kUnknown;
}

bool parse_cell_grid(std::string_view bytes, std::vector<TrackCell>* cells, std::string* err) {
  if (bytes.empty()) {
    *err = "cell grid file is empty (offset 0): it holds at least one cell of 15 bytes";
    return false;
  }
  if (bytes.size() % kCellBytes != 0) {
    const size_t whole = bytes.size() / kCellBytes;
    *err = "cell grid file of " + std::to_string(bytes.size()) +
           " bytes is not a whole number of 15-byte cells: " +
           std::to_string(bytes.size() - whole * kCellBytes) + " bytes left over at offset " +
           std::to_string(whole * kCellBytes);
    return false;
  }
  ByteReader in(bytes);
  cells->clear();
  cells->reserve(bytes.size() / kCellBytes);
  while (in.left() > 0) {
    TrackCell c;
    c.kind = in.u8();
    c.value1 = in.i16();
    c.value2 = in.i16();
    c.value3 = in.i16();
    c.value4 = in.i16();
    c.signal_time = in.u8();
    c.approach_code = in.u8();
    c.montagna_type = in.u8();
    c.speed_code = in.u8();
    c.gradient_code = in.u8();
    c.adhesion_code = in.u8();
    cells->push_back(c);
  }
  return true;
}

bool parse_train_file(std::string_view bytes, StationTable* table, std::string* err) {
  ByteReader in(bytes);
  for (int slot = 0; slot < kStationSlots; ++slot) {
    const size_t record_offset = in.offset();
    // Fixed part before the name: kind, three longs, flag_a, name count.
    constexpr size_t kHead = 1 + 4 + 4 + 4 + 1 + 2;
    constexpr size_t kTail = 5 * 2 + 4 * 1 + 4;
    auto cut_off = [&](const char* what, size_t need) {
      *err = "train file ends inside record " + std::to_string(slot) + " (offset " +
             std::to_string(record_offset) + "): " + std::to_string(need) + " bytes of " + what +
             " needed at offset " + std::to_string(in.offset()) + ", but the file ends at " +
             std::to_string(bytes.size()) + " (a train file holds exactly 87 records)";
      return false;
    };
    if (in.left() < kHead) return cut_off("the fixed fields", kHead);
    StationRecord r;
    r.station_kind = in.u8();
    r.area_start_m = in.i32();
    r.area_end_m = in.i32();
    r.position_m = in.i32();
    r.flag_a = in.u8();
    const uint16_t n = in.u16();
    if (in.left() < n) return cut_off("the name", n);
    r.name = in.text(n);
    if (in.left() < kTail) return cut_off("the fields after the name", kTail);
    r.group_a1 = in.i16();
    r.group_a2 = in.i16();
    r.group_b1 = in.i16();
    r.group_b2 = in.i16();
    r.group_b3 = in.i16();
    r.group_a3 = in.u8();
    r.stop_value = in.u8();
    r.end_extension = in.u8();
    r.long_flag = in.u8();
    r.time_s = in.i32();
    (*table)[static_cast<size_t>(slot)] = std::move(r);
  }
  if (in.left() > 0) {
    *err = "train file has " + std::to_string(in.left()) +
           " bytes after its 87th record, from offset " + std::to_string(in.offset()) +
           " (a train file holds exactly 87 records)";
    return false;
  }
  return true;
}

bool parse_line_plan(std::string_view bytes, PlanFile* plan, std::string* err) {
  if (bytes.empty()) {
    *err = "line plan file is empty (offset 0)";
    return false;
  }
  ByteReader in(bytes);
  std::vector<PlanValue> all;
  std::vector<size_t> offsets;
  while (in.left() > 0) {
    const size_t at = in.offset();
    if (in.left() < 2) {
      *err = "line plan file ends inside the tag of element " + std::to_string(all.size()) +
             " at offset " + std::to_string(at);
      return false;
    }
    const uint16_t tag = in.u16();
    PlanValue v;
    if (tag == static_cast<uint16_t>(PlanValue::Tag::kEmpty)) {
      v = PlanValue{};
    } else if (tag == static_cast<uint16_t>(PlanValue::Tag::kInteger)) {
      if (in.left() < 2) {
        *err = "line plan file ends inside the integer of element " + std::to_string(all.size()) +
               " at offset " + std::to_string(at);
        return false;
      }
      v = PlanValue::of_integer(in.i16());
    } else if (tag == static_cast<uint16_t>(PlanValue::Tag::kReal)) {
      if (in.left() < 8) {
        *err = "line plan file ends inside the real of element " + std::to_string(all.size()) +
               " at offset " + std::to_string(at);
        return false;
      }
      v = PlanValue::of_real(std::bit_cast<double>(in.u64()));
    } else {
      *err = "line plan file has the unknown tag " + std::to_string(tag) + " at offset " +
             std::to_string(at) + " (element " + std::to_string(all.size()) +
             "); the tags are 0 empty, 2 integer, 5 real";
      return false;
    }
    all.push_back(v);
    offsets.push_back(at);
  }
  if (all.size() % 2 != 0) {
    *err = "line plan file holds an odd number of elements (" + std::to_string(all.size()) +
           "), so its x and y halves cannot match; the y half would start at offset " +
           std::to_string(offsets[all.size() / 2]);
    return false;
  }
  const size_t rows = all.size() / 2;
  for (size_t m = 0; m < rows; ++m) {
    if (all[m].tag != all[rows + m].tag) {
      *err = "line plan halves disagree at metre " + std::to_string(m) + ": x has tag " +
             std::to_string(static_cast<int>(all[m].tag)) + " at offset " +
             std::to_string(offsets[m]) + ", y has tag " +
             std::to_string(static_cast<int>(all[rows + m].tag)) + " at offset " +
             std::to_string(offsets[rows + m]);
      return false;
    }
  }
  plan->x.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(rows));
  plan->y.assign(all.begin() + static_cast<std::ptrdiff_t>(rows), all.end());
  return true;
}

std::vector<Run> runs_of(const std::vector<TrackCell>& cells,
                         const std::function<int(const TrackCell&)>& value) {
  std::vector<Run> runs;
  for (size_t i = 0; i < cells.size(); ++i) {
    const int v = value(cells[i]);
    if (!runs.empty() && runs.back().value == v) {
      runs.back().last = static_cast<int64_t>(i);
    } else {
      runs.push_back({static_cast<int64_t>(i), static_cast<int64_t>(i), v});
    }
  }
  return runs;
}

int speed_kmh(const TrackCell& c) { return c.speed_code * 5; }
int gradient(const TrackCell& c) { return c.gradient_code - 100; }
int adhesion(const TrackCell& c) { return c.adhesion_code; }

std::string kind_name(uint8_t kind) {
  const std::string_view name = cell_kind_name(kind);
  return name.empty() ? "unknown kind " + std::to_string(kind) : std::string(name);
}

bool cell_in_use(const TrackCell& c) {
  return c.kind != 0 || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 || c.value4 != 0 ||
         c.signal_time != 0 || c.approach_code != 0;
}

bool slot_in_use(const StationRecord& r) { return !(r == StationRecord{}); }

std::string slot_role(int slot, const StationRecord& r) {
  switch (slot) {
    case 0:
      return "";
    case kProgressiveTreSlot:
      return "kilometric progressive (tre)";
    case kProgressiveDueSlot:
      return "kilometric progressive (due)";
    case kProgressiveUnoSlot:
      return "kilometric progressive (uno)";
    case kTrainValuesSlot:
      return "train values";
    case kScenarioSlot:
      return "scenario";
    case kTrainSlot:
      return "train";
    default:
      break;
  }
  StationRecord name_only;
  name_only.name = r.name;
  return !r.name.empty() && r == name_only ? "board text" : "station";
}

}  // namespace scenario::tools
