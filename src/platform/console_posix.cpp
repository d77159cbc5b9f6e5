#include "platform/console.h"

namespace scenario {

std::vector<std::string> program_arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

void use_utf8_console() {}

}  // namespace scenario
