// libFuzzer entry for the payload reader: the end of the builder's own file.
//
// Input: one mode byte, then the file. With the mode byte's low bit set, a
// footer whose sizes fit gets its CRC put right before the read, so that the
// mutator reaches the checks behind the checksum (names, texts, line count)
// instead of stopping at a mismatch nearly every time.
//
// Whatever the file holds, the reader must stay inside it, read the footer
// and the payload once each, and end with no payload, a damaged one, or a
// scenario the builder can write; every property below traps when it does
// not.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sources/crc32.h"
#include "sources/scenario_payload.h"
#include "sources/scenario_validity.h"
#include "sources/text_writer.h"

namespace {

using scenario::kFooterSize;
using scenario::kPayloadMagic;
using scenario::kPayloadPieces;
using scenario::PayloadRead;
using scenario::PayloadStatus;

constexpr std::size_t kMaxInput = 256 * 1024;

[[noreturn]] void fail(const char* property) {
  std::fprintf(stderr, "property failed: %s\n", property);
  __builtin_trap();
}

#define CHECK_PROPERTY(cond)  \
  do {                        \
    if (!(cond)) fail(#cond); \
  } while (0)

uint32_t get_u32(std::string_view s, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

void reseal(std::string& file) {
  if (file.size() < kFooterSize) return;
  const std::size_t footer = file.size() - kFooterSize;
  uint64_t total = 0;
  for (std::size_t i = 0; i < kPayloadPieces; ++i) total += get_u32(file, footer + 4 + 4 * i);
  if (total > footer) return;
  const std::string_view all(file);
  const uint32_t crc = scenario::crc32(all.substr(footer, 4 + 4 * kPayloadPieces),
                                       scenario::crc32(all.substr(footer - total, total)));
  for (int i = 0; i < 4; ++i) {
    file[footer + 4 + 4 * kPayloadPieces + i] = static_cast<char>(crc >> (8 * i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0 || size > kMaxInput) return 0;
  std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) != 0) reseal(file);

  // Every read is checked against the file's bounds and against the reads
  // before it: the footer first, then at most one read of the payload that
  // ends where the footer starts.
  int reads = 0;
  const PayloadRead r =
      scenario::read_payload(file.size(), [&](uint64_t offset, std::size_t n, char* out) {
        CHECK_PROPERTY(offset <= file.size() && n <= file.size() - offset);
        ++reads;
        if (reads == 1) CHECK_PROPERTY(offset + n == file.size() && n == kFooterSize);
        if (reads == 2) CHECK_PROPERTY(offset + n == file.size() - kFooterSize);
        CHECK_PROPERTY(reads <= 2);
        std::string_view(file).copy(out, n, static_cast<std::size_t>(offset));
        return true;
      });

  // For the seed check of scripts/test-step-30-fuzz.sh.
  if (std::getenv("SCENARIO_FUZZ_REPORT") != nullptr) {
    const char* names[] = {"none", "valid", "damaged", "unreadable"};
    std::fprintf(stderr, "outcome: %s%s%s\n", names[static_cast<int>(r.status)],
                 r.reason.empty() ? "" : ": ", r.reason.c_str());
  }

  const bool has_magic =
      file.size() >= kFooterSize && std::string_view(file).ends_with(kPayloadMagic);
  switch (r.status) {
    case PayloadStatus::kNone:
      CHECK_PROPERTY(!has_magic);
      CHECK_PROPERTY(r.payload_offset == file.size());
      break;
    case PayloadStatus::kDamaged:
      CHECK_PROPERTY(has_magic);
      CHECK_PROPERTY(!r.reason.empty());
      CHECK_PROPERTY(r.texts.scenario_name.empty() && r.texts.train_code.empty());
      break;
    case PayloadStatus::kValid: {
      CHECK_PROPERTY(has_magic);
      CHECK_PROPERTY(scenario::validate_scenario(r.texts).empty());
      CHECK_PROPERTY(r.payload_offset <= file.size() - kFooterSize);
      // The builder writes it: every table within the writer's bounds.
      const scenario::PackedScenario packed(r.texts);
      const scenario::ScenarioData& d = packed.data();
      for (const auto& table : {d.line_description, d.train_description, d.notes, d.slowdown_order,
                                d.timetable_sheet}) {
        CHECK_PROPERTY(table.size() <= scenario::kLineTableSize);
        (void)scenario::text_file_bytes(table);
      }
      // Packing what was read gives the same scenario back: what unpack and
      // pack do to a builder.
      const std::string bare = file.substr(0, static_cast<std::size_t>(r.payload_offset));
      const PayloadRead again = scenario::read_payload(bare + scenario::payload_bytes(r.texts));
      CHECK_PROPERTY(again.status == PayloadStatus::kValid);
      CHECK_PROPERTY(again.payload_offset == r.payload_offset);
      CHECK_PROPERTY(again.texts.scenario_name == r.texts.scenario_name);
      CHECK_PROPERTY(again.texts.train_code == r.texts.train_code);
      for (std::size_t k = 0; k < scenario::kTextCount; ++k) {
        CHECK_PROPERTY(again.texts.texts[k] == scenario::crlf_text(r.texts.texts[k]));
      }
      break;
    }
    case PayloadStatus::kUnreadable:
      fail("a read failed although every read succeeds");
  }
  return 0;
}
