#pragma once

// Small helpers shared by the tests: files as bytes, and real obstacles to
// writing that work as root (permission bits alone do not stop root).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace TestFiles {

QByteArray read(const QString &path);
void write(const QString &path, const QByteArray &contents);
bool isRoot();

// text as a UTF-16LE file with its byte-order mark.
QByteArray utf16le(const QString &text);

// The first line (1-based) where two texts differ, for readable failures.
QString firstDifference(const QByteArray &actual, const QByteArray &expected);

// Names in a folder, to prove that no temporary file was left behind.
QStringList entries(const QString &folder);

// What the platform's own INI reader returns for the entry, asked as the
// host program asks it (GetPrivateProfileStringA, a 255-byte buffer, "" as
// the default); nothing where the platform has none (Linux).
std::optional<QByteArray> platformIniValue(
    const QString &path, const QByteArray &section, const QByteArray &key);

// What follows needs a POSIX system (TestFiles_posix.cpp). On Windows
// isRoot() is false, mounts are never ok() and the other user cannot be
// played: the rows that need them skip.

// A mount that is undone when the object goes: a tiny tmpfs (to fill it up),
// or a folder bound read-only onto itself. Needs root; ok() says whether it
// took.
class ScopedMount
{
public:
    static ScopedMount tinyTmpfs(const QString &folder, int kilobytes);
    static ScopedMount readOnlyBind(const QString &folder);
    // A small ext2 file system (no fallocate, 1 KB blocks) from an image file.
    static ScopedMount ext2(const QString &folder, const QString &image, int kilobytes);
    ScopedMount(ScopedMount &&other) noexcept;
    ScopedMount(const ScopedMount &) = delete;
    ScopedMount &operator=(const ScopedMount &) = delete;
    ScopedMount &operator=(ScopedMount &&) = delete;
    ~ScopedMount();
    bool ok() const { return !m_folder.isEmpty(); }

private:
    explicit ScopedMount(const QString &folder)
        : m_folder(folder)
    { }
    QString m_folder;
};

// Fills the file system that holds folder until not one more byte fits.
void fillUp(const QString &folder);

// The unprivileged user the tests play another local user with.
constexpr unsigned NobodyId = 65534;
// A copy of a program in folder that the other user may run: the build tree
// may lie where that user cannot reach (a home folder that is 0700).
QString copyForNobody(const QString &program, const QString &folder);
// Runs a program as that user (through setpriv; needs root), with extra
// environment entries; returns its exit code, or -1 when it could not run.
int runAsNobody(
    const QString &program, const QStringList &arguments, const QStringList &environment = {});

} // namespace TestFiles
