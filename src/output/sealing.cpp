#include "output/sealing.h"

#include <string>
#include <string_view>

#include "model/error_code.h"
#include "model/station_table.h"

namespace scenario {
namespace {

constexpr std::string_view kCodeFill = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t kCodeLength = 25;

constexpr int16_t kCellMarker = 5121;
constexpr int16_t kScenarioMarker = 610;

/// Lower case in the single-byte character set of the texts (Windows code
/// page 1252): the ASCII capitals, the accented capitals of the upper half
/// except the multiplication sign, and the four capitals of the 0x80 row.
unsigned char lower_cp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:  // S caron
    case 0x8C:  // OE
    case 0x8E:  // Z caron
      return static_cast<unsigned char>(c + 0x10);
    case 0x9F:  // Y diaeresis
      return 0xFF;
    default:
      return c;
  }
}

/// The 25 character codes both check codes are formed from: train code,
/// then scenario name, lowered, padded with the fill. The fill alone is
/// longer than 25, so all 25 always exist.
std::string working_text(const BuildState& st) {
  const auto slots = fixed_slots(st.stations);
  std::string text = slots.train_code() + slots.scenario_name();
  for (char& c : text) c = static_cast<char>(lower_cp1252(static_cast<unsigned char>(c)));
  text += kCodeFill;
  text.resize(kCodeLength);
  return text;
}

}  // namespace

int32_t codice_gara_st(const BuildState& st) {
  const std::string text = working_text(st);
  int32_t sum = 0;
  for (size_t k = 0; k < text.size(); ++k) {
    // Codes are unsigned bytes: a plain char would count accented letters
    // as negative.
    sum += static_cast<int32_t>(k + 1) * static_cast<unsigned char>(text[k]);
  }
  return sum;
}

int32_t codice_gara_og(const BuildState& st) {
  int32_t sum = 0;
  for (char c : working_text(st)) sum += static_cast<unsigned char>(c);
  return sum;
}

int32_t seal(BuildState& st) {
  // Cell 1 always exists once a grid does (the margin alone gives 141
  // cells); sealing without a grid is a program fault and at() throws.
  const auto slots = fixed_slots(st.stations);
  TrackCell& cell = st.grid.at(1);

  if (slots.scenario_marker() != 0 || cell.value1 != 0) return kMarkerSlotTaken;
  slots.scenario_marker() = kScenarioMarker;
  cell.value1 = kCellMarker;

  if (slots.scenario_check_code() != 0 || cell.value2 != 0) return kCheckCodeSlotTaken;
  slots.scenario_check_code() = codice_gara_st(st);
  // At most 25 x 255 = 6375: fits the 16-bit field.
  cell.value2 = static_cast<int16_t>(codice_gara_og(st));
  return kNoError;
}

}  // namespace scenario
