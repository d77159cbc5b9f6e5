#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sources/scenario_data.h"
#include "sources/scenario_validity.h"

namespace scenario {

// A builder may carry its scenario appended to its own executable file: the
// payload (scenario name, train code, the five texts with CR LF line ends,
// back to back) followed by a footer of fixed size at the very end:
//
//   u32 format version        (kPayloadVersion)
//   u32 size of each of the seven pieces, in the order above
//   u32 CRC-32 of the payload and of the eight fields before this one
//   8 bytes magic             (kPayloadMagic)
//
// All numbers little-endian. A file whose last 8 bytes are not the magic has
// no payload.

inline constexpr std::string_view kPayloadMagic{"SCNPAYL\x1A", 8};
inline constexpr uint32_t kPayloadVersion = 1;
inline constexpr std::size_t kPayloadPieces = 2 + kTextCount;
inline constexpr std::size_t kFooterSize = 4 + 4 * kPayloadPieces + 4 + kPayloadMagic.size();

/// The bytes appended to a bare builder: payload and footer. The texts are
/// written with CR LF line ends whatever ends they had. `s` must pass
/// validate_scenario; the bytes are built as given either way.
std::string payload_bytes(const ScenarioTexts& s);

enum class PayloadStatus {
  kNone,        // no footer: the scenario compiled into the builder counts
  kValid,       // `texts` holds the carried scenario
  kDamaged,     // a footer, but the payload cannot be trusted; see `reason`
  kUnreadable,  // the file could not be read; see `reason`
};

struct PayloadRead {
  PayloadStatus status = PayloadStatus::kNone;
  /// For kDamaged and kUnreadable: why, in words an author can act on.
  std::string reason;
  /// For kValid.
  ScenarioTexts texts;
  /// Where the bare builder ends: the file's size for kNone, the payload's
  /// first byte for kValid, 0 otherwise.
  uint64_t payload_offset = 0;
};

/// Reads `n` bytes at `offset` of a file into `out`; false when the read
/// fails. Called only with ranges inside the file's size.
using ReadAt = std::function<bool(uint64_t offset, std::size_t n, char* out)>;

/// Looks for a payload at the end of a file of `file_size` bytes. Reads the
/// footer, then the payload in one piece, each only after its range was
/// checked against the file's size, and trusts the payload only when its
/// CRC matches and validate_scenario finds nothing.
PayloadRead read_payload(uint64_t file_size, const ReadAt& read_at);

/// read_payload on a file in memory.
PayloadRead read_payload(std::string_view file);

/// read_payload on a file on disk.
PayloadRead read_payload_file(const std::string& path);

/// A scenario read from a payload, in the shape the build run takes:
/// tables of lines closed by the end marker, viewing strings it owns.
class PackedScenario {
 public:
  /// `texts` must pass validate_scenario.
  explicit PackedScenario(ScenarioTexts texts);
  PackedScenario(const PackedScenario&) = delete;
  PackedScenario& operator=(const PackedScenario&) = delete;

  const ScenarioData& data() const { return data_; }

 private:
  ScenarioTexts texts_;
  std::array<std::vector<std::string_view>, kTextCount> lines_;
  ScenarioData data_;
};

}  // namespace scenario
