#include "tools/raw_io.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tolvane::tools {

namespace {

// One read or write call of at most `size` bytes; the Windows runtime counts in unsigned int.
#ifdef _WIN32
long ReadOnce(char* buffer, std::size_t size)
{
    return _read(0, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
long WriteOnce(int descriptor, const char* bytes, std::size_t size)
{
    return _write(descriptor, bytes, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
#else
long ReadOnce(char* buffer, std::size_t size)
{
    return static_cast<long>(read(STDIN_FILENO, buffer, std::min<std::size_t>(size, INT_MAX)));
}
long WriteOnce(int descriptor, const char* bytes, std::size_t size)
{
    return static_cast<long>(write(descriptor, bytes, std::min<std::size_t>(size, INT_MAX)));
}
#endif

} // namespace

std::ptrdiff_t ReadStandardInput(char* buffer, std::size_t size)
{
    for (;;) {
        const long n = ReadOnce(buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool WriteAll(std::string_view bytes, bool toError)
{
    const int descriptor = toError ? 2 : 1;
    while (!bytes.empty()) {
        const long n = WriteOnce(descriptor, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace tolvane::tools
