#pragma once

#include <string>
#include <string_view>

namespace scenario::tools {

/// The compiled files and source texts hold one byte per character in code
/// page 1252; JSON and SVG want UTF-8. Bytes that code page leaves undefined
/// become U+FFFD. Control characters pass through unchanged.
std::string cp1252_to_utf8(std::string_view text);

/// UTF-8 text with every control character (below 0x20, and 0x7F) written
/// as \xNN: a message quotes the author's items, and a raw escape or form
/// feed would reach the terminal.
std::string escape_controls(std::string_view utf8);

/// cp1252_to_utf8 for one line shown as it is: control characters other
/// than a tab become U+FFFD, one column each, so that a caret under the
/// line still lines up.
std::string printable_line(std::string_view text);

/// cp1252_to_utf8, then escaped for XML character data and attribute
/// values. Control characters that XML 1.0 forbids become U+FFFD.
std::string xml_text(std::string_view text);

}  // namespace scenario::tools
