#include "tools/compiled_files.h"

#include <gtest/gtest.h>

namespace scenario::tools {
namespace {

TEST(CompiledFiles, FormatIsChosenByName) {
  EXPECT_EQ(format_from_name("out/LORVENA_linea.dat"), CompiledFormat::kLinePlan);
  EXPECT_EQ(format_from_name("out/LORVENA_KQ3390.sim"), CompiledFormat::kTrainFile);
  EXPECT_EQ(format_from_name("out/LORVENA_KQ3390.dat"), CompiledFormat::kCellGrid);
  EXPECT_EQ(format_from_name("out/LORVENA_linea.txt"), CompiledFormat::kUnknown);
}

}  // namespace
}  // namespace scenario::tools
