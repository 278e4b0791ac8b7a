#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The 8-bit text of the system, in which Zentaro's INI file is written and
// through which its values cross: UTF-8 on Linux, the ANSI code page on
// Windows. Both ways are exact: what the other side cannot hold is refused,
// never replaced with '?' or U+FFFD.
namespace SystemText {

// The text of bytes; nothing where they are not valid in the system's text.
std::optional<QString> decode(const QByteArray &bytes);
// Text as the system's bytes; nothing where it holds a character that the
// system's text cannot.
std::optional<QByteArray> encode(const QString &text);
// Where to cut text to at most limit bytes without splitting a character
// of the system's text (bytes that are not valid in it are cut exactly).
qsizetype boundaryBefore(const QByteArray &text, qsizetype limit);
// The same for UTF-8 text, whatever the system's text is (SystemText.cpp).
qsizetype utf8BoundaryBefore(const QByteArray &text, qsizetype limit);
// The system's text as the operator knows it: "UTF-8", "the Windows code page 1252".
QString name();

} // namespace SystemText
