#pragma once

// Small pieces the Windows side of FileIo shares with the registry store.

#include <QString>

#include <string>

namespace FileIo::Windows {

std::wstring wide(const QString &text);
// A Windows error code (GetLastError, a registry status) in plain words.
QString reasonFor(unsigned long error);
// A path that names a device rather than a file: CON, NUL, COM1, \\.\...
bool isDevicePath(const QString &path);

} // namespace FileIo::Windows
