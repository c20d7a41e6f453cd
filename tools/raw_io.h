// Standard input, standard output and the command line of tolvane-eval: the only place it
// touches the operating system. One header, one file per platform (raw_io_unix.cpp,
// raw_io_win.cpp), chosen by CMake.
//
// Everything tolvane-eval handles is UTF-8. Unix passes bytes through as they are. Windows
// differs in two ways, both because a Chinese console works in code page 936 (GBK) or another
// "ANSI" code page, never in UTF-8 by default:
// - the arguments come from the wide (UTF-16) command line, not from the C runtime's argv,
//   which holds them in that code page and so loses or folds what it cannot hold (the
//   full-width brackets of "（1+2）*3" became ASCII ones);
// - when standard input or output is a console, text goes in and out as UTF-16 (ReadConsoleW,
//   WriteConsoleW), so Chinese reads right whatever the console's code page. A pipe or a file
//   gets the UTF-8 bytes, as on Unix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::tools {

// The program's arguments after its name, as UTF-8.
[[nodiscard]] std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Reads at most `size` bytes of standard input into `buffer`. Waits only while nothing is
// there: a pipe or a terminal answers with what has arrived so far. Returns the number of bytes
// read, 0 at the end of the input, or -1 on an error. `size` must be at least 8.
[[nodiscard]] std::ptrdiff_t ReadStandardInput(char* buffer, std::size_t size);

// Writes all of `bytes` (UTF-8) to standard output (`toError` false) or standard error; false on
// an error.
bool WriteAll(std::string_view bytes, bool toError);

} // namespace tolvane::tools
