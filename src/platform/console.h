#pragma once

#include <string>
#include <vector>

// What a console program needs of its host to speak UTF-8: the program keeps
// UTF-8 text throughout and converts only here.

namespace scenario {

/// The arguments after the program's name, as UTF-8 text. A C main on
/// Windows receives them in the ANSI code page, which loses every character
/// outside it; there they come from the wide command line instead.
std::vector<std::string> program_arguments(int argc, char** argv);

/// Lets the console show UTF-8 output as such (Windows: its output code
/// page); elsewhere the terminal already does.
void use_utf8_console();

}  // namespace scenario
