#include "tools/raw_io.h"

// windows.h first: the other Windows headers build on its definitions.
// clang-format off
#include <windows.h>
#include <io.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <climits>

namespace tolvane::tools {

namespace {

std::string ToUtf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

// Bytes that are not UTF-8 become U+FFFD, as a terminal on Unix would show them.
std::wstring ToWide(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), size);
    return out;
}

HANDLE HandleOf(int descriptor)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Ctrl+Z typed into the console ends the input, as the C runtime's text mode has it; after it
// every read answers "end".
bool g_consoleInputEnded = false;

std::ptrdiff_t ReadConsoleText(HANDLE console, char* buffer, std::size_t size)
{
    if (g_consoleInputEnded)
        return 0;
    // A UTF-16 unit becomes at most three bytes of UTF-8, a surrogate pair (two units) four;
    // one unit of room is kept for the second half of a pair cut off by the read.
    const std::size_t units = std::min<std::size_t>(size / 3 - 1, 1 << 14);
    std::wstring text(units, L'\0');
    DWORD got = 0;
    if (!ReadConsoleW(console, text.data(), static_cast<DWORD>(units), &got, nullptr))
        return -1;
    text.resize(got);
    if (!text.empty() && IS_HIGH_SURROGATE(text.back())) {
        wchar_t low = 0;
        DWORD one = 0;
        if (ReadConsoleW(console, &low, 1, &one, nullptr) && one == 1)
            text.push_back(low);
    }
    if (const std::size_t stop = text.find(L'\x1a'); stop != std::wstring::npos) {
        text.resize(stop);
        g_consoleInputEnded = true;
    }
    const std::string utf8 = ToUtf8(text);
    std::copy(utf8.begin(), utf8.end(), buffer);
    return static_cast<std::ptrdiff_t>(utf8.size());
}

bool WriteConsoleText(HANDLE console, std::string_view bytes)
{
    constexpr std::size_t kChunk = 1 << 14;
    while (!bytes.empty()) {
        // Never cut a UTF-8 sequence in two: back up to the byte that starts it.
        std::size_t cut = std::min(bytes.size(), kChunk);
        for (int k = 0; k < 3 && cut < bytes.size() && cut > 1 &&
                        (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80;
             ++k)
            --cut;
        const std::wstring wide = ToWide(bytes.substr(0, cut));
        for (std::size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(wide.size() - done),
                               &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        bytes.remove_prefix(cut);
    }
    return true;
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
    std::vector<std::string> arguments;
    for (int k = 1; k < count; ++k)
        arguments.push_back(ToUtf8(wide[k]));
    LocalFree(wide);
    return arguments;
}

std::ptrdiff_t ReadStandardInput(char* buffer, std::size_t size)
{
    if (const HANDLE input = HandleOf(0); IsConsole(input))
        return ReadConsoleText(input, buffer, size);
    for (;;) {
        const int n = _read(0, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool WriteAll(std::string_view bytes, bool toError)
{
    const int descriptor = toError ? 2 : 1;
    if (const HANDLE output = HandleOf(descriptor); IsConsole(output))
        return WriteConsoleText(output, bytes);
    while (!bytes.empty()) {
        const int n = _write(descriptor, bytes.data(),
                             static_cast<unsigned>(std::min<std::size_t>(bytes.size(), INT_MAX)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace tolvane::tools
