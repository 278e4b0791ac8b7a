#pragma once

#include "WriteResult.h"

#include <QByteArray>
#include <QString>

// The file-system operations both stores are built on. Everything that is
// specific to the operating system lives behind these few functions.
namespace FileIo {

enum class ReadStatus { Ok, Missing, Folder, NotRegular, Unreadable, TooLarge };

// Reads a whole regular file (following links). Anything else -- a folder, a
// FIFO, a device, a socket -- is never opened for reading, so a wrong path can
// never block or stream without end.
ReadStatus readRegularFile(const QString &path, QByteArray &contents, qint64 maxSize);

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
    const QString &path, const QByteArray &contents, const AtomicWriteOptions &options);

// Checks that an existing file could be rewritten, without touching it.
WriteResult checkWritable(const QString &path, const AtomicWriteOptions &options);

// Creates a folder (and missing parents) with the given mode, whatever the umask.
WriteResult makeFolder(const QString &path, int mode);

} // namespace FileIo
