#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/row_kinds.h"

namespace scenario::tools {

/// The reference for authors as Markdown, generated from the table of row
/// kinds, the file rules, the names `inspect` prints and the rules of
/// `check`. docs/description-format.md is exactly this text.
std::string format_reference_markdown();

/// One row kind as plain text: its key test, every value with type, unit,
/// range and effect, its rules and its example.
std::string row_kind_text(const RowKind& kind);

/// Every key word with its zone and summary, one line each.
std::string key_word_list();

/// The kinds `word` names: the kind whose key it is (case ignored); failing
/// that, every kind whose key test it passes, as a key item in the texts
/// would ("curvad2" is a curve). Empty when it names none.
std::vector<const RowKind*> find_row_kinds(std::string_view word);

/// Up to `count` key words closest to `word`: those that contain it first,
/// then by edit distance, leaving out words too far to be a slip.
std::vector<std::string_view> closest_key_words(std::string_view word, size_t count);

/// The zone a header line belongs to ("[stazioni]"), or nullptr.
const ZoneRules* header_line_zone(std::string_view word);

}  // namespace scenario::tools
