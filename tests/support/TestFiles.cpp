#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

#include <unistd.h>

namespace TestFiles {

QByteArray read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void write(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

bool isRoot()
{
    return ::geteuid() == 0;
}

QByteArray utf16le(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QString firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> e = expected.split('\n');
    for (qsizetype i = 0; i < qMax(a.size(), e.size()); ++i) {
        const QByteArray left = i < a.size() ? a[i] : QByteArray("<end of file>");
        const QByteArray right = i < e.size() ? e[i] : QByteArray("<end of file>");
        if (left != right) {
            return QStringLiteral("line %1: got %2, expected %3")
                .arg(i + 1)
                .arg(QString::fromLatin1(left.toPercentEncoding(" =[];\"'")),
                    QString::fromLatin1(right.toPercentEncoding(" =[];\"'")));
        }
    }
    return QStringLiteral("no difference");
}

QStringList entries(const QString &folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end());
    return names;
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
