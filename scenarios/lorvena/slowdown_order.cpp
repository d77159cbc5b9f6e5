#include "lorvena.h"

namespace scenario::lorvena {
namespace {

constexpr std::string_view kLines[] = {
    "riferimento fine del file",
};

}  // namespace

std::span<const std::string_view> slowdown_order() { return kLines; }

}  // namespace scenario::lorvena
