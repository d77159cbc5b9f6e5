#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "sources/text_writer.h"

namespace scenario {

/// The lines of a carried text as they reach the file: the writer's bytes cut
/// after every CR LF. A stray CR or LF, or bytes after the last line end, fail
/// the calling test.
inline std::vector<std::string> written_lines(std::span<const std::string_view> table) {
  const std::string bytes = text_file_bytes(table);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "bytes after the last CR LF: " << bytes.substr(start);
      break;
    }
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in: " << line;
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

/// A section line and how many rows follow it.
struct Section {
  const char* line;
  size_t rows;
};

/// Checks that `lines` is exactly `sections` in order, each section line
/// followed by its number of rows.
inline void expect_sections(const std::vector<std::string>& lines,
                            std::initializer_list<Section> sections) {
  size_t at = 0;
  for (const Section& s : sections) {
    SCOPED_TRACE(s.line);
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at], s.line);
    at += 1 + s.rows;
  }
  EXPECT_EQ(at, lines.size());
}

/// The rows between `section` and the next line that starts with "[".
inline std::vector<std::string> section_rows(const std::vector<std::string>& lines,
                                             std::string_view section) {
  std::vector<std::string> rows;
  size_t i = 0;
  while (i < lines.size() && lines[i] != section) ++i;
  EXPECT_LT(i, lines.size()) << "no section " << section;
  for (++i; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
    rows.push_back(lines[i]);
  }
  return rows;
}

/// A row's comma-separated items with the blanks around each removed.
inline std::vector<std::string> items(std::string_view row) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = row.find(',', start);
    std::string_view item =
        row.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const size_t first = item.find_first_not_of(' ');
    const size_t last = item.find_last_not_of(' ');
    out.emplace_back(first == std::string_view::npos ? std::string_view()
                                                     : item.substr(first, last - first + 1));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

inline std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

inline std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// True when a document's `name` stands for the station name `station`: as
/// many words, each the same (case aside) or an abbreviation ending in "."
/// ("S. LAURO" for "SAN LAURO").
inline bool names_match(const std::string& name, const std::string& station) {
  std::istringstream a(lower(name));
  std::istringstream b(lower(station));
  std::string x;
  std::string y;
  while (a >> x) {
    if (!(b >> y)) return false;
    if (x == y) continue;
    if (x.back() != '.' || y.compare(0, x.size() - 1, x, 0, x.size() - 1) != 0) return false;
  }
  return !(b >> y);
}

}  // namespace scenario
