#pragma once

#include <string>
#include <string_view>

namespace scenario::tools {

/// The compiled files and source texts hold one byte per character in code
/// page 1252; JSON and SVG want UTF-8. Bytes that code page leaves undefined
/// become U+FFFD. Control characters pass through unchanged.
std::string cp1252_to_utf8(std::string_view text);

/// cp1252_to_utf8, then escaped for XML character data and attribute
/// values. Control characters that XML 1.0 forbids become U+FFFD.
std::string xml_text(std::string_view text);

}  // namespace scenario::tools
