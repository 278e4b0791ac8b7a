#include "FileIo.h"

namespace FileIo {

WriteResult writeFailure(const FilePath &path, const QString &reason)
{
    if (path.isEmpty())
        return WriteResult::failure(QStringLiteral("Could not write the file: no path was given."));
    return WriteResult::failure(
        QStringLiteral("Could not write \"%1\": %2.").arg(path.display(), reason));
}

} // namespace FileIo
