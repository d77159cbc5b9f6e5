#include "output/error_codes.h"

#include "model/error_code.h"

namespace scenario {

std::string_view error_code_meaning(int32_t code) {
  const ErrorCodeInfo* info = find_error_code(code);
  return info != nullptr ? info->meaning : "unknown code";
}

}  // namespace scenario
