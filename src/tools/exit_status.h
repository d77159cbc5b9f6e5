#pragma once

namespace scenario::tools {

/// Exit statuses shared by the subcommands: 0 and 1 as compilers use them,
/// the rest the BSD sysexits values, so that scripts can tell a problem in
/// the texts from a problem with the command line or the machine.
constexpr int kExitClean = 0;
/// A code recorded (compile), an error found (check).
constexpr int kExitProblem = 1;
/// A reserved slot taken: the builder would stop with its error box.
constexpr int kExitFatal = 2;
constexpr int kExitUsage = 64;
constexpr int kExitBadData = 65;
constexpr int kExitNoInput = 66;
constexpr int kExitSoftware = 70;
constexpr int kExitCannotCreate = 73;

}  // namespace scenario::tools
