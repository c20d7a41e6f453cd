#include "tests/window/file_faults.h"

namespace tolvane::test {

AsNobody::AsNobody() = default;
AsNobody::~AsNobody() = default;

bool DenyReading(const QString&)
{
    return false;
}

bool DenyWriting(const QString&)
{
    return false;
}

void AllowWriting(const QString&) {}

FileSizeLimit::FileSizeLimit(std::int64_t) {}
FileSizeLimit::~FileSizeLimit() = default;

QString EndlessDevice()
{
    return {};
}

QString FullDevice()
{
    return {};
}

} // namespace tolvane::test
