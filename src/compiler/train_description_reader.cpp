#include "compiler/train_description_reader.h"

namespace scenario {

void read_train_description(BuildState&, FileSystem&, const std::string&, int32_t) {}

}  // namespace scenario
