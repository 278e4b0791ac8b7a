#include "SystemText.h"

namespace SystemText {
namespace {

bool isContinuation(uchar c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at text[at], or 0 if there is none.
qsizetype utf8SequenceAt(const QByteArray &text, qsizetype at)
{
    const uchar lead = uchar(text[at]);
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    const uchar second = uchar(text[at + 1]);
    if (second < low || second > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!isContinuation(uchar(text[at + i])))
            return 0;
    }
    return length;
}

} // namespace

qsizetype utf8BoundaryBefore(const QByteArray &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.size();
    qsizetype cut = limit;
    for (qsizetype start = cut - 1; start >= 0 && start >= cut - 3; --start) {
        if (isContinuation(uchar(text[start])))
            continue;
        const qsizetype length = utf8SequenceAt(text, start);
        if (length > 0 && start + length > cut)
            cut = start;
        break;
    }
    return cut;
}

} // namespace SystemText
