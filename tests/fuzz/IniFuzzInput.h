#pragma once

// Splits a fuzzer's bytes into the arguments of one INI operation:
// [length][section][length][key][length][value][file contents...]

#include <QByteArray>

#include <cstddef>
#include <cstdint>

struct IniFuzzInput
{
    QByteArray section;
    QByteArray key;
    QByteArray value;
    QByteArray contents;

    IniFuzzInput(const uint8_t *data, size_t size)
    {
        size_t at = 0;
        auto take = [&](QByteArray &into) {
            if (at >= size)
                return;
            const size_t wanted = data[at];
            ++at;
            const size_t length = qMin<size_t>(wanted, size - at);
            into = QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length));
            at += length;
        };
        take(section);
        take(key);
        take(value);
        contents = QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(size - at));
    }
};
