#pragma once

#include "FileIo.h"
#include "WriteResult.h"

#include <QByteArray>
#include <QString>

// Reading and writing single entries of another program's INI file, exactly
// as the Windows profile functions see them. Text is the system's 8-bit text
// on our side (SystemText: UTF-8 on Linux, the ANSI code page on Windows); the
// file keeps its own encoding and every byte a change does not need.
namespace INI_Files {

// The longest value the reader hands back, in bytes, as the host program sees it.
constexpr qsizetype MaxValueBytes = 254;
// An INI file is a few kilobytes; anything beyond this is not one.
constexpr qint64 MaxFileBytes = qint64(256) * 1024 * 1024;

// The value of key in section, or "" when the file, section or key is missing
// or the file cannot be read. Never changes anything.
QByteArray ReadIniValue(const FilePath &path, const QByteArray &section, const QByteArray &key);

// Sets key=value in section, adding the section or key where missing and
// creating the file in an existing folder. All or nothing; a failure names the
// file and the reason and leaves the file exactly as it was. Where the file
// must be rewritten in place, its backup copy goes into backupFolder().
WriteResult WriteIniValue(const FilePath &path, const QByteArray &section, const QByteArray &key,
    const QByteArray &value);

// Where backup copies of files rewritten in place are kept while they are
// rewritten: FileIo::stateFolder()/backups.
QByteArray backupFolder();

// The whole file, for several lookups with valueIn; when it cannot be read
// (a missing file included), error says why in plain words and nothing is
// returned.
QByteArray readIniFile(const FilePath &path, QString &error);

// The same as ReadIniValue on file contents in memory.
QByteArray valueIn(const QByteArray &contents, const QByteArray &section, const QByteArray &key);

// The file with key=value set in section (a FileIo::Change: the new contents,
// nothing to change, or why it cannot be done).
FileIo::Change withValue(const QByteArray &contents, const QByteArray &section,
    const QByteArray &key, const QByteArray &value);

} // namespace INI_Files
