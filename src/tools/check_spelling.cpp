#include "tools/check_spelling.h"

#include <algorithm>

#include "compiler/row_kinds.h"

namespace scenario::tools {

size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = lower_ascii(a[i - 1]) == lower_ascii(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> closest_words(std::string_view word,
                                       std::span<const std::string_view> candidates,
                                       size_t max_count) {
  struct Scored {
    size_t distance;
    size_t order;
    std::string_view text;
  };
  std::vector<Scored> scored;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const std::string_view c = candidates[i];
    const size_t limit = std::max<size_t>(2, std::max(word.size(), c.size()) / 3);
    const size_t d = edit_distance(word, c);
    if (d <= limit) scored.push_back({d, i, c});
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const Scored& x, const Scored& y) { return x.distance < y.distance; });
  std::vector<std::string> out;
  for (const Scored& s : scored) {
    if (out.size() == max_count) break;
    if (std::find(out.begin(), out.end(), s.text) == out.end()) out.emplace_back(s.text);
  }
  return out;
}

std::string quoted_alternatives(const std::vector<std::string>& words) {
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += i + 1 == words.size() ? " or " : ", ";
    out += "\"" + words[i] + "\"";
  }
  return out;
}

}  // namespace scenario::tools
