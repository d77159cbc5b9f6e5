#include "sources/scenario_payload.h"

#include <fstream>
#include <limits>

#include "platform/host_path.h"
#include "sources/crc32.h"

namespace scenario {
namespace {

void put_u32(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFFu));
  out.push_back(static_cast<char>((v >> 8) & 0xFFu));
  out.push_back(static_cast<char>((v >> 16) & 0xFFu));
  out.push_back(static_cast<char>((v >> 24) & 0xFFu));
}

uint32_t get_u32(std::string_view in, std::size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(in[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(in[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(in[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(in[at + 3])) << 24;
}

// The footer's fields covered by the CRC: version and sizes.
constexpr std::size_t kCheckedFooterBytes = 4 + 4 * kPayloadPieces;

PayloadRead damaged(std::string reason) {
  PayloadRead r;
  r.status = PayloadStatus::kDamaged;
  r.reason = std::move(reason);
  return r;
}

PayloadRead unreadable(std::string reason) {
  PayloadRead r;
  r.status = PayloadStatus::kUnreadable;
  r.reason = std::move(reason);
  return r;
}

}  // namespace

std::string payload_bytes(const ScenarioTexts& s) {
  std::array<std::string, kPayloadPieces> pieces;
  pieces[0] = s.scenario_name;
  pieces[1] = s.train_code;
  for (std::size_t k = 0; k < kTextCount; ++k) pieces[2 + k] = crlf_text(s.texts[k]);

  std::string body;
  for (const std::string& p : pieces) body.append(p);
  std::string footer;
  put_u32(footer, kPayloadVersion);
  for (const std::string& p : pieces) {
    if (p.size() > std::numeric_limits<uint32_t>::max()) {
      throw std::length_error("a scenario text of 4 GiB or more");
    }
    put_u32(footer, static_cast<uint32_t>(p.size()));
  }
  put_u32(footer, crc32(footer, crc32(body)));
  footer.append(kPayloadMagic);
  return body + footer;
}

PayloadRead read_payload(uint64_t file_size, const ReadAt& read_at) {
  PayloadRead none;
  none.payload_offset = file_size;
  if (file_size < kFooterSize) return none;

  std::string footer(kFooterSize, '\0');
  if (!read_at(file_size - kFooterSize, kFooterSize, footer.data())) {
    return unreadable("cannot read the end of the program's file");
  }
  if (std::string_view(footer).substr(kFooterSize - kPayloadMagic.size()) != kPayloadMagic) {
    return none;
  }
  const uint32_t version = get_u32(footer, 0);
  if (version != kPayloadVersion) {
    return damaged("format version " + std::to_string(version) + ", this builder reads version " +
                   std::to_string(kPayloadVersion));
  }
  // Summed in 64 bits: seven sizes of up to 4 GiB each cannot overflow it.
  std::array<uint64_t, kPayloadPieces> sizes{};
  uint64_t total = 0;
  for (std::size_t i = 0; i < kPayloadPieces; ++i) {
    sizes[i] = get_u32(footer, 4 + 4 * i);
    total += sizes[i];
  }
  const uint64_t room = file_size - kFooterSize;
  if (total > room) {
    return damaged("the footer announces " + std::to_string(total) + " bytes of scenario data, " +
                   "but only " + std::to_string(room) + " bytes precede it");
  }
  const uint64_t offset = room - total;
  std::string body(static_cast<std::size_t>(total), '\0');
  if (total > 0 && !read_at(offset, body.size(), body.data())) {
    return unreadable("cannot read the scenario data in the program's file");
  }
  const uint32_t stored = get_u32(footer, kCheckedFooterBytes);
  const uint32_t computed =
      crc32(std::string_view(footer).substr(0, kCheckedFooterBytes), crc32(body));
  if (stored != computed) return damaged("checksum mismatch");

  PayloadRead r;
  std::size_t at = 0;
  auto take = [&](std::size_t i) {
    std::string piece = body.substr(at, static_cast<std::size_t>(sizes[i]));
    at += static_cast<std::size_t>(sizes[i]);
    return piece;
  };
  r.texts.scenario_name = take(0);
  r.texts.train_code = take(1);
  for (std::size_t k = 0; k < kTextCount; ++k) r.texts.texts[k] = take(2 + k);
  const std::vector<std::string> problems = validate_scenario(r.texts);
  if (!problems.empty()) return damaged(problems.front());
  r.status = PayloadStatus::kValid;
  r.payload_offset = offset;
  return r;
}

PayloadRead read_payload(std::string_view file) {
  return read_payload(file.size(), [file](uint64_t offset, std::size_t n, char* out) {
    if (offset > file.size() || n > file.size() - offset) return false;
    file.copy(out, n, static_cast<std::size_t>(offset));
    return true;
  });
}

PayloadRead read_payload_file(const std::string& path) {
  // Binary mode: the payload is bytes, and a text-mode stream on Windows
  // would change its line ends. The host's own form of the path: a narrow
  // one would lose a folder name outside the ANSI code page.
  std::ifstream in(host_path(path), std::ios::binary);
  if (!in) return unreadable("cannot open the program's file " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  if (end < 0) return unreadable("cannot find the size of the program's file " + path);
  return read_payload(static_cast<uint64_t>(end), [&in](uint64_t offset, std::size_t n, char* out) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    in.read(out, static_cast<std::streamsize>(n));
    return in.gcount() == static_cast<std::streamsize>(n);
  });
}

PackedScenario::PackedScenario(ScenarioTexts texts) : texts_(std::move(texts)) {
  for (std::size_t k = 0; k < kTextCount; ++k) {
    lines_[k] = split_lines(texts_.texts[k]);
    lines_[k].push_back(kEndMarker);
  }
  data_.scenario_name = texts_.scenario_name;
  data_.train_code = texts_.train_code;
  data_.line_description = lines_[static_cast<std::size_t>(TextKind::kLineDescription)];
  data_.train_description = lines_[static_cast<std::size_t>(TextKind::kTrainDescription)];
  data_.notes = lines_[static_cast<std::size_t>(TextKind::kNotes)];
  data_.slowdown_order = lines_[static_cast<std::size_t>(TextKind::kSlowdownOrder)];
  data_.timetable_sheet = lines_[static_cast<std::size_t>(TextKind::kTimetableSheet)];
}

}  // namespace scenario
