#pragma once

// Small pieces the POSIX side of FileIo shares between reading and writing.

#include "FileIo.h"

#include <QByteArray>

#include <sys/types.h>

namespace FileIo {

// The system's error number in plain words ("the disk is full").
QString reasonFor(int error);
// Why a read did not give a file's contents, in plain words; "" for Ok.
QString reasonFor(ReadStatus status, int error);

// The same as readRegularFile, with the system's error number for Unreadable.
ReadStatus readRegularFile(
    const FilePath &path, QByteArray &contents, qint64 maxSize, int &error, Links links);

// Makes sure a folder is private to this user: created 0700 where missing,
// closed to others (0700) where it is open to them; refused where it is a
// symbolic link, not a folder, or belongs to another user.
WriteResult makePrivateFolder(const FilePath &path);

// $VARIABLE when it holds an absolute path, else $HOME/underHome; "" when
// neither is set. The per-user folders of the XDG base directories.
QString userFolder(const char *variable, const char *underHome);

// Creates a folder (and missing parents) private to this user (0700),
// whatever the umask.
WriteResult makePrivateFolders(const FilePath &path);

} // namespace FileIo

namespace FileIo::Posix {

QByteArray folderOf(const QByteArray &path);
QByteArray nameOf(const QByteArray &path);

// Follows a chain of symbolic links to the file it finally names (which
// need not exist). Relative link targets are taken from the link's folder.
bool resolveLinks(QByteArray path, QByteArray &resolved, int &error);

bool writeAll(int fd, QByteArrayView data, off_t offset, int &error);
void syncFolder(const QByteArray &folder);

// Reads what an open regular file holds (expectedSize as fstat gave it, and
// whatever it has grown by since), never more than maxSize.
ReadStatus readOpenFile(
    int fd, qint64 expectedSize, QByteArray &contents, qint64 maxSize, int &error);

} // namespace FileIo::Posix
