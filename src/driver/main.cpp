#include "driver/form1.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "sources/builder_mark.h"
#include "sources/scenario_data.h"

// Kept in the file although nothing reads it: `scenario_tool pack` takes as
// template only a program that holds it.
[[gnu::used]] constexpr auto kBuilderMark = scenario::builder_mark();

int main() {
  auto platform = scenario::make_platform();
  scenario::DiskFileSystem disk;
  return scenario::start_build(*platform, disk, scenario::carried_scenario());
}
