#include "platform/windows_path.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace scenario {
namespace {

// A folder name of 40 ASCII characters; seven of them make a path well past
// the plain limit.
const std::string kLong(40, 'd');

std::string nested(const std::string& root, int depth, const std::string& sep = "\\") {
  std::string p = root;
  for (int i = 0; i < depth; ++i) p += (i == 0 ? "" : sep) + kLong;
  return p;
}

TEST(WindowsPath, CountsUtf16UnitsNotBytes) {
  EXPECT_EQ(utf16_length("abc"), 3u);
  EXPECT_EQ(utf16_length("\xCE\xA3\xCE\xB5"), 2u);  // "Σε": two bytes each
  EXPECT_EQ(utf16_length("\xE4\xB8\xAD"), 1u);      // "中": three bytes
  EXPECT_EQ(utf16_length("\xF0\x9F\x9A\x86"), 2u);  // a train, past U+FFFF: a pair
  EXPECT_EQ(utf16_length("a\xE4\xB8"), 3u);         // cut short: each byte one unit
}

TEST(WindowsPath, LeavesWhatWindowsNormalisesItselfAlone) {
  const std::string at_limit = "C:\\" + std::string(kWindowsPlainPathLimit - 3, 'x');
  // 130 Greek letters are 260 bytes but only 130 units: still short.
  std::string greek = "C:\\";
  for (int i = 0; i < 130; ++i) greek += "\xCE\xA3";
  const std::string relative = nested("", 8);
  const std::string prefixed = "\\\\?\\" + nested("C:\\", 8);
  const std::string device = "\\\\.\\" + nested("C:\\", 8);
  for (const std::string& p :
       {std::string("C:\\\\LORVENA_linea.txt"), at_limit, greek, relative, prefixed, device}) {
    SCOPED_TRACE(p);
    EXPECT_EQ(windows_long_path(p), p);
  }
}

TEST(WindowsPath, PrefixesLongAbsolutePathsAfterResolvingThem) {
  const std::string dir = nested("C:\\", 7);  // 3 + 7 * 40 + 6 separators
  struct Row {
    std::string in;
    std::string out;
  };
  const Row rows[] = {
      // One past the limit: the plain path would be refused.
      {"C:\\" + std::string(kWindowsPlainPathLimit - 2, 'x'),
       "\\\\?\\C:\\" + std::string(kWindowsPlainPathLimit - 2, 'x')},
      {dir + "\\a.dat", "\\\\?\\" + dir + "\\a.dat"},
      // A drive root joined with a name.
      {"X:\\\\" + kLong + "\\" + nested("", 6) + "\\a.dat",
       "\\\\?\\X:\\" + kLong + "\\" + nested("", 6) + "\\a.dat"},
      // Forward slashes and doubled separators inside.
      {nested("C:/", 7, "/") + "//a.dat", "\\\\?\\" + dir + "\\a.dat"},
      // "." goes, ".." takes the name before it.
      {dir + "\\.\\sub\\..\\a.dat", "\\\\?\\" + dir + "\\a.dat"},
      // ".." never climbs above the drive.
      {"C:\\..\\..\\" + nested("", 7) + "\\a.dat", "\\\\?\\" + dir + "\\a.dat"},
      // Trailing dots and spaces of the last name, one dot of a folder's.
      {dir + "\\sub.\\a.dat. .", "\\\\?\\" + dir + "\\sub\\a.dat"},
      {dir + "\\...\\a.dat", "\\\\?\\" + dir + "\\...\\a.dat"},
      // A network share: the share is the root.
      {"\\\\server\\share\\" + nested("", 2) + "\\..\\..\\..\\..\\" + nested("", 7),
       "\\\\?\\UNC\\server\\share\\" + nested("", 7)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.in);
    EXPECT_EQ(windows_long_path(row.in), row.out);
  }
}

TEST(WindowsPath, TakesThePrefixOffForJoining) {
  EXPECT_EQ(without_long_prefix("\\\\?\\C:\\a"), "C:\\a");
  EXPECT_EQ(without_long_prefix("\\\\?\\C:\\"), "C:\\");
  EXPECT_EQ(without_long_prefix("\\\\?\\UNC\\server\\share\\a"), "\\\\server\\share\\a");
  EXPECT_EQ(without_long_prefix("\\\\.\\pipe\\x"), "\\\\.\\pipe\\x");
  EXPECT_EQ(without_long_prefix("C:\\a"), "C:\\a");
}

// Folders are made one level at a time, never above a root.
TEST(WindowsPath, FindsTheFolderAboveAPathButNeverAboveARoot) {
  const std::size_t kRoot = std::wstring_view::npos;
  const std::pair<std::wstring_view, std::size_t> rows[] = {
      {L"C:\\a\\b", 4},                          // C:\a
      {L"C:\\a\\b\\", 4},                        // a trailing separator is no name
      {L"C:\\a", kRoot},                         // C:\ is the drive
      {L"C:/a/b", 4},                            // forward slashes
      {L"C:a\\b", 3},                            // relative to the drive's folder
      {L"\\\\?\\C:\\a\\b", 8},                   // \\?\C:\a
      {L"\\\\?\\C:\\a", kRoot},                  // \\?\C:\ is the drive
      {L"\\\\?\\UNC\\server\\share\\a\\b", 22},  // \\?\UNC\server\share\a
      {L"\\\\?\\UNC\\server\\share\\a", kRoot},  // the share is the root
      {L"\\\\server\\share\\a\\b", 16},          // \\server\share\a
      {L"\\\\server\\share\\a", kRoot},          // the share is the root
      {L"\\a\\b", 2},                            // \a
      {L"\\a", kRoot},                           // the current drive's root
      {L"a\\b", 1},                              // a
      {L"a", kRoot},                             // the working folder
      {L"", kRoot},
  };
  for (const auto& [path, length] : rows) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_EQ(windows_parent_length(path), length);
  }
}

TEST(WindowsPath, TellsAbsolutePathsFromRelativeOnes) {
  EXPECT_TRUE(is_windows_absolute("C:\\a"));
  EXPECT_TRUE(is_windows_absolute("c:/a"));
  EXPECT_TRUE(is_windows_absolute("\\\\server\\share"));
  EXPECT_FALSE(is_windows_absolute("C:a"));  // the drive's current folder
  EXPECT_FALSE(is_windows_absolute("\\a"));  // the current drive's root
  EXPECT_FALSE(is_windows_absolute("a\\b"));
}

}  // namespace
}  // namespace scenario
