#include "sheet/recovery_files.h"

#include <algorithm>

namespace tolvane::sheet {

namespace {

constexpr std::string_view kPrefix = "sheet-";
constexpr std::string_view kTextSuffix = ".txt";
constexpr std::string_view kLockSuffix = ".lock";

bool IsDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

bool IsGone(const RecoveryEntry& entry, std::string_view own)
{
    return !entry.live && entry.name != own && IsRecoveryFileName(entry.name);
}

// What a write cut short leaves behind: QSaveFile's temporary file, "<recovery file>.<random>".
bool IsLeftover(std::string_view name)
{
    const std::size_t end = name.find(".txt.");
    return end != std::string_view::npos && IsRecoveryFileName(name.substr(0, end + 4));
}

} // namespace

std::string RecoveryFileName(std::int64_t startMs, std::int64_t pid)
{
    return std::string(kPrefix) + std::to_string(startMs) + "-" + std::to_string(pid) +
           std::string(kTextSuffix);
}

std::string RecoveryLockName(std::string_view recoveryFileName)
{
    std::string_view base = recoveryFileName;
    if (base.ends_with(kTextSuffix))
        base.remove_suffix(kTextSuffix.size());
    return std::string(base) + std::string(kLockSuffix);
}

bool IsRecoveryFileName(std::string_view name)
{
    if (!name.starts_with(kPrefix) || !name.ends_with(kTextSuffix))
        return false;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kTextSuffix.size());
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && IsDigits(name.substr(0, dash)) &&
           IsDigits(name.substr(dash + 1));
}

std::optional<std::size_t> NewestRecoverable(const std::vector<RecoveryEntry>& entries,
                                             std::string_view own)
{
    std::optional<std::size_t> newest;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RecoveryEntry& entry = entries[i];
        if (!IsGone(entry, own) || entry.size == 0)
            continue;
        // Equal times go to the later name, so the choice never depends on the listing's order.
        if (!newest || entry.modifiedMs > entries[*newest].modifiedMs ||
            (entry.modifiedMs == entries[*newest].modifiedMs && entry.name > entries[*newest].name))
            newest = i;
    }
    return newest;
}

std::vector<std::string> ExpiredRecoveryFiles(const std::vector<RecoveryEntry>& entries,
                                              std::string_view own, std::int64_t nowMs,
                                              std::int64_t maxAgeMs)
{
    std::vector<std::string> expired;
    for (const RecoveryEntry& entry : entries) {
        if ((IsGone(entry, own) || IsLeftover(entry.name)) && nowMs - entry.modifiedMs > maxAgeMs)
            expired.push_back(entry.name);
    }
    return expired;
}

std::vector<std::string> SupersededRecoveryFiles(const std::vector<RecoveryEntry>& entries,
                                                 std::string_view own, std::int64_t recoveredMs)
{
    std::vector<std::string> superseded;
    for (const RecoveryEntry& entry : entries) {
        if (IsGone(entry, own) && entry.modifiedMs <= recoveredMs)
            superseded.push_back(entry.name);
    }
    return superseded;
}

} // namespace tolvane::sheet
