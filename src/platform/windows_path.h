#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How a path the program spells in UTF-8 becomes one that Windows accepts at
// any length. Pure text work, so that it is tested on every host: Wine takes
// long paths without the prefix and cannot show what real Windows refuses.

namespace scenario {

/// The longest path, in UTF-16 units, that every Win32 file function takes
/// as it is: MAX_PATH (260) less the terminating zero and the 12 units a
/// directory must leave for a short file name inside it.
inline constexpr std::size_t kWindowsPlainPathLimit = 247;

/// How many UTF-16 units `utf8` becomes; the limit above counts those, not
/// bytes. A malformed byte counts as one unit (it becomes U+FFFD).
std::size_t utf16_length(std::string_view utf8);

/// True for "X:\..." and "X:/..." and for UNC paths ("\\server\share...").
bool is_windows_absolute(std::string_view path);

/// `path` as the wide Win32 functions accept it. A path within the plain
/// limit, a relative one and one that already carries "\\?\" or "\\.\" come
/// back unchanged: Windows normalises those itself. A longer absolute path
/// gets the extended-length prefix ("\\?\X:\..." or "\\?\UNC\server\share\..."),
/// after which Windows takes every character literally; so this does what it
/// would have done: separators become backslashes, doubled ones collapse
/// (a drive root joined with a name, "X:\\name"), "." goes, ".." removes the
/// name before it but never climbs above the drive or share, and the trailing
/// dots and spaces Windows strips from a name are stripped.
std::string windows_long_path(const std::string& path);

/// How many units of `path`, a path as the wide Win32 functions take it,
/// name the folder that holds its last name: for making missing folders one
/// level at a time. npos when that folder is a root (a drive, a share, the
/// current drive's root) or there is none, as nothing above is ever made.
std::size_t windows_parent_length(std::wstring_view path);

/// `path` without the extended-length prefix ("\\?\X:\a" gives "X:\a",
/// "\\?\UNC\server\share" gives "\\server\share"), for text that is
/// joined with more names: the prefix goes on again, after resolving, where
/// the whole is too long.
std::string without_long_prefix(const std::string& path);

}  // namespace scenario
