#pragma once

// Small pieces the POSIX side of FileIo shares between reading and writing.

#include "FileIo.h"

#include <QByteArray>

#include <sys/types.h>

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
