#include "output/file_naming.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(FileNaming, JoinsDirectorySeparatorAndOwnName) {
  const ScenarioFiles f = scenario_files("C:\\giochi", '\\', "LORVENA", "KQ3390");
  EXPECT_EQ(f.line_description, "C:\\giochi\\LORVENA_linea.txt");
  EXPECT_EQ(f.train_description, "C:\\giochi\\LORVENA_KQ3390-.txt");
  EXPECT_EQ(f.notes, "C:\\giochi\\LORVENA_KQ3390_note.txt");
  EXPECT_EQ(f.slowdown_order, "C:\\giochi\\LORVENA_KQ3390_rallentamenti.txt");
  EXPECT_EQ(f.timetable_sheet, "C:\\giochi\\LORVENA_KQ3390_scheda_treno.txt");
  EXPECT_EQ(f.line_plan, "C:\\giochi\\LORVENA_linea.dat");
  EXPECT_EQ(f.train_file, "C:\\giochi\\LORVENA_KQ3390.sim");
  EXPECT_EQ(f.cell_grid, "C:\\giochi\\LORVENA_KQ3390.dat");
}

TEST(FileNaming, AddsTheSeparatorEvenAfterARootDirectory) {
  EXPECT_EQ(scenario_files("X:\\", '\\', "A", "B").cell_grid, "X:\\\\A_B.dat");
}

}  // namespace
}  // namespace scenario
