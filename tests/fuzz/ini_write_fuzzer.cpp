// The writer on any bytes. After a write that succeeds: the key reads back as
// the value, every other entry reads as before, and the bytes outside the one
// changed line are untouched.

#include "INI_Files.h"
#include "IniFuzzInput.h"

#include <QList>
#include <QPair>

#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

QByteArray folded(QByteArray name)
{
    while (name.startsWith(' '))
        name.remove(0, 1);
    while (name.endsWith(' '))
        name.chop(1);
    return name.toLower(); // ASCII only, as the reader compares
}

// Entries worth asking about: a few fixed ones, and those the file names.
QList<QPair<QByteArray, QByteArray>> probes(const QByteArray &contents)
{
    QList<QPair<QByteArray, QByteArray>> found
        = {{"ODBC", "UserDBDatasource"}, {"Options", "AccountingScript"}, {"", ""}};
    QByteArray section;
    const QList<QByteArray> lines = contents.left(4096).split('\n');
    for (QByteArray line : lines.mid(0, 40)) {
        line = line.trimmed();
        const qsizetype nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        if (line.startsWith('[')) {
            section = line.mid(1, line.indexOf(']') - 1).trimmed();
        } else if (!line.isEmpty() && !line.startsWith(';')) {
            found.append({section, line.left(line.indexOf('=')).trimmed()});
        }
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IniFuzzInput input(data, size);
    const FileIo::Change edit
        = INI_Files::withValue(input.contents, input.section, input.key, input.value);
    if (!edit.error.isEmpty())
        return 0;
    const QByteArray after = edit.changed ? edit.contents : input.contents;

    const QByteArray readBack = INI_Files::valueIn(after, input.section, input.key);
    if (input.value.size() <= INI_Files::MaxValueBytes)
        check(readBack == input.value, "the key reads back as the value");
    else
        check(readBack.size() >= INI_Files::MaxValueBytes - 3 && input.value.startsWith(readBack),
            "a long value reads back as its beginning");

    const auto self = qMakePair(folded(input.section), folded(input.key));
    for (const auto &[section, key] : probes(input.contents)) {
        if (qMakePair(folded(section), folded(key)) == self)
            continue;
        check(INI_Files::valueIn(after, section, key)
                == INI_Files::valueIn(input.contents, section, key),
            "every other entry reads as before");
    }

    if (edit.changed && !input.contents.startsWith("\xFF\xFE")) {
        const QByteArray &before = input.contents;
        qsizetype prefix = 0;
        while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < before.size() - prefix && suffix < after.size() - prefix
            && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
            ++suffix;
        const QByteArray replaced = before.mid(prefix, before.size() - prefix - suffix);
        check(!replaced.contains('\r') && !replaced.contains('\n'), "only one line's bytes change");
    }
    return 0;
}
