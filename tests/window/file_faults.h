// Ways for a test to make file work fail, which differ by system: file_faults_unix.cpp and
// file_faults_win.cpp, chosen by CMake. Where a system has no such way, the helper says so and
// the row that needs it is skipped.
//
// Unix: permissions are set with chmod, root's rights are dropped with setfsuid (root passes
// every permission check), a full disk is a file size limit (RLIMIT_FSIZE), and /dev/zero and
// /dev/full are the endless and the full device. Windows has none of these: Qt sets only the
// read-only attribute there, which neither hides a file from reading nor closes a folder.
#pragma once

#include <QString>

#include <cstdint>

namespace tolvane::test {

// While one lives, file work runs as nobody when the test runs as root; ok() is false when the
// rights could not be dropped. Elsewhere there is nothing to drop.
class AsNobody {
public:
    AsNobody();
    ~AsNobody();
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    bool m_ok = true;
};

// Takes away the right to read `file`; false where the system cannot.
[[nodiscard]] bool DenyReading(const QString& file);
// Takes away the right to make or remove files in `folder` (AllowWriting gives it back); false
// where the system cannot.
[[nodiscard]] bool DenyWriting(const QString& folder);
void AllowWriting(const QString& folder);

// While one lives, a file may grow to `bytes` only and a write beyond fails, as on a full disk;
// ok() is false where the system cannot limit it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    bool m_ok = false;
    std::int64_t m_before = 0;
    void (*m_oldHandler)(int) = nullptr;
};

// A device that reads endless zeros, and one on which every write fails for lack of room; empty
// where the system has none.
[[nodiscard]] QString EndlessDevice();
[[nodiscard]] QString FullDevice();

} // namespace tolvane::test
