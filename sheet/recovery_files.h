// The recovery folder's bookkeeping, without Qt or a file system: how a running window names its
// recovery file and lock, which file "恢复上次的计算" offers, and which files may go.
//
// How the pieces meet: every running window writes its sheet to a file of its own,
// "sheet-<start>-<pid>.txt", and holds the lock "sheet-<start>-<pid>.lock" for as long as it
// runs, so no two windows ever write one file and each can tell a file whose window still runs
// (locked: never offered, never removed) from one that was closed or killed. The caller lists the
// folder into RecoveryEntry values; these functions only decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::sheet {

// Recovery files whose window is gone are removed this long after they were last written.
inline constexpr std::int64_t kRecoveryMaxAgeMs = std::int64_t{7} * 24 * 60 * 60 * 1000;

// The names for a window started at `startMs` (milliseconds since the epoch) by process `pid`.
[[nodiscard]] std::string RecoveryFileName(std::int64_t startMs, std::int64_t pid);
// The lock held beside a recovery file by its running window.
[[nodiscard]] std::string RecoveryLockName(std::string_view recoveryFileName);
// Whether a name is that of a recovery file ("sheet-<digits>-<digits>.txt").
[[nodiscard]] bool IsRecoveryFileName(std::string_view name);

struct RecoveryEntry {
    std::string name;
    std::int64_t modifiedMs = 0;
    std::int64_t size = 0;
    // Its window still runs (the lock is held).
    bool live = false;
};

// The file "恢复上次的计算" offers: the one last written among the recovery files of windows that
// are gone, skipping `own` and empty files (an emptied sheet holds nothing to bring back, and
// must not hide the work of an earlier run). The index into `entries`, or nullopt.
[[nodiscard]] std::optional<std::size_t>
NewestRecoverable(const std::vector<RecoveryEntry>& entries, std::string_view own);

// Recovery files of windows that are gone, and temporary files of writes cut short, last written
// more than `maxAgeMs` before `nowMs`.
[[nodiscard]] std::vector<std::string>
ExpiredRecoveryFiles(const std::vector<RecoveryEntry>& entries, std::string_view own,
                     std::int64_t nowMs, std::int64_t maxAgeMs);

// After a recovery the recovered text lives on in this window's own file, so every file of a
// window that is gone and that was written no later than the recovered one (`recoveredMs`) has
// had its turn: all of them go. A file written since (a window that died meanwhile) stays.
[[nodiscard]] std::vector<std::string>
SupersededRecoveryFiles(const std::vector<RecoveryEntry>& entries, std::string_view own,
                        std::int64_t recoveredMs);

} // namespace tolvane::sheet
