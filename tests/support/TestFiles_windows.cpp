// On Windows no test runs with rights that ignore the read-only attribute,
// and the POSIX obstacles (mounts, another user) are not to be had: rows
// that need them skip, saying so.

#include "TestFiles.h"

#include <QDir>

#include <windows.h>

namespace TestFiles {

bool isRoot()
{
    return false;
}

std::optional<QByteArray> platformIniValue(
    const QString &path, const QByteArray &section, const QByteArray &key)
{
    char buffer[255];
    std::fill(buffer, buffer + sizeof buffer, ' ');
    GetPrivateProfileStringA(section.constData(), key.constData(), "", buffer, sizeof buffer,
        QDir::toNativeSeparators(path).toLocal8Bit().constData());
    return QByteArray(buffer); // up to the NUL the reader wrote
}

ScopedMount ScopedMount::tinyTmpfs(const QString &, int)
{
    return ScopedMount(QString());
}

ScopedMount ScopedMount::readOnlyBind(const QString &)
{
    return ScopedMount(QString());
}

ScopedMount ScopedMount::ext2(const QString &, const QString &, int)
{
    return ScopedMount(QString());
}

ScopedMount::ScopedMount(ScopedMount &&other) noexcept
    : m_folder(std::move(other.m_folder))
{ }

ScopedMount::~ScopedMount() = default;

void fillUp(const QString &)
{ }

} // namespace TestFiles
