#include "sources/scenario_validity.h"

#include <cstdio>

#include "sources/scenario_data.h"

namespace scenario {
namespace {

bool name_character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool reserved_device_name(std::string_view name) {
  std::string u;
  for (const char c : name) u.push_back(upper(c));
  if (u == "CON" || u == "PRN" || u == "AUX" || u == "NUL") return true;
  return u.size() == 4 && (u.starts_with("COM") || u.starts_with("LPT")) && u[3] >= '1' &&
         u[3] <= '9';
}

std::string hex_byte(unsigned char b) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", b);
  return buffer;
}

}  // namespace

std::string_view text_title(TextKind kind) {
  switch (kind) {
    case TextKind::kLineDescription:
      return "line description";
    case TextKind::kTrainDescription:
      return "train description";
    case TextKind::kNotes:
      return "notes";
    case TextKind::kSlowdownOrder:
      return "slow-down order";
    case TextKind::kTimetableSheet:
      return "timetable sheet";
  }
  return "text";
}

std::optional<std::string> name_problem(std::string_view name) {
  if (name.empty()) return "empty";
  if (name.size() > kMaxNameLength) {
    return std::to_string(name.size()) + " characters, at most " + std::to_string(kMaxNameLength) +
           " allowed";
  }
  for (size_t i = 0; i < name.size(); ++i) {
    if (!name_character(name[i])) {
      return "character " + std::to_string(i + 1) + " (" +
             hex_byte(static_cast<unsigned char>(name[i])) + ") is not one of A-Z a-z 0-9 _ -";
    }
  }
  if (reserved_device_name(name)) return "a device name that Windows reserves";
  return std::nullopt;
}

std::vector<TextProblem> text_problems(std::string_view text) {
  std::vector<TextProblem> problems;
  size_t line = 1;
  size_t line_start = 0;
  // The line whose bytes have had their fault reported already.
  size_t faulty_line = 0;
  bool too_many_told = false;
  auto add = [&](size_t column, std::string message, TextFault fault) {
    problems.push_back(TextProblem{line, column, std::move(message), fault});
  };
  auto line_ended = [&](size_t end, size_t next) {
    if (text.substr(line_start, end - line_start) == kEndMarker) {
      add(1, "the line \"" + std::string(kEndMarker) + "\" would end the text where it stands",
          TextFault::kEndMarkerLine);
    }
    ++line;
    line_start = next;
  };
  auto byte_fault = [&](size_t column, std::string message, TextFault fault) {
    if (faulty_line == line) return;
    faulty_line = line;
    add(column, std::move(message), fault);
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (line > kMaxTextLines && !too_many_told) {
      too_many_told = true;
      add(1, "more than " + std::to_string(kMaxTextLines) + " lines", TextFault::kTooManyLines);
    }
    const size_t column = i - line_start + 1;
    if (b == '\n') {
      line_ended(i, i + 1);
    } else if (b == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') {
        byte_fault(column, "carriage return not followed by a line feed",
                   TextFault::kLoneCarriageReturn);
        continue;
      }
      line_ended(i, i + 2);
      ++i;
    } else if ((b < 0x20 && b != '\t') || b == 0x7F) {
      byte_fault(column, "control character " + hex_byte(b), TextFault::kControlCharacter);
    } else if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      byte_fault(column, "byte " + hex_byte(b) + " is not a character of code page 1252",
                 TextFault::kUndefinedByte);
    }
  }
  if (line_start < text.size()) {
    // The last line without its end (its length was counted in the loop).
    line_ended(text.size(), text.size());
  }
  return problems;
}

std::optional<TextProblem> text_problem(std::string_view text) {
  std::vector<TextProblem> problems = text_problems(text);
  if (problems.empty()) return std::nullopt;
  return std::move(problems.front());
}

std::vector<std::string> validate_scenario(const ScenarioTexts& s) {
  std::vector<std::string> problems;
  if (auto p = name_problem(s.scenario_name)) {
    problems.push_back("scenario name \"" + s.scenario_name + "\": " + *p);
  }
  if (auto p = name_problem(s.train_code)) {
    problems.push_back("train code \"" + s.train_code + "\": " + *p);
  }
  for (size_t k = 0; k < kTextCount; ++k) {
    if (auto p = text_problem(s.texts[k])) {
      problems.push_back(std::string(text_title(static_cast<TextKind>(k))) + ", line " +
                         std::to_string(p->line) + ", column " + std::to_string(p->column) + ": " +
                         p->message);
    }
  }
  return problems;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    size_t end = lf;
    if (end > start && text[end - 1] == '\r') --end;
    lines.push_back(text.substr(start, end - start));
    start = lf + 1;
  }
  return lines;
}

std::string crlf_text(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (const std::string_view line : split_lines(text)) {
    out.append(line);
    out.append("\r\n");
  }
  return out;
}

}  // namespace scenario
