#pragma once

#include "WriteResult.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

// The file-system operations both stores are built on. Everything that is
// specific to the operating system lives behind these few functions, with
// one implementation per platform (FileIo_posix.cpp and FileWrite_posix.cpp,
// FileIo_windows.cpp), chosen by the build.

namespace FileIo {
// A path from the window as the file system spells it, and back for display.
QByteArray encodePath(const QString &path);
QString decodePath(const QByteArray &native);
} // namespace FileIo

// A path as the file system spells it: bytes on Linux, which need not be
// UTF-8; UTF-8 on Windows, whose paths are UTF-16. Made from a QString where
// the path came from the window.
class FilePath
{
public:
    FilePath(const QString &path) // NOLINT: implicit on purpose
        : m_native(FileIo::encodePath(path))
    { }
    static FilePath fromNative(const QByteArray &bytes)
    {
        FilePath path {QString()};
        path.m_native = bytes;
        return path;
    }
    const QByteArray &native() const { return m_native; }
    QString display() const { return FileIo::decodePath(m_native); }
    bool isEmpty() const { return m_native.isEmpty(); }

private:
    QByteArray m_native;
};

namespace FileIo {

enum class ReadStatus { Ok, Missing, Folder, NotRegular, Link, Unreadable, TooLarge };

enum class Links { Follow, Refuse };

// Reads a whole regular file, following links unless told to refuse a path
// that is one (Link). Anything else -- a folder, a FIFO, a device, a socket --
// is never opened for reading, so a wrong path can never block or stream
// without end. reason, when given, says in plain words why the contents
// could not be read ("" for Ok).
ReadStatus readRegularFile(const FilePath &path, QByteArray &contents, qint64 maxSize,
    QString *reason = nullptr, Links links = Links::Follow);

// Why a read did not give a file's contents, in plain words ("" for Ok),
// for the platform files: they give the words for what only they can tell,
// a file that is not an ordinary one and the system's own error.
QString readFailure(ReadStatus status, const QString &notRegular, const QString &unreadable);

// "Could not write "<path>": <reason>." -- or, for an empty path, that none was given.
WriteResult writeFailure(const FilePath &path, const QString &reason);

struct AtomicWriteOptions
{
    // Make the written file readable and writable by its owner alone; when
    // false, it keeps the access of the file it replaces (a new file gets
    // the usual access of a new file).
    bool ownerOnly = false;
    // Follow symbolic links and replace the file they finally point to; when
    // false, a link is refused.
    bool followLinks = true;
    // Refuse to replace a file its permissions protect. A read-only file
    // (the read-only attribute; no write bit for anyone) counts as such even
    // for root or an administrator.
    bool respectFilePermissions = true;
    // Where a rename cannot keep what the file needs (the folder refuses a new
    // file, or the replacement could not keep the file's owner, ACL or
    // extended attributes), the file is rewritten in place, but only after a
    // complete, flushed copy of it has been written into this folder. Empty:
    // such a write is refused.
    QByteArray backupFolder;
    // The largest file that is read to be changed.
    qint64 maxSize = qint64(256) * 1024 * 1024;
};

// The change a rewrite makes: new contents, nothing to do, or why not.
struct Change
{
    QString error; // why the change cannot be made; empty when it can
    bool changed = false; // false when the file already says it
    QByteArray contents; // the new file, when changed
};

// Reads the file that path finally names, asks change for its new contents
// and replaces it: all or nothing. Links are resolved once, and that one
// file is locked against our other writers, read and replaced. The new bytes
// go to an unnamed temporary file in the same folder (a named one where the
// file system has none), are flushed to disk and renamed over the file, with
// its owner, group, mode, ACL and extended attributes. A file that is open
// for writing by another program (where that can be seen), or that changes
// between the read and the replace, is read again, a few times, then refused.
// 'path' names the file in messages.
WriteResult rewriteFile(const FilePath &path,
    const std::function<Change(const QByteArray &current)> &change,
    const AtomicWriteOptions &options);

// The same for contents that do not depend on what the file holds.
WriteResult writeAtomically(
    const FilePath &path, const QByteArray &contents, const AtomicWriteOptions &options);

// Holds an exclusive lock on a folder, so that two of our writers never
// read-modify-write a file in it at once (the second would undo the first)
// and a writer may clear away what killed writers left there. Writers that
// do not lock are not stopped; rewriteFile notices their changes.
class FolderLock
{
public:
    explicit FolderLock(const QByteArray &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    // False when another writer held the lock for too long.
    bool busy() const { return m_busy; }

private:
    qintptr m_handle = -1; // the platform's handle of the lock
    bool m_busy = false;
};

// For tests: runs between reading a file and replacing it, so that a test
// can play another program that writes the file at that moment.
void setBeforeReplaceHook(std::function<void()> hook);

// The folder that holds the running program, as the file system spells it.
FilePath programFolder();

// The file name of the program of that name on this platform: "kovrapost"
// here, "kovrapost.exe" on Windows.
QString programFileName(const QString &name);

// Where this user's state of the program is kept (backup copies among it):
// $XDG_STATE_HOME/Welcora, or ~/.local/state/Welcora, on Linux;
// %LOCALAPPDATA%\Welcora on Windows. "" when the system names no such place.
QString stateFolder();

} // namespace FileIo
