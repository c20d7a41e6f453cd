#include "tests/window/file_faults.h"

#include <QFile>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tolvane::test {

AsNobody::AsNobody()
{
    if (geteuid() == 0) {
        setfsgid(65534);
        setfsuid(65534);
        // setfsuid answers the id in force before the call: the second call tells.
        m_ok = setfsuid(65534) == 65534;
    }
}

AsNobody::~AsNobody()
{
    if (geteuid() == 0) {
        setfsuid(0);
        setfsgid(0);
    }
}

bool DenyReading(const QString& file)
{
    return QFile::setPermissions(file, QFileDevice::WriteOwner);
}

bool DenyWriting(const QString& folder)
{
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
}

void AllowWriting(const QString& folder)
{
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

FileSizeLimit::FileSizeLimit(std::int64_t bytes)
{
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    m_before = static_cast<std::int64_t>(before.rlim_cur);
    rlimit small = before;
    small.rlim_cur = static_cast<rlim_t>(bytes);
    // The write must fail, not the process end.
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    m_ok = setrlimit(RLIMIT_FSIZE, &small) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    before.rlim_cur = static_cast<rlim_t>(m_before);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, m_oldHandler);
}

QString EndlessDevice()
{
    return QStringLiteral("/dev/zero");
}

QString FullDevice()
{
    return QStringLiteral("/dev/full");
}

} // namespace tolvane::test
