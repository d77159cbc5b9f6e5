#pragma once

#include <cstdint>
#include <string_view>

namespace scenario {

/// CRC-32 as zip and PNG use it (reflected polynomial 0xEDB88320, initial
/// and final value 0xFFFFFFFF). Pass the result of one call as `crc` of the
/// next to checksum data that comes in pieces; start with 0.
uint32_t crc32(std::string_view bytes, uint32_t crc = 0);

}  // namespace scenario
