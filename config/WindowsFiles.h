#pragma once

// Small pieces the Windows side of FileIo shares with the registry store.

#include <QString>

#include <functional>
#include <string>

namespace FileIo::Windows {

std::wstring wide(const QString &text);
// A Windows error code (GetLastError, a registry status) in plain words.
QString reasonFor(unsigned long error);
// A path that names a device rather than a file: CON, NUL, COM1, \\.\...
bool isDevicePath(const QString &path);

// For tests: stands in for ReplaceFileW(target, replacement, backup) in the
// writer, so that a test can play a replace cut short (false, with the
// system's error set); an empty one gives the system's back.
using ReplaceFileFunction = std::function<bool(
    const std::wstring &target, const std::wstring &replacement, const std::wstring &backup)>;
void setReplaceFileForTests(ReplaceFileFunction replace);

} // namespace FileIo::Windows
