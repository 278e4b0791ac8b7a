#include "FileIo.h"

namespace FileIo {

QString readFailure(ReadStatus status, const QString &notRegular, const QString &unreadable)
{
    switch (status) {
    case ReadStatus::Ok:
        return {};
    case ReadStatus::Missing:
        return QStringLiteral("there is no such file");
    case ReadStatus::Folder:
        return QStringLiteral("it is a folder, not a file");
    case ReadStatus::NotRegular:
        return notRegular;
    case ReadStatus::Link:
        return QStringLiteral("it is a symbolic link, which is not followed");
    case ReadStatus::Unreadable:
        return unreadable;
    case ReadStatus::TooLarge:
        return QStringLiteral("the file is larger than 256 MB, too large for an INI file");
    }
    return {};
}

WriteResult writeFailure(const FilePath &path, const QString &reason)
{
    if (path.isEmpty())
        return WriteResult::failure(QStringLiteral("Could not write the file: no path was given."));
    return WriteResult::failure(
        QStringLiteral("Could not write \"%1\": %2.").arg(path.display(), reason));
}

} // namespace FileIo
