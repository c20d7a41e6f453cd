// Standard input and output as plain byte streams, without the C++ streams' per-call costs. The
// only place tolvane-eval touches the operating system's file calls.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvane::tools {

// Reads at most `size` bytes of standard input into `buffer`. Waits only while nothing is
// there: a pipe or a terminal answers with what has arrived so far. Returns the number of bytes
// read, 0 at the end of the input, or -1 on an error.
[[nodiscard]] std::ptrdiff_t ReadStandardInput(char* buffer, std::size_t size);

// Writes all of `bytes` to standard output (`toError` false) or standard error; false on an
// error.
bool WriteAll(std::string_view bytes, bool toError);

} // namespace tolvane::tools
