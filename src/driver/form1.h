#pragma once

#include <cstdint>
#include <string>

#include "model/build_state.h"
#include "output/file_naming.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"

namespace scenario {

/// The program's only window and the whole build run. Its members are the
/// build state that every step shares.
class Form1 {
 public:
  Form1(Platform& platform, FileSystem& fs, const ScenarioData& data);

  /// The load handler: runs the whole build and returns the process's exit
  /// status (0 done, 1 unhandled error, 2 reserved-slot error shown).
  int Form_Load();

  void dati_linea();
  void dati_treno();
  void dati_note();
  void dati_rallentamenti();
  void dati_scheda();
  /// The compile stage; returns false when it ended through errore.
  bool memorizza_percorso(int32_t& j);

  /// Shows " Errore n. " + a in the message box; the run ends after it.
  void errore(const std::string& a);

  const BuildState& state() const { return state_; }

  static constexpr int kExitDone = 0;
  static constexpr int kExitUnhandledError = 1;
  static constexpr int kExitReservedSlot = 2;
  /// Set by start_build, before any Form1 exists.
  static constexpr int kExitScenarioDamaged = 3;

 private:
  Platform& platform_;
  FileSystem& fs_;
  const ScenarioData& data_;
  BuildState state_;
  ScenarioFiles files_;
};

/// The program's start: chooses the scenario and runs the build with it.
/// A valid payload at the end of the executable file is the scenario; a file
/// without one builds `compiled_in`. A damaged payload ends the run before
/// anything is written: a message box "Scenario data damaged: <reason>",
/// exit status 3. A file that cannot be read is an unhandled error (exit 1):
/// building the compiled-in scenario instead could write the wrong one.
int start_build(Platform& platform, FileSystem& fs, const ScenarioData& compiled_in);

}  // namespace scenario
