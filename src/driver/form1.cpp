#include "driver/form1.h"

#include <exception>

#include "output/compile_stage.h"
#include "sources/scenario_payload.h"
#include "sources/text_writer.h"

namespace scenario {

Form1::Form1(Platform& platform, FileSystem& fs, const ScenarioData& data)
    : platform_(platform), fs_(fs), data_(data) {}

int Form1::Form_Load() {
  state_.scenario_name = std::string(data_.scenario_name);
  state_.train_code = std::string(data_.train_code);
  try {
    platform_.show_window(state_.scenario_name, "Attendere");
    platform_.repaint_window();
    files_ = scenario_files(platform_.program_directory(), platform_.path_separator(),
                            state_.scenario_name, state_.train_code);
    dati_linea();
    dati_treno();
    dati_note();
    dati_rallentamenti();
    dati_scheda();
    int32_t j = 1;
    if (!memorizza_percorso(j)) {
      platform_.destroy_window();
      return kExitReservedSlot;
    }
  } catch (const FileError& e) {
    platform_.report_unhandled_error(e.number(), e.what());
    platform_.destroy_window();
    return kExitUnhandledError;
  } catch (const std::exception& e) {
    // Anything else that escapes a step (memory exhausted, a fault of the
    // program itself) ends the run the same way, never silently.
    platform_.report_unhandled_error(kErrInternal, e.what());
    platform_.destroy_window();
    return kExitUnhandledError;
  }
  platform_.destroy_window();
  return kExitDone;
}

void Form1::dati_linea() { write_text_file(fs_, files_.line_description, data_.line_description); }
void Form1::dati_treno() {
  write_text_file(fs_, files_.train_description, data_.train_description);
}
void Form1::dati_note() { write_text_file(fs_, files_.notes, data_.notes); }
void Form1::dati_rallentamenti() {
  write_text_file(fs_, files_.slowdown_order, data_.slowdown_order);
}
void Form1::dati_scheda() { write_text_file(fs_, files_.timetable_sheet, data_.timetable_sheet); }

bool Form1::memorizza_percorso(int32_t& j) {
  const CompileResult result = scenario::memorizza_percorso(state_, fs_, files_, j);
  if (result.fatal_code != 0) {
    errore(std::to_string(result.fatal_code));
    return false;
  }
  if (state_.error_code != 0) {
    platform_.note_recorded_code(state_.error_code, state_.error_position_m);
  }
  return true;
}

int start_build(Platform& platform, FileSystem& fs, const ScenarioData& compiled_in) {
  PayloadRead payload;
  try {
    payload = read_payload_file(platform.executable_path());
  } catch (const FileError& e) {
    platform.report_unhandled_error(e.number(), e.what());
    return Form1::kExitUnhandledError;
  }
  switch (payload.status) {
    case PayloadStatus::kNone:
      return Form1(platform, fs, compiled_in).Form_Load();
    case PayloadStatus::kValid: {
      const PackedScenario packed(std::move(payload.texts));
      return Form1(platform, fs, packed.data()).Form_Load();
    }
    case PayloadStatus::kDamaged:
      platform.message_box("Scenario data damaged: " + payload.reason);
      return Form1::kExitScenarioDamaged;
    case PayloadStatus::kUnreadable:
      break;
  }
  platform.report_unhandled_error(kErrPathFileAccess, payload.reason);
  return Form1::kExitUnhandledError;
}

void Form1::errore(const std::string& a) { platform_.message_box(" Errore n. " + a); }

}  // namespace scenario
