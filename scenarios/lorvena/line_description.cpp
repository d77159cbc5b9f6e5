#include "lorvena.h"

namespace scenario::lorvena {
namespace {

constexpr std::string_view kLines[] = {
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> line_description() { return kLines; }

}  // namespace scenario::lorvena
