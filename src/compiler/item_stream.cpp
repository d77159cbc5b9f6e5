#include "compiler/item_stream.h"

namespace scenario {

ItemStream::ItemStream(std::string text) : text_(std::move(text)) {}
bool ItemStream::at_end() const { return true; }
std::string ItemStream::read_text() { return {}; }
int32_t ItemStream::read_long() { return 0; }
int16_t ItemStream::read_integer() { return 0; }
uint8_t ItemStream::read_byte() { return 0; }

}  // namespace scenario
