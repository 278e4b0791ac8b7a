#include "IniScanner.h"

#include <algorithm>
#include <cstring>

namespace {

template<typename Unit>
Unit asciiLower(Unit c)
{
    return (c >= 'A' && c <= 'Z') ? Unit(c + ('a' - 'A')) : c;
}

template<typename Unit>
qsizetype indexOf(const Unit *text, qsizetype from, qsizetype size, Unit wanted)
{
    if constexpr (sizeof(Unit) == 1) {
        const void *found = std::memchr(text + from, wanted, size_t(size - from));
        return found ? static_cast<const Unit *>(found) - text : -1;
    } else {
        const Unit *found = std::find(text + from, text + size, wanted);
        return found == text + size ? -1 : found - text;
    }
}

} // namespace

template<typename Unit>
bool IniScanner<Unit>::nextLine(qsizetype position, Line &line) const
{
    if (position >= m_size)
        return false;
    qsizetype i = position;
    while (i < m_size && m_text[i] != '\r' && m_text[i] != '\n')
        ++i;
    line.begin = position;
    line.end = i;
    if (i < m_size) {
        const Unit first = m_text[i++];
        // CR LF and LF CR are one line end; a lone CR or LF is one too.
        if (i < m_size && m_text[i] != first && (m_text[i] == '\r' || m_text[i] == '\n'))
            ++i;
    }
    line.next = i;
    return true;
}

template<typename Unit>
bool IniScanner<Unit>::sameName(Range range, const Unit *name, qsizetype nameSize) const
{
    if (range.size() != nameSize)
        return false;
    for (qsizetype i = 0; i < nameSize; ++i) {
        if (asciiLower(m_text[range.begin + i]) != asciiLower(name[i]))
            return false;
    }
    return true;
}

template<typename Unit>
qsizetype IniScanner<Unit>::nextHeaderLine(qsizetype from) const
{
    // Only section headers matter until the section is found, and they are
    // rare: jump from '[' to '[' and keep those that begin their line.
    while (from < m_size) {
        const qsizetype bracket = indexOf(m_text, from, m_size, Unit('['));
        if (bracket < 0)
            return -1;
        qsizetype start = bracket;
        while (start > m_start && m_text[start - 1] != '\r' && isBlank(m_text[start - 1]))
            --start;
        if (start == m_start || m_text[start - 1] == '\r' || m_text[start - 1] == '\n')
            return start;
        from = bracket + 1;
    }
    return -1;
}

template<typename Unit>
typename IniScanner<Unit>::Range IniScanner<Unit>::headerName(Range text) const
{
    qsizetype close = text.begin + 1;
    while (close < text.end && m_text[close] != ']')
        ++close;
    return cutAtNul(trimmed(text.begin + 1, close));
}

template<typename Unit>
typename IniScanner<Unit>::Match IniScanner<Unit>::find(
    const Unit *section, qsizetype sectionSize, const Unit *key, qsizetype keySize) const
{
    Match match;
    Line line;
    qsizetype position = m_start;
    while (!match.sectionFound) {
        const qsizetype header = nextHeaderLine(position);
        if (header < 0 || !nextLine(header, line))
            return match;
        if (sameName(headerName(trimmed(line.begin, line.end)), section, sectionSize)) {
            match.sectionFound = true;
            match.lastLineOfSection = line;
        }
        position = line.next;
    }

    for (; nextLine(position, line); position = line.next) {
        const Range text = trimmed(line.begin, line.end);
        if (text.size() == 0)
            continue;
        const Unit first = m_text[text.begin];
        if (first == '[')
            break; // only the first block of a section counts
        match.lastLineOfSection = line;
        if (first == ';')
            continue;
        qsizetype equals = text.begin;
        while (equals < text.end && m_text[equals] != '=')
            ++equals;
        const Range name = cutAtNul(trimmed(text.begin, equals));
        if (!sameName(name, key, keySize))
            continue;
        match.keyFound = true;
        match.keyLine = line;
        if (equals < text.end) {
            match.equalsSign = equals;
            match.valueText = trimmed(equals + 1, text.end);
        } else {
            match.valueText = {text.end, text.end};
        }
        break;
    }
    return match;
}

template<typename Unit>
typename IniScanner<Unit>::Range IniScanner<Unit>::firstLineEnd() const
{
    Line line;
    for (qsizetype position = m_start; nextLine(position, line); position = line.next) {
        if (line.hasLineEnd())
            return {line.end, line.next};
    }
    return {};
}

template class IniScanner<uchar>;
template class IniScanner<char16_t>;
