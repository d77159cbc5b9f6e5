#pragma once

// Helpers shared by the scenario_tool tests: the scratch directory, files on
// disk, compiled files built byte by byte, and a small XML checker.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/station_table.h"
#include "model/track_cell.h"
#include "sources/scenario_data.h"
#include "support/scoped_temp_dir.h"
#include "tools/scenario_tool.h"

namespace scenario::tools::testing {

/// The scratch directory of every test suite.
using TempDir = ::scenario::test_support::ScopedTempDir;

inline void write_file(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

/// Little-endian bytes appended field by field.
struct Bytes {
  std::string s;
  Bytes& u8(unsigned v) {
    s += static_cast<char>(v & 0xFF);
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& f64(double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    u32(static_cast<uint32_t>(bits));
    return u32(static_cast<uint32_t>(bits >> 32));
  }
  Bytes& text(std::string_view t) {
    u16(static_cast<unsigned>(t.size()));
    s += t;
    return *this;
  }
};

inline std::string cell_bytes(const TrackCell& c) {
  Bytes b;
  b.u8(c.kind)
      .u16(static_cast<uint16_t>(c.value1))
      .u16(static_cast<uint16_t>(c.value2))
      .u16(static_cast<uint16_t>(c.value3))
      .u16(static_cast<uint16_t>(c.value4))
      .u8(c.signal_time)
      .u8(c.approach_code)
      .u8(c.montagna_type)
      .u8(c.speed_code)
      .u8(c.gradient_code)
      .u8(c.adhesion_code);
  return b.s;
}

inline std::string grid_bytes(const std::vector<TrackCell>& cells) {
  std::string out;
  for (const TrackCell& c : cells) out += cell_bytes(c);
  return out;
}

inline std::string record_bytes(const StationRecord& r) {
  Bytes b;
  b.u8(r.station_kind)
      .u32(static_cast<uint32_t>(r.area_start_m))
      .u32(static_cast<uint32_t>(r.area_end_m))
      .u32(static_cast<uint32_t>(r.position_m))
      .u8(r.flag_a)
      .text(r.name)
      .u16(static_cast<uint16_t>(r.group_a1))
      .u16(static_cast<uint16_t>(r.group_a2))
      .u16(static_cast<uint16_t>(r.group_b1))
      .u16(static_cast<uint16_t>(r.group_b2))
      .u16(static_cast<uint16_t>(r.group_b3))
      .u8(r.group_a3)
      .u8(r.stop_value)
      .u8(r.end_extension)
      .u8(r.long_flag)
      .u32(static_cast<uint32_t>(r.time_s));
  return b.s;
}

inline std::string table_bytes(const StationTable& t) {
  std::string out;
  for (const StationRecord& r : t) out += record_bytes(r);
  return out;
}

/// Runs the tool in-process with the carried scenario.
struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

/// A short train description that compiles and checks clean beside a small
/// line description (each suite keeps its own); cases change one line with
/// `with`.
inline constexpr const char* kSmallTrain =
    "[generale]\r\n"
    "numero vetture,    6\r\n"
    "percentuale massa frenata,    110\r\n"
    "sabbia,    300\r\n"
    "orologio,    18              19            0 \r\n"
    "[aderenze]\r\n"
    "aderenza,       0,    90\r\n"
    "[vel_limite]\r\n"
    "velocita,   0,    80\r\n"
    "[stazioni]\r\n"
    "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,20, 0, VALDORNO\r\n"
    "stazione,   10000,  6,  500,  1, 0, 0,  4,1,0,  2,1,1,    0,  18,30, 0, FINE\r\n"
    "[segnali]\r\n"
    "segnale,   5050,   1, 4, 1,  0, 0,    1,  3,1,0, 0\r\n"
    "[fine]\r\n";

/// `text` with the first `from` replaced by `to`; a fixture without `from`
/// fails the test, so that a case never passes on an unchanged text.
inline std::string with(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos)
    ADD_FAILURE() << "fixture has no '" << from << "'";
  else
    text.replace(at, from.size(), to);
  return text;
}

inline ToolRun run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  ToolRun r;
  r.status = run_tool(args, out, err, carried_scenario());
  r.out = out.str();
  r.err = err.str();
  return r;
}

/// True when `doc` is well-formed XML in valid UTF-8: one root element,
/// tags nested and closed, attributes quoted and unique, only the five
/// predefined entities and character references. Fills `why` otherwise.
inline bool well_formed_xml(std::string_view doc, std::string* why) {
  // UTF-8 first: a single stray byte makes any XML parser give up.
  for (size_t i = 0; i < doc.size();) {
    const auto c = static_cast<unsigned char>(doc[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > doc.size()) {
      *why = "bad UTF-8 at byte " + std::to_string(i);
      return false;
    }
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(doc[i + k]) & 0xC0) != 0x80) {
        *why = "bad UTF-8 at byte " + std::to_string(i);
        return false;
      }
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      *why = "control character at byte " + std::to_string(i);
      return false;
    }
    i += n;
  }
  auto is_name = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' ||
           c == '.';
  };
  auto entities_ok = [](std::string_view t) {
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '<') return false;
      if (t[i] != '&') continue;
      const size_t semi = t.find(';', i);
      if (semi == std::string_view::npos) return false;
      const std::string_view ent = t.substr(i + 1, semi - i - 1);
      const bool named =
          ent == "amp" || ent == "lt" || ent == "gt" || ent == "quot" || ent == "apos";
      const bool numeric = ent.size() > 1 && ent[0] == '#' &&
                           ent.find_first_not_of("0123456789", 1) == std::string_view::npos;
      if (!named && !numeric) return false;
      i = semi;
    }
    return true;
  };
  std::vector<std::string> open;
  size_t roots = 0, i = 0;
  if (doc.substr(0, 5) == "<?xml") {
    i = doc.find("?>");
    if (i == std::string_view::npos) return *why = "unclosed declaration", false;
    i += 2;
  }
  while (i < doc.size()) {
    const size_t lt = doc.find('<', i);
    const std::string_view text =
        doc.substr(i, (lt == std::string_view::npos ? doc.size() : lt) - i);
    if (!entities_ok(text))
      return *why = "bad character data near byte " + std::to_string(i), false;
    if (open.empty() && text.find_first_not_of(" \t\r\n") != std::string_view::npos) {
      return *why = "text outside the root element near byte " + std::to_string(i), false;
    }
    if (lt == std::string_view::npos) break;
    if (doc.substr(lt, 4) == "<!--") {
      const size_t end = doc.find("-->", lt);
      if (end == std::string_view::npos) return *why = "unclosed comment", false;
      i = end + 3;
      continue;
    }
    const size_t gt = doc.find('>', lt);
    if (gt == std::string_view::npos)
      return *why = "unclosed tag at byte " + std::to_string(lt), false;
    std::string_view tag = doc.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    if (!tag.empty() && tag[0] == '/') {
      const std::string name(tag.substr(1));
      if (open.empty() || open.back() != name) {
        return *why = "</" + name + "> does not close <" + (open.empty() ? "" : open.back()) +
                      "> at byte " + std::to_string(lt),
               false;
      }
      open.pop_back();
      continue;
    }
    const bool empty = !tag.empty() && tag.back() == '/';
    if (empty) tag.remove_suffix(1);
    size_t p = 0;
    while (p < tag.size() && is_name(tag[p])) ++p;
    if (p == 0) return *why = "tag without a name at byte " + std::to_string(lt), false;
    const std::string name(tag.substr(0, p));
    std::set<std::string> attrs;
    while (true) {
      while (p < tag.size() && std::isspace(static_cast<unsigned char>(tag[p]))) ++p;
      if (p == tag.size()) break;
      const size_t a = p;
      while (p < tag.size() && is_name(tag[p])) ++p;
      if (p == a || p + 1 >= tag.size() || tag[p] != '=' ||
          (tag[p + 1] != '"' && tag[p + 1] != '\'')) {
        return *why = "bad attribute in <" + name + "> at byte " + std::to_string(lt), false;
      }
      if (!attrs.insert(std::string(tag.substr(a, p - a))).second) {
        return *why = "repeated attribute in <" + name + "> at byte " + std::to_string(lt), false;
      }
      const char q = tag[p + 1];
      const size_t close = tag.find(q, p + 2);
      if (close == std::string_view::npos || !entities_ok(tag.substr(p + 2, close - p - 2))) {
        return *why = "bad attribute value in <" + name + "> at byte " + std::to_string(lt), false;
      }
      p = close + 1;
    }
    if (open.empty() && ++roots > 1) return *why = "second root element", false;
    if (!empty) open.push_back(name);
  }
  if (!open.empty()) return *why = "<" + open.back() + "> never closed", false;
  if (roots != 1) return *why = "no root element", false;
  return true;
}

}  // namespace scenario::tools::testing
