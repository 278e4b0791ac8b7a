// The obstacles that need a POSIX system: root, mounts, another user.

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace TestFiles {

bool isRoot()
{
    return ::geteuid() == 0;
}

std::optional<QByteArray> platformIniValue(const QString &, const QByteArray &, const QByteArray &)
{
    return std::nullopt;
}

static bool run(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("mount"), arguments) == 0;
}

ScopedMount ScopedMount::tinyTmpfs(const QString &folder, int kilobytes)
{
    if (isRoot()
        && run({"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(kilobytes), "tmpfs", folder}))
        return ScopedMount(folder);
    return ScopedMount(QString());
}

ScopedMount ScopedMount::readOnlyBind(const QString &folder)
{
    if (!isRoot() || !run({"--bind", folder, folder}))
        return ScopedMount(QString());
    ScopedMount mount(folder);
    if (!run({"-o", "remount,bind,ro", folder, folder}))
        return ScopedMount(QString());
    return mount;
}

ScopedMount::ScopedMount(ScopedMount &&other) noexcept
    : m_folder(std::exchange(other.m_folder, QString()))
{ }

ScopedMount::~ScopedMount()
{
    if (!m_folder.isEmpty())
        QProcess::execute(QStringLiteral("umount"), {m_folder});
}

ScopedMount ScopedMount::ext2(const QString &folder, const QString &image, int kilobytes)
{
    if (!isRoot())
        return ScopedMount(QString());
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(kilobytes) * 1024))
        return ScopedMount(QString());
    file.close();
    if (QProcess::execute(QStringLiteral("mkfs.ext2"), {"-q", "-F", "-b", "1024", image}) != 0
        || !run({"-o", "loop", image, folder}))
        return ScopedMount(QString());
    return ScopedMount(folder);
}

QString copyForNobody(const QString &program, const QString &folder)
{
    const QString copy = folder + QStringLiteral("/") + QFileInfo(program).fileName();
    QFile::remove(copy);
    QFile::copy(program, copy);
    QFile::setPermissions(copy,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
            | QFileDevice::ExeOther);
    return copy;
}

int runAsNobody(
    const QString &program, const QStringList &arguments, const QStringList &environment)
{
    const QString id = QString::number(NobodyId);
    return QProcess::execute(QStringLiteral("setpriv"),
        QStringList {"--reuid=" + id, "--regid=" + id, "--clear-groups", "--", "env"} + environment
            + QStringList {program} + arguments);
}

void fillUp(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) { }
    const QByteArray byte(1, 'x');
    while (filler.write(byte) == 1 && filler.flush()) { }
}

} // namespace TestFiles
