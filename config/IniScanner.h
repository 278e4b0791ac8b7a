#pragma once

#include <QtGlobal>

// Finds sections and keys in the text of an INI file the way the Windows
// profile functions do, without copying or decoding anything. Unit is a byte
// for 8-bit files and a UTF-16 code unit for UTF-16LE files; every character
// that matters to the format is ASCII, so one scanner serves both.
template<typename Unit>
class IniScanner
{
public:
    struct Line
    {
        qsizetype begin = 0; // first unit of the line
        qsizetype end = 0; // where its line end starts
        qsizetype next = 0; // first unit after its line end
        bool hasLineEnd() const { return next > end; }
    };

    struct Range
    {
        qsizetype begin = 0;
        qsizetype end = 0;
        qsizetype size() const { return end - begin; }
    };

    struct Match
    {
        bool sectionFound = false;
        Line lastLineOfSection; // last non-blank line of the first matching block
        bool keyFound = false;
        Line keyLine;
        qsizetype equalsSign = -1; // position of the first '=' in keyLine, or -1
        Range valueText; // after '=', trimmed, quotes kept, not cut at NUL
    };

    IniScanner(const Unit *text, qsizetype size, qsizetype start)
        : m_text(text)
        , m_size(size)
        , m_start(start)
    { }

    // The first matching key of the first matching section block. section and
    // key are compared ASCII-case-insensitively; the caller has already removed
    // the spaces around them.
    Match find(
        const Unit *section, qsizetype sectionSize, const Unit *key, qsizetype keySize) const;

    // The line end of the first line that has one; empty if none does.
    Range firstLineEnd() const;

    static bool isBlank(Unit c)
    {
        return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
    }

    Range trimmed(qsizetype begin, qsizetype end) const
    {
        while (begin < end && isBlank(m_text[begin]))
            ++begin;
        while (end > begin && isBlank(m_text[end - 1]))
            --end;
        return {begin, end};
    }

    // Shortens the range to end before its first NUL.
    Range cutAtNul(Range range) const
    {
        for (qsizetype i = range.begin; i < range.end; ++i) {
            if (m_text[i] == 0)
                return {range.begin, i};
        }
        return range;
    }

    // Removes one pair of matching outer quotes, as the reader does.
    Range unquoted(Range range) const
    {
        if (range.size() >= 2) {
            const Unit first = m_text[range.begin];
            if ((first == '"' || first == '\'') && m_text[range.end - 1] == first)
                return {range.begin + 1, range.end - 1};
        }
        return range;
    }

    bool nextLine(qsizetype position, Line &line) const;

private:
    bool sameName(Range range, const Unit *name, qsizetype nameSize) const;
    qsizetype nextHeaderLine(qsizetype from) const; // start of the next '[' line, or -1
    Range headerName(Range line) const;

    const Unit *m_text;
    qsizetype m_size;
    qsizetype m_start;
};

extern template class IniScanner<uchar>;
extern template class IniScanner<char16_t>;
