#include "INI_Files.h"

#include "FileIo.h"
#include "IniScanner.h"
#include "SystemText.h"

#include <QStringDecoder>

#include <vector>

namespace INI_Files {
namespace {

const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
// UTF-16 with the high byte first: the host's reader does not understand it.
const QByteArray Utf16BeBom = QByteArrayLiteral("\xFE\xFF");
const QByteArray Utf16LeBom = QByteArrayLiteral("\xFF\xFE");

bool isUtf16Le(const QByteArray &contents)
{
    return contents.startsWith(Utf16LeBom);
}

// Spaces (but not tabs) around section and key names are not part of them.
QByteArray withoutSpaces(const QByteArray &name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name[begin] == ' ')
        ++begin;
    while (end > begin && name[end - 1] == ' ')
        --end;
    return name.mid(begin, end - begin);
}

// At most MaxValueBytes, never splitting a character of the system's text.
QByteArray limited(QByteArray value)
{
    if (value.size() > MaxValueBytes)
        value.truncate(SystemText::boundaryBefore(value, MaxValueBytes));
    return value;
}

template<typename Unit>
using Units = std::vector<Unit>;

Units<uchar> toUnits(const QByteArray &text)
{
    return Units<uchar>(text.cbegin(), text.cend());
}

// UTF-16 units of the system's 8-bit text; false if the bytes are not valid in it.
bool toUnits(const QByteArray &text, Units<char16_t> &units)
{
    const std::optional<QString> decoded = SystemText::decode(text);
    if (!decoded)
        return false;
    units.assign(decoded->utf16(), decoded->utf16() + decoded->size());
    return true;
}

Units<char16_t> unitsOfUtf16Le(const QByteArray &contents)
{
    Units<char16_t> units(size_t((contents.size() - Utf16LeBom.size()) / 2));
    const auto *bytes = reinterpret_cast<const uchar *>(contents.constData()) + 2;
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return units;
}

QByteArray valueBytes(const uchar *text, qsizetype size)
{
    return QByteArray(reinterpret_cast<const char *>(text), size);
}

// A value of a UTF-16 file as the system's 8-bit text; "" where that text
// cannot hold it (a character outside the code page, a lone surrogate).
QByteArray valueBytes(const char16_t *text, qsizetype size)
{
    return SystemText::encode(QString::fromUtf16(text, size)).value_or(QByteArray());
}

template<typename Unit>
QByteArray findValue(const Unit *text, qsizetype size, qsizetype start, const Units<Unit> &section,
    const Units<Unit> &key)
{
    const IniScanner<Unit> scanner(text, size, start);
    const auto match = scanner.find(
        section.data(), qsizetype(section.size()), key.data(), qsizetype(key.size()));
    if (!match.keyFound)
        return {};
    // The value ends at a NUL; its quotes are those of what is left.
    const auto value = scanner.unquoted(scanner.cutAtNul(match.valueText));
    return limited(valueBytes(text + value.begin, value.size()));
}

// Where the new text goes: units [begin, end) are replaced by insert.
template<typename Unit>
struct Change
{
    bool needed = true;
    qsizetype begin = 0;
    qsizetype end = 0;
    Units<Unit> insert;
};

template<typename Unit>
void append(Units<Unit> &to, const Units<Unit> &text)
{
    to.insert(to.end(), text.begin(), text.end());
}

template<typename Unit>
void append(Units<Unit> &to, const char *ascii)
{
    for (; *ascii; ++ascii)
        to.push_back(Unit(uchar(*ascii)));
}

template<typename Unit>
Change<Unit> planChange(const Unit *text, qsizetype size, qsizetype start, bool fileIsEmpty,
    const Units<Unit> &section, const Units<Unit> &key, const Units<Unit> &value)
{
    const IniScanner<Unit> scanner(text, size, start);
    const auto match = scanner.find(
        section.data(), qsizetype(section.size()), key.data(), qsizetype(key.size()));
    Change<Unit> change;
    if (match.keyFound) {
        const auto &line = match.keyLine;
        if (match.equalsSign < 0) {
            // A bare key holds "": give it '=' and the value after its text.
            change.needed = !value.empty();
            change.begin = change.end = scanner.trimmed(line.begin, line.end).end;
            append(change.insert, "=");
            append(change.insert, value);
            return change;
        }
        // Everything after '=' up to a NUL is replaced; the rest of the line
        // stays. The value already there is what the reader sees, quotes kept.
        const auto region = scanner.cutAtNul({match.equalsSign + 1, line.end});
        const auto current = scanner.cutAtNul(match.valueText);
        change.needed = !(size_t(current.size()) == value.size()
            && std::equal(value.begin(), value.end(), text + current.begin));
        change.begin = region.begin;
        change.end = region.end;
        change.insert = value;
        return change;
    }

    Units<Unit> lineEnd;
    const auto firstEnd = scanner.firstLineEnd();
    if (firstEnd.size() > 0)
        lineEnd.assign(text + firstEnd.begin, text + firstEnd.end);
    else
        append(lineEnd, "\r\n");

    Units<Unit> keyLine = key;
    append(keyLine, "=");
    append(keyLine, value);
    append(keyLine, lineEnd);

    if (match.sectionFound) {
        const auto &last = match.lastLineOfSection;
        change.begin = change.end = last.next;
        if (!last.hasLineEnd())
            append(change.insert, lineEnd);
        append(change.insert, keyLine);
        return change;
    }

    change.begin = change.end = size;
    const bool endsWithLineEnd = size > start && (text[size - 1] == '\r' || text[size - 1] == '\n');
    if (!fileIsEmpty && !endsWithLineEnd)
        append(change.insert, lineEnd);
    append(change.insert, "[");
    append(change.insert, section);
    append(change.insert, "]");
    append(change.insert, lineEnd);
    append(change.insert, keyLine);
    return change;
}

bool hasLineBreakOrNul(const QByteArray &text)
{
    return text.contains('\r') || text.contains('\n') || text.contains('\0');
}

QString refusal(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    if (hasLineBreakOrNul(section))
        return QStringLiteral("the section name contains a line break or a NUL character");
    if (hasLineBreakOrNul(key))
        return QStringLiteral("the key contains a line break or a NUL character");
    if (hasLineBreakOrNul(value))
        return QStringLiteral("the value contains a line break or a NUL character, which "
                              "would add lines to the file");
    if (section.contains(']'))
        return QStringLiteral("the section name contains \"]\"");
    // The reader trims these from names; written, the name would read as another.
    auto blankEdged = [](const QByteArray &name) {
        return !name.isEmpty()
            && (IniScanner<uchar>::isBlank(uchar(name.front()))
                || IniScanner<uchar>::isBlank(uchar(name.back())));
    };
    if (blankEdged(section) || blankEdged(key))
        return QStringLiteral("the section or key name begins or ends with a tab or another blank "
                              "that the file cannot hold");
    if (key.contains('=') || key.startsWith('[') || key.startsWith(';'))
        return QStringLiteral("the key contains \"=\" or starts with \"[\" or \";\"");
    return {};
}

// The reader trims values and strips one pair of outer quotes; a value that
// would lose characters that way is written inside quotes.
QByteArray encoded(const QByteArray &value)
{
    if (value.isEmpty())
        return value;
    const uchar first = uchar(value.front());
    const uchar last = uchar(value.back());
    const bool blankEdge = IniScanner<uchar>::isBlank(first) || IniScanner<uchar>::isBlank(last);
    const bool quoted = value.size() >= 2 && first == last && (first == '"' || first == '\'');
    return blankEdge || quoted ? '"' + value + '"' : value;
}

QByteArray joined(const QByteArray &contents, const Change<uchar> &change)
{
    QByteArray result;
    result.reserve(contents.size() - (change.end - change.begin) + qsizetype(change.insert.size()));
    result.append(contents.constData(), change.begin);
    result.append(
        reinterpret_cast<const char *>(change.insert.data()), qsizetype(change.insert.size()));
    result.append(contents.constData() + change.end, contents.size() - change.end);
    return result;
}

QByteArray joined(const Units<char16_t> &units, const Change<char16_t> &change)
{
    QByteArray result = Utf16LeBom;
    result.reserve(
        2 + 2 * qsizetype(units.size() - size_t(change.end - change.begin) + change.insert.size()));
    auto put = [&result](const char16_t *from, const char16_t *to) {
        for (; from != to; ++from) {
            result.append(char(*from & 0xFF));
            result.append(char(*from >> 8));
        }
    };
    put(units.data(), units.data() + change.begin);
    put(change.insert.data(), change.insert.data() + change.insert.size());
    put(units.data() + change.end, units.data() + units.size());
    return result;
}

} // namespace

QByteArray valueIn(const QByteArray &contents, const QByteArray &section, const QByteArray &key)
{
    if (contents.startsWith(Utf16BeBom))
        return {};
    if (isUtf16Le(contents)) {
        Units<char16_t> sectionUnits;
        Units<char16_t> keyUnits;
        if (!toUnits(withoutSpaces(section), sectionUnits)
            || !toUnits(withoutSpaces(key), keyUnits))
            return {};
        const Units<char16_t> units = unitsOfUtf16Le(contents);
        return findValue(units.data(), qsizetype(units.size()), 0, sectionUnits, keyUnits);
    }
    const qsizetype start = contents.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    return findValue(reinterpret_cast<const uchar *>(contents.constData()), contents.size(), start,
        toUnits(withoutSpaces(section)), toUnits(withoutSpaces(key)));
}

FileIo::Change withValue(const QByteArray &contents, const QByteArray &section,
    const QByteArray &key, const QByteArray &value)
{
    FileIo::Change edit;
    const QByteArray sectionName = withoutSpaces(section);
    const QByteArray keyName = withoutSpaces(key);
    edit.error = refusal(sectionName, keyName, value);
    if (!edit.error.isEmpty())
        return edit;
    if (contents.startsWith(Utf16BeBom)) {
        edit.error = QStringLiteral("the file is UTF-16 text with the high byte first, which "
                                    "Zentaro cannot read; it is left as it is");
        return edit;
    }
    const QByteArray written = encoded(value);
    // The host reads back at most MaxValueBytes, and loses one more byte of a
    // quoted value: refuse what it could not read whole.
    const qsizetype limit = written.size() == value.size() ? MaxValueBytes : MaxValueBytes - 1;
    if (value.size() > limit) {
        edit.error
            = QStringLiteral("the value is %1 bytes long, and Zentaro reads at most %2 "
                             "bytes of it%3")
                  .arg(value.size())
                  .arg(limit)
                  .arg(limit < MaxValueBytes ? QStringLiteral(" (it must be quoted)") : QString());
        return edit;
    }

    if (isUtf16Le(contents)) {
        if (contents.size() % 2 != 0) {
            edit.error = QStringLiteral("the file is not valid UTF-16 text");
            return edit;
        }
        Units<char16_t> sectionUnits;
        Units<char16_t> keyUnits;
        Units<char16_t> valueUnits;
        if (!toUnits(sectionName, sectionUnits) || !toUnits(keyName, keyUnits)
            || !toUnits(written, valueUnits)) {
            edit.error = QStringLiteral("the text is not valid %1, so it cannot be stored in "
                                        "this UTF-16 file")
                             .arg(SystemText::name());
            return edit;
        }
        const Units<char16_t> units = unitsOfUtf16Le(contents);
        const auto change = planChange(
            units.data(), qsizetype(units.size()), 0, false, sectionUnits, keyUnits, valueUnits);
        edit.changed = change.needed;
        if (edit.changed)
            edit.contents = joined(units, change);
        return edit;
    }

    const qsizetype start = contents.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    const auto change
        = planChange(reinterpret_cast<const uchar *>(contents.constData()), contents.size(), start,
            contents.isEmpty(), toUnits(sectionName), toUnits(keyName), toUnits(written));
    edit.changed = change.needed;
    if (edit.changed)
        edit.contents = joined(contents, change);
    return edit;
}

QByteArray ReadIniValue(const FilePath &path, const QByteArray &section, const QByteArray &key)
{
    QString unreadable; // reads as ""
    return valueIn(readIniFile(path, unreadable), section, key);
}

QByteArray readIniFile(const FilePath &path, QString &error)
{
    QByteArray contents;
    FileIo::readRegularFile(path, contents, MaxFileBytes, &error);
    return contents;
}

QByteArray backupFolder()
{
    // Per user, beside the program's other state.
    const QString state = FileIo::stateFolder();
    return state.isEmpty() ? QByteArray() : FilePath(state + QStringLiteral("/backups")).native();
}

WriteResult WriteIniValue(
    const FilePath &path, const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    FileIo::AtomicWriteOptions options;
    options.backupFolder = backupFolder();
    options.maxSize = MaxFileBytes;
    return FileIo::rewriteFile(
        path, [&](const QByteArray &contents) { return withValue(contents, section, key, value); },
        options);
}

} // namespace INI_Files
