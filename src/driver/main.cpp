#include "driver/form1.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"

int main() {
  auto platform = scenario::make_platform();
  scenario::DiskFileSystem disk;
  scenario::Form1 form(*platform, disk, scenario::carried_scenario());
  return form.Form_Load();
}
