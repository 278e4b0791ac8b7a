#include "IniScanner.h"

namespace {

template<typename Unit>
Unit asciiLower(Unit c)
{
    return (c >= 'A' && c <= 'Z') ? Unit(c + ('a' - 'A')) : c;
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
typename IniScanner<Unit>::Match IniScanner<Unit>::find(
    const Unit *section, qsizetype sectionSize, const Unit *key, qsizetype keySize) const
{
    Match match;
    Line line;
    for (qsizetype position = m_start; nextLine(position, line); position = line.next) {
        const Range text = trimmed(line.begin, line.end);
        if (text.size() == 0)
            continue;
        const Unit first = m_text[text.begin];
        if (first == '[') {
            if (match.sectionFound)
                break; // only the first block of a section counts
            qsizetype close = text.begin + 1;
            while (close < text.end && m_text[close] != ']')
                ++close;
            const Range name = cutAtNul(trimmed(text.begin + 1, close));
            if (sameName(name, section, sectionSize)) {
                match.sectionFound = true;
                match.lastLineOfSection = line;
            }
            continue;
        }
        if (!match.sectionFound)
            continue;
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
        match.keyText = name;
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
