#include "driver/form1.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"

int main() {
  auto platform = scenario::make_platform();
  scenario::DiskFileSystem disk;
  return scenario::start_build(*platform, disk, scenario::carried_scenario());
}
