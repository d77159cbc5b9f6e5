#pragma once

#include <span>
#include <string_view>

#include "compiler/diagnostic.h"

namespace scenario {

/// Every rule `check` knows: the errors (each a code the builder records)
/// first, then the warnings. Ids are stable: authors search, silence and
/// count them.
std::span<const CheckRule> check_rules();

/// The rule with this id, or nullptr.
const CheckRule* find_check_rule(std::string_view id);

}  // namespace scenario
