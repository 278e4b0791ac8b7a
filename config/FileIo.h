#pragma once

#include "WriteResult.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// The file-system operations both stores are built on. Everything that is
// specific to the operating system lives behind these few functions.
// A path as the file system spells it: bytes on Linux, which need not be
// UTF-8. Made from a QString where the path came from the window.
class FilePath
{
public:
    FilePath(const QString &path) // NOLINT: implicit on purpose
        : m_native(QFile::encodeName(path))
    { }
    static FilePath fromNative(const QByteArray &bytes)
    {
        FilePath path {QString()};
        path.m_native = bytes;
        return path;
    }
    const QByteArray &native() const { return m_native; }
    QString display() const { return QFile::decodeName(m_native); }
    bool isEmpty() const { return m_native.isEmpty(); }

private:
    QByteArray m_native;
};

namespace FileIo {

enum class ReadStatus { Ok, Missing, Folder, NotRegular, Unreadable, TooLarge };

// Reads a whole regular file (following links). Anything else -- a folder, a
// FIFO, a device, a socket -- is never opened for reading, so a wrong path can
// never block or stream without end.
// error, when given, receives the system's error number for Unreadable.
ReadStatus readRegularFile(
    const FilePath &path, QByteArray &contents, qint64 maxSize, int *error = nullptr);

// The system's error number in plain words ("the disk is full").
QString reasonFor(int error);
// Why a read did not give a file's contents, in plain words; "" for Ok.
QString reasonFor(ReadStatus status, int error);

// "Could not write "<path>": <reason>." -- or, for an empty path, that none was given.
WriteResult writeFailure(const FilePath &path, const QString &reason);

struct AtomicWriteOptions
{
    // Mode for the written file; -1 keeps the mode of the file being replaced
    // (or gives a new file the usual 0666 less the umask).
    int forcedMode = -1;
    // Follow symbolic links and replace the file they finally point to.
    bool followLinks = true;
    // Where the folder refuses a new file but the file itself is writable,
    // rewrite the file in place rather than fail.
    bool allowInPlaceFallback = false;
    // Refuse to replace a file its permissions protect. A file that has no
    // write bit for anyone counts as read-only, even for root.
    bool respectFilePermissions = true;
};

// Replaces the file at path with contents: all or nothing. The new bytes go to
// a temporary file beside the target, are flushed to disk and renamed over it,
// so a reader or a crash sees either the old file or the new one. Mode and
// owner of the replaced file are kept. 'what' names the file in messages.
WriteResult writeAtomically(
    const FilePath &path, const QByteArray &contents, const AtomicWriteOptions &options);

// Checks that an existing file could be rewritten, without touching it.
WriteResult checkWritable(const FilePath &path, const AtomicWriteOptions &options);

// Holds an exclusive lock on the folder of the file that path finally names,
// so that two of our writers never read-modify-write the same file at once
// (the second would undo the first). Writers that do not lock are not
// stopped; they only risk their own change.
class FolderLock
{
public:
    explicit FolderLock(const FilePath &path);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    // False when another writer held the lock for too long.
    bool busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};

// Creates a folder (and missing parents) with the given mode, whatever the umask.
WriteResult makeFolder(const FilePath &path, int mode);

} // namespace FileIo
