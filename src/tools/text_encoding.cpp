#include "tools/text_encoding.h"

#include <cstdint>

namespace scenario::tools {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80 .. 0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t code_point(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const char32_t cp = kHighControls[byte - 0x80];
  return cp == 0 ? kReplacement : cp;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string cp1252_to_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) append_utf8(out, code_point(static_cast<unsigned char>(c)));
  return out;
}

namespace {
bool is_control(unsigned char b) { return b < 0x20 || b == 0x7F; }
}  // namespace

std::string escape_controls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  constexpr char kHex[] = "0123456789abcdef";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (is_control(b)) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::string printable_line(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    append_utf8(out, c != '\t' && is_control(b) ? kReplacement : code_point(b));
  }
  return out;
}

std::string xml_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const char32_t cp = code_point(static_cast<unsigned char>(c));
    switch (cp) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') || cp == 0x7F) {
          append_utf8(out, kReplacement);
        } else {
          append_utf8(out, cp);
        }
    }
  }
  return out;
}

}  // namespace scenario::tools
