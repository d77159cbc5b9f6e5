#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tools {

/// Levenshtein distance, ASCII case ignored: "Stazoine" is two edits from
/// "stazione".
size_t edit_distance(std::string_view a, std::string_view b);

/// The candidates nearest to `word`, at most `max_count`, nearest first and
/// in candidate order among equals; only those within a third of the
/// longer word's length (at least 2 edits), so that a word with no near
/// neighbour gets no suggestion rather than a random one.
std::vector<std::string> closest_words(std::string_view word,
                                       std::span<const std::string_view> candidates,
                                       size_t max_count = 3);

/// "a", "a or b", "a, b or c", each in double quotes.
std::string quoted_alternatives(const std::vector<std::string>& words);

}  // namespace scenario::tools
