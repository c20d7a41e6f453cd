#include "tools/raw_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace tolvane::tools {

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

std::ptrdiff_t ReadStandardInput(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, std::min<std::size_t>(size, INT_MAX));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool WriteAll(std::string_view bytes, bool toError)
{
    const int descriptor = toError ? STDERR_FILENO : STDOUT_FILENO;
    while (!bytes.empty()) {
        const ssize_t n =
            write(descriptor, bytes.data(), std::min<std::size_t>(bytes.size(), INT_MAX));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace tolvane::tools
