#include "FileIo.h"

#include "PosixFiles.h"
#include "SystemText.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace FileIo {

QByteArray encodePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString decodePath(const QByteArray &native)
{
    return QFile::decodeName(native);
}

QString reasonFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case EROFS:
        return QStringLiteral("the file system is read-only");
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("the disk quota is used up");
    case EISDIR:
        return QStringLiteral("it is a folder, not a file");
    case ENOENT:
        return QStringLiteral("the folder does not exist");
    case ENOTDIR:
        return QStringLiteral("a part of the path is not a folder");
    case ENAMETOOLONG:
        return QStringLiteral("the path is too long");
    case ELOOP:
        return QStringLiteral("the path has too many symbolic links");
    case EIO:
        return QStringLiteral("the disk reported an input/output error");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString reasonFor(ReadStatus status, int error)
{
    return readFailure(status, QStringLiteral("it is not an ordinary file"),
        status == ReadStatus::Unreadable ? reasonFor(error) : QString());
}

namespace Posix {

QByteArray folderOf(const QByteArray &path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Follows a chain of symbolic links to the file it finally names (which
// need not exist). Relative link targets are taken from the link's folder.
bool resolveLinks(QByteArray path, QByteArray &resolved, int &error)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
        if (length < 0 || length >= target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        target.truncate(length);
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    error = ELOOP;
    return false;
}

bool writeAll(int fd, QByteArrayView data, off_t offset, int &error)
{
    const char *cursor = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t written = ::pwrite(fd, cursor, size_t(left), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        cursor += written;
        offset += written;
        left -= written;
    }
    return true;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

ReadStatus readOpenFile(
    int fd, qint64 expectedSize, QByteArray &contents, qint64 maxSize, int &error)
{
    contents.clear();
    if (expectedSize > maxSize)
        return ReadStatus::TooLarge;
    // Read the size fstat gave, then whatever the file has grown by since,
    // without ever going past the limit.
    contents.resize(qsizetype(expectedSize));
    qint64 filled = 0;
    bool failed = false;
    while (filled < contents.size()) {
        const ssize_t got = ::read(fd, contents.data() + filled, size_t(contents.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            error = errno;
            break;
        }
        filled += got;
    }
    contents.truncate(qsizetype(filled));
    char more[65536];
    while (!failed && filled == expectedSize) {
        const ssize_t got = ::read(fd, more, sizeof more);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            error = errno;
            break;
        }
        if (contents.size() + got > maxSize) {
            contents.clear();
            return ReadStatus::TooLarge;
        }
        contents.append(more, got);
    }
    if (failed) {
        contents.clear();
        return ReadStatus::Unreadable;
    }
    return ReadStatus::Ok;
}

} // namespace Posix

ReadStatus readRegularFile(
    const FilePath &path, QByteArray &contents, qint64 maxSize, QString *reason, Links links)
{
    int error = 0;
    const ReadStatus status = readRegularFile(path, contents, maxSize, error, links);
    if (reason)
        *reason = reasonFor(status, error);
    return status;
}

ReadStatus readRegularFile(
    const FilePath &path, QByteArray &contents, qint64 maxSize, int &lastError, Links links)
{
    contents.clear();
    if (path.isEmpty())
        return ReadStatus::Missing;
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    const int fd = ::open(path.native().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow);
    struct stat st = {};
    if (fd < 0) {
        lastError = errno;
        if (noFollow && lastError == ELOOP)
            return ReadStatus::Link;
        if (::stat(path.native().constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return S_ISDIR(st.st_mode) ? ReadStatus::Folder : ReadStatus::NotRegular; // a socket
        return lastError == ENOENT || lastError == ENOTDIR ? ReadStatus::Missing
                                                           : ReadStatus::Unreadable;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? ReadStatus::Folder : ReadStatus::NotRegular;
    }
    const ReadStatus status = Posix::readOpenFile(fd, st.st_size, contents, maxSize, lastError);
    ::close(fd);
    return status;
}

FolderLock::FolderLock(const QByteArray &folder)
{
    // A folder we cannot open is one we will not be able to write in either;
    // the write itself reports that.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_handle = fd;
    if (fd < 0)
        return;
    // Writers hold the lock for milliseconds; give up after ten seconds.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // no locking on this file system: go on without
        const struct timespec pause = {0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    m_busy = true;
}

FolderLock::~FolderLock()
{
    if (m_handle >= 0)
        ::close(int(m_handle)); // releases the lock
}

namespace {

WriteResult fileInTheWay(const FilePath &folder)
{
    return WriteResult::failure(
        QStringLiteral("Could not create the folder \"%1\": a file of that name is in the way.")
            .arg(folder.display()));
}

} // namespace

WriteResult makePrivateFolders(const FilePath &path)
{
    const mode_t mode = 0700;
    const QByteArray native = path.native();
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return WriteResult::success();
        return fileInTheWay(path);
    }
    const QByteArray parent = Posix::folderOf(native);
    if (parent != native && parent != "/" && parent != ".") {
        if (WriteResult made = makePrivateFolders(FilePath::fromNative(parent)); !made.ok())
            return made;
    }
    if (::mkdir(native.constData(), mode) == 0) {
        ::chmod(native.constData(), mode); // the umask must not widen or narrow it
        return WriteResult::success();
    }
    if (errno == EEXIST)
        return WriteResult::success();
    return WriteResult::failure(QStringLiteral("Could not create the folder \"%1\": %2.")
                                    .arg(path.display(), reasonFor(errno)));
}

FilePath programFolder()
{
    // The executable's path as bytes: decoded and encoded again, a folder
    // with bytes that are not UTF-8 would come back changed.
    QByteArray self(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), size_t(self.size()));
    if (length > 0 && length < self.size())
        return FilePath::fromNative(Posix::folderOf(self.left(length)));
    return FilePath(QCoreApplication::applicationDirPath());
}

QString programFileName(const QString &name)
{
    return name;
}

QString stateFolder()
{
    const QString state = userFolder("XDG_STATE_HOME", ".local/state");
    return state.isEmpty() ? QString() : state + QStringLiteral("/Welcora");
}

QString userFolder(const char *variable, const char *underHome)
{
    const QString set = qEnvironmentVariable(variable);
    if (set.startsWith(QLatin1Char('/')))
        return set;
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QString() : home + QLatin1Char('/') + QLatin1String(underHome);
}

WriteResult makePrivateFolder(const FilePath &path)
{
    const QByteArray native = path.native();
    auto refused = [&path](const QString &reason) {
        return WriteResult::failure(
            QStringLiteral("Could not use the folder \"%1\": %2.").arg(path.display(), reason));
    };
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT)
            return refused(reasonFor(errno));
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return refused(reasonFor(errno));
        if (::lstat(native.constData(), &st) != 0)
            return refused(reasonFor(errno));
    }
    if (S_ISLNK(st.st_mode))
        return refused(QStringLiteral("it is a symbolic link, which the store does not follow"));
    if (!S_ISDIR(st.st_mode))
        return fileInTheWay(path);
    if (st.st_uid != ::geteuid())
        return refused(QStringLiteral("it belongs to another user"));
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return refused(reasonFor(errno));
    return WriteResult::success();
}

} // namespace FileIo

namespace SystemText {

qsizetype boundaryBefore(const QByteArray &text, qsizetype limit)
{
    return utf8BoundaryBefore(text, limit);
}

std::optional<QString> decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray bytes = utf8.encode(text);
    if (utf8.hasError())
        return std::nullopt; // a lone surrogate
    return bytes;
}

QString name()
{
    return QStringLiteral("UTF-8");
}

} // namespace SystemText
