#include "sources/scenario_payload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/crc32.h"
#include "sources/scenario_validity.h"

namespace scenario {
namespace {

TEST(Crc32, MatchesPublishedCheckValues) {
  struct Row {
    std::string_view input;
    uint32_t crc;
  };
  const Row rows[] = {
      {"", 0x00000000u},
      {"a", 0xE8B7BE43u},
      {"123456789", 0xCBF43926u},  // the usual check value
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {std::string_view("\0\0\0\0", 4), 0x2144DF1Cu},
      {"\xff\xff\xff\xff", 0xFFFFFFFFu},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.input));
    EXPECT_EQ(crc32(r.input), r.crc);
  }
  // In pieces, as the payload's body and footer are checksummed.
  EXPECT_EQ(crc32("6789", crc32("12345")), 0xCBF43926u);
}

TEST(NameRule, AcceptsOnlyShortPlainNamesThatAreNoDevice) {
  struct Row {
    std::string name;
    const char* problem;  // nullptr: accepted
  };
  const Row rows[] = {
      {"LORVENA", nullptr},
      {"a-b_9", nullptr},
      {std::string(32, 'X'), nullptr},
      {"COM0", nullptr},  // only COM1 to COM9 are devices
      {"CONSOLE", nullptr},
      {"", "empty"},
      {std::string(33, 'X'), "33 characters, at most 32 allowed"},
      {"DUE PONTI", "character 4 (0x20) is not one of A-Z a-z 0-9 _ -"},
      {"a/b", "character 2 (0x2F) is not one of A-Z a-z 0-9 _ -"},
      {"\xe8tna", "character 1 (0xE8) is not one of A-Z a-z 0-9 _ -"},
      {"a.b", "character 2 (0x2E) is not one of A-Z a-z 0-9 _ -"},
      {"con", "a device name that Windows reserves"},
      {"Nul", "a device name that Windows reserves"},
      {"PRN", "a device name that Windows reserves"},
      {"aux", "a device name that Windows reserves"},
      {"com1", "a device name that Windows reserves"},
      {"LPT9", "a device name that Windows reserves"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::optional<std::string> p = name_problem(r.name);
    if (r.problem == nullptr) {
      EXPECT_FALSE(p.has_value()) << *p;
    } else {
      ASSERT_TRUE(p.has_value());
      EXPECT_EQ(*p, r.problem);
    }
  }
}

std::string lines_of(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += "x\r\n";
  return text;
}

TEST(TextRule, RefusesWhatTheBuilderCouldNotWriteBack) {
  struct Row {
    std::string text;
    std::size_t line;  // 0: accepted
    std::size_t column;
    const char* message;
  };
  const Row rows[] = {
      {"", 0, 0, ""},
      {"a\tb\r\nc\n\xe8\x80\xff", 0, 0, ""},  // tab, both line ends, 1252 letters
      {lines_of(1000), 0, 0, ""},
      {lines_of(999) + "last", 0, 0, ""},  // the 1000th line without its end
      {lines_of(1000) + "y", 1001, 1, "more than 1000 lines"},
      {lines_of(1000) + "\r\n", 1001, 1, "more than 1000 lines"},
      {"ab\x07", 1, 3, "control character 0x07"},
      {"ok\n\x7f", 2, 1, "control character 0x7F"},
      {std::string("a\0b", 3), 1, 2, "control character 0x00"},
      {"x\ry", 1, 2, "carriage return not followed by a line feed"},
      {"x\r", 1, 2, "carriage return not followed by a line feed"},
      {"one\r\ntwo\x81", 2, 4, "byte 0x81 is not a character of code page 1252"},
      {"\x9d", 1, 1, "byte 0x9D is not a character of code page 1252"},
      {"a\r\nriferimento fine del file\r\nb", 2, 1,
       "the line \"riferimento fine del file\" would end the text where it stands"},
      {"riferimento fine del file", 1, 1,
       "the line \"riferimento fine del file\" would end the text where it stands"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text.substr(0, 40));
    const std::optional<TextProblem> p = text_problem(r.text);
    if (r.line == 0) {
      EXPECT_FALSE(p.has_value()) << p->message;
    } else {
      ASSERT_TRUE(p.has_value());
      EXPECT_EQ(p->line, r.line);
      EXPECT_EQ(p->column, r.column);
      EXPECT_EQ(p->message, r.message);
    }
  }
  // The end marker inside a longer line is harmless.
  EXPECT_FALSE(text_problem(" riferimento fine del file").has_value());
}

TEST(TextRule, ValidateScenarioNamesEveryBrokenPart) {
  ScenarioTexts s;
  s.scenario_name = "LPT1";
  s.train_code = "R 1";
  s.text(TextKind::kNotes) = "ok\r\nbad\x01";
  s.text(TextKind::kTimetableSheet) = "x\r";
  const std::vector<std::string> expected = {
      "scenario name \"LPT1\": a device name that Windows reserves",
      "train code \"R 1\": character 2 (0x20) is not one of A-Z a-z 0-9 _ -",
      "notes, line 2, column 4: control character 0x01",
      "timetable sheet, line 1, column 2: carriage return not followed by a line feed",
  };
  EXPECT_EQ(validate_scenario(s), expected);
}

TEST(TextRule, LinesSplitAtEitherEndAndComeBackWithCrLf) {
  EXPECT_EQ(split_lines(""), std::vector<std::string_view>{});
  EXPECT_EQ(split_lines("a\r\n\nb"), (std::vector<std::string_view>{"a", "", "b"}));
  EXPECT_EQ(split_lines("a\n"), std::vector<std::string_view>{"a"});
  EXPECT_EQ(split_lines("\r\n"), std::vector<std::string_view>{""});
  EXPECT_EQ(crlf_text("a\nb\r\n\tc"), "a\r\nb\r\n\tc\r\n");
  EXPECT_EQ(crlf_text(""), "");
}

ScenarioTexts small_scenario() {
  ScenarioTexts s;
  s.scenario_name = "PROVA";
  s.train_code = "T1";
  s.text(TextKind::kLineDescription) = "[generale]\nlunghezza percorso,  2000\n[fine]\n";
  s.text(TextKind::kTrainDescription) = "[generale]\r\n[fine]\r\n";
  s.text(TextKind::kNotes) = "Citt\xe0 \x80\n";
  s.text(TextKind::kSlowdownOrder) = "";
  s.text(TextKind::kTimetableSheet) = "\t7.45";
  return s;
}

TEST(Payload, FooterLayoutIsFixedByteForByte) {
  ScenarioTexts s;
  s.scenario_name = "AB";
  s.train_code = "C";
  s.text(TextKind::kNotes) = "x";
  const std::string bytes = payload_bytes(s);
  const std::string body = "ABCx\r\n";
  const std::string sizes(
      "\x01\x00\x00\x00"   // format version 1
      "\x02\x00\x00\x00"   // scenario name
      "\x01\x00\x00\x00"   // train code
      "\x00\x00\x00\x00"   // line description
      "\x00\x00\x00\x00"   // train description
      "\x03\x00\x00\x00"   // notes, with the CR LF added
      "\x00\x00\x00\x00"   // slow-down order
      "\x00\x00\x00\x00",  // timetable sheet
      32);
  const uint32_t crc = crc32(sizes, crc32(body));
  std::string crc_bytes;
  for (int shift = 0; shift < 32; shift += 8) crc_bytes.push_back(static_cast<char>(crc >> shift));
  EXPECT_EQ(bytes, body + sizes + crc_bytes + "SCNPAYL\x1A");
  EXPECT_EQ(kFooterSize, 44u);
}

TEST(Payload, RoundTripsBehindAnyProgramAndGivesTheTextsWithCrLf) {
  const std::string program = "MZ\x90 some program bytes";
  const std::string file = program + payload_bytes(small_scenario());
  const PayloadRead r = read_payload(file);
  ASSERT_EQ(r.status, PayloadStatus::kValid) << r.reason;
  EXPECT_EQ(r.payload_offset, program.size());
  EXPECT_EQ(r.texts.scenario_name, "PROVA");
  EXPECT_EQ(r.texts.train_code, "T1");
  EXPECT_EQ(r.texts.text(TextKind::kLineDescription),
            "[generale]\r\nlunghezza percorso,  2000\r\n[fine]\r\n");
  EXPECT_EQ(r.texts.text(TextKind::kNotes), "Citt\xe0 \x80\r\n");
  EXPECT_EQ(r.texts.text(TextKind::kSlowdownOrder), "");
  EXPECT_EQ(r.texts.text(TextKind::kTimetableSheet), "\t7.45\r\n");

  const PackedScenario packed(r.texts);
  const ScenarioData& d = packed.data();
  EXPECT_EQ(d.scenario_name, "PROVA");
  ASSERT_EQ(d.line_description.size(), 4u);
  EXPECT_EQ(d.line_description[1], "lunghezza percorso,  2000");
  EXPECT_EQ(d.line_description[3], kEndMarker);
  ASSERT_EQ(d.slowdown_order.size(), 1u);
  EXPECT_EQ(d.slowdown_order[0], kEndMarker);
}

TEST(Payload, FilesWithoutTheMagicAtTheEndCarryNone) {
  const std::string payload = payload_bytes(small_scenario());
  const std::string rows[] = {
      "",
      "MZ",
      std::string(kFooterSize - 1, 'x'),
      "MZ program" + payload + "\n",  // one byte after the footer
      payload.substr(1) + "tail",
  };
  for (const std::string& file : rows) {
    SCOPED_TRACE(file.size());
    const PayloadRead r = read_payload(file);
    EXPECT_EQ(r.status, PayloadStatus::kNone);
    EXPECT_EQ(r.payload_offset, file.size());
  }
}

// Overwrites 4 bytes little-endian at `at`.
void put_u32_at(std::string& s, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// Puts a correct CRC back, so that a test reaches the checks behind it.
void reseal(std::string& file, std::size_t payload_size) {
  const std::size_t footer = file.size() - kFooterSize;
  const std::string_view all(file);
  const uint32_t crc =
      crc32(all.substr(footer, 32), crc32(all.substr(footer - payload_size, payload_size)));
  put_u32_at(file, footer + 32, crc);
}

TEST(Payload, DamageIsNamedAndNothingIsTrusted) {
  const std::string program = "MZ program";
  const std::string good = program + payload_bytes(small_scenario());
  const std::size_t footer = good.size() - kFooterSize;
  const std::size_t payload_size = footer - program.size();
  struct Row {
    const char* what;
    std::function<void(std::string&)> damage;
    std::string reason;
  };
  const Row rows[] = {
      {"a flipped text byte", [&](std::string& f) { f[program.size() + 9] ^= 0x20; },
       "checksum mismatch"},
      {"a flipped CRC bit", [&](std::string& f) { f[footer + 32] ^= 1; }, "checksum mismatch"},
      {"a size moved from one piece to the next (same total)",
       [&](std::string& f) {
         put_u32_at(f, footer + 4, 4);  // name PROV
         put_u32_at(f, footer + 8, 3);  // train AT1
       },
       "checksum mismatch"},
      {"version 2", [&](std::string& f) { put_u32_at(f, footer, 2); },
       "format version 2, this builder reads version 1"},
      {"a size of 4 GiB - 1", [&](std::string& f) { put_u32_at(f, footer + 12, 0xFFFFFFFFu); },
       "the footer announces 4294967338 bytes of scenario data, but only " +
           std::to_string(footer) + " bytes precede it"},
      {"every size huge (the sum passes 32 bits)",
       [&](std::string& f) {
         for (std::size_t i = 0; i < kPayloadPieces; ++i)
           put_u32_at(f, footer + 4 + 4 * i, 0xFFFFFFFFu);
       },
       "the footer announces 30064771065 bytes of scenario data, but only " +
           std::to_string(footer) + " bytes precede it"},
      {"the program cut away", [&](std::string& f) { f.erase(0, program.size() + 1); },
       "the footer announces " + std::to_string(payload_size) +
           " bytes of scenario data, but only " + std::to_string(payload_size - 1) +
           " bytes precede it"},
      {"a resealed name with a blank",
       [&](std::string& f) {
         f[program.size() + 2] = ' ';
         reseal(f, payload_size);
       },
       "scenario name \"PR VA\": character 3 (0x20) is not one of A-Z a-z 0-9 _ -"},
      {"a resealed text with a control character",
       [&](std::string& f) {
         f[program.size() + 7] = '\x1b';  // first byte of the line description
         reseal(f, payload_size);
       },
       "line description, line 1, column 1: control character 0x1B"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::string file = good;
    r.damage(file);
    const PayloadRead read = read_payload(file);
    EXPECT_EQ(read.status, PayloadStatus::kDamaged);
    EXPECT_EQ(read.reason, r.reason);
    EXPECT_EQ(read.texts.scenario_name, "");
  }
}

TEST(Payload, AFailedReadIsNoDamage) {
  const std::string file = "MZ" + payload_bytes(small_scenario());
  int calls = 0;
  const PayloadRead r = read_payload(file.size(), [&](uint64_t offset, std::size_t n, char* out) {
    // The footer reads, the payload does not.
    if (++calls > 1) return false;
    std::string_view(file).copy(out, n, offset);
    return true;
  });
  EXPECT_EQ(r.status, PayloadStatus::kUnreadable);
  EXPECT_EQ(r.reason, "cannot read the scenario data in the program's file");
  EXPECT_EQ(read_payload_file("/nonexistent/scenario_builder").status, PayloadStatus::kUnreadable);
}

}  // namespace
}  // namespace scenario
