#include "FileIo.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace FileIo {

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
    switch (status) {
    case ReadStatus::Ok:
        return {};
    case ReadStatus::Missing:
        return QStringLiteral("there is no such file");
    case ReadStatus::Folder:
        return QStringLiteral("it is a folder, not a file");
    case ReadStatus::NotRegular:
        return QStringLiteral("it is not an ordinary file");
    case ReadStatus::Unreadable:
        return reasonFor(error);
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

namespace {

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

bool writeAll(int fd, const QByteArray &data, off_t offset, int &error)
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

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

struct Target
{
    QByteArray path;
    bool exists = false;
    struct stat st = {};
};

WriteResult examine(const FilePath &path, const AtomicWriteOptions &options, Target &target)
{
    if (path.isEmpty())
        return writeFailure(path, QString());
    int error = 0;
    if (options.followLinks) {
        if (!resolveLinks(path.native(), target.path, error))
            return writeFailure(path, reasonFor(error));
    } else {
        target.path = path.native();
    }
    if (::lstat(target.path.constData(), &target.st) == 0) {
        target.exists = true;
        if (S_ISDIR(target.st.st_mode))
            return writeFailure(path, QStringLiteral("it is a folder, not a file"));
        if (!S_ISREG(target.st.st_mode))
            return writeFailure(path, QStringLiteral("it is not an ordinary file"));
        if (!options.respectFilePermissions)
            return WriteResult::success();
        if ((target.st.st_mode & 0222) == 0)
            return writeFailure(path, QStringLiteral("the file is read-only"));
        if (::access(target.path.constData(), W_OK) != 0)
            return writeFailure(path, reasonFor(errno));
        return WriteResult::success();
    }
    if (errno != ENOENT)
        return writeFailure(path, reasonFor(errno));
    struct stat folder;
    const QByteArray folderPath = folderOf(target.path);
    if (::stat(folderPath.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return writeFailure(path,
            QStringLiteral("the folder \"%1\" does not exist").arg(QFile::decodeName(folderPath)));
    return WriteResult::success();
}

// Used only where the folder does not allow a new file: not atomic, but the
// space is reserved first, so a full disk fails before any byte changes.
WriteResult rewriteInPlace(const FilePath &path, const Target &target, const QByteArray &data)
{
    const int fd = ::open(target.path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return writeFailure(path, reasonFor(errno));
    int error = 0;
    if (data.size() > target.st.st_size
        && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(data.size())) != 0
        && errno != EOPNOTSUPP) {
        error = errno;
    }
    if (error == 0 && writeAll(fd, data, 0, error) && ::ftruncate(fd, off_t(data.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    return error == 0 ? WriteResult::success() : writeFailure(path, reasonFor(error));
}

} // namespace

ReadStatus readRegularFile(const FilePath &path, QByteArray &contents, qint64 maxSize, int *error)
{
    int ignored = 0;
    int &lastError = error ? *error : ignored;
    contents.clear();
    if (path.isEmpty())
        return ReadStatus::Missing;
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.native().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st = {};
    if (fd < 0) {
        lastError = errno;
        if (::stat(path.native().constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return S_ISDIR(st.st_mode) ? ReadStatus::Folder : ReadStatus::NotRegular; // a socket
        return lastError == ENOENT || lastError == ENOTDIR ? ReadStatus::Missing
                                                           : ReadStatus::Unreadable;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? ReadStatus::Folder : ReadStatus::NotRegular;
    }
    if (st.st_size > maxSize) {
        ::close(fd);
        return ReadStatus::TooLarge;
    }
    // Read the size fstat gave, then whatever the file has grown by since,
    // without ever going past the limit.
    contents.resize(qsizetype(st.st_size));
    qint64 filled = 0;
    bool failed = false;
    while (filled < contents.size()) {
        const ssize_t got = ::read(fd, contents.data() + filled, size_t(contents.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            lastError = errno;
            break;
        }
        filled += got;
    }
    contents.truncate(qsizetype(filled));
    char more[65536];
    while (!failed && filled == st.st_size) {
        const ssize_t got = ::read(fd, more, sizeof more);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            lastError = errno;
            break;
        }
        if (contents.size() + got > maxSize) {
            ::close(fd);
            contents.clear();
            return ReadStatus::TooLarge;
        }
        contents.append(more, got);
    }
    ::close(fd);
    if (failed) {
        contents.clear();
        return ReadStatus::Unreadable;
    }
    return ReadStatus::Ok;
}

WriteResult checkWritable(const FilePath &path, const AtomicWriteOptions &options)
{
    Target target;
    return examine(path, options, target);
}

WriteResult writeAtomically(
    const FilePath &path, const QByteArray &contents, const AtomicWriteOptions &options)
{
    Target target;
    if (WriteResult checked = examine(path, options, target); !checked.ok())
        return checked;

    const QByteArray folder = folderOf(target.path);
    QByteArray name = nameOf(target.path);
    if (name.size() > NAME_MAX - 9)
        name = QByteArrayLiteral("welcora");
    QByteArray temporary = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if ((error == EACCES || error == EPERM) && target.exists && options.allowInPlaceFallback)
            return rewriteInPlace(path, target, contents);
        return writeFailure(path, reasonFor(error));
    }

    int error = 0;
    const mode_t mode = options.forcedMode >= 0 ? mode_t(options.forcedMode)
        : target.exists                         ? (target.st.st_mode & 07777)
                                                : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && target.exists
        && (target.st.st_uid != ::geteuid() || target.st.st_gid != ::getegid())
        && ::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
        // Only root may give a file away: keep the owner by writing in place.
        if (options.allowInPlaceFallback) {
            ::close(fd);
            ::unlink(temporary.constData());
            return rewriteInPlace(path, target, contents);
        }
        error = errno;
    }
    if (error == 0)
        writeAll(fd, contents, 0, error);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.path.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return writeFailure(path, reasonFor(error));
    }
    syncFolder(folder);
    return WriteResult::success();
}

FolderLock::FolderLock(const FilePath &path)
{
    QByteArray target;
    int error = 0;
    if (path.isEmpty() || !resolveLinks(path.native(), target, error))
        return;
    // A folder we cannot open is one we will not be able to write in either;
    // the write itself reports that.
    m_fd = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    // Writers hold the lock for milliseconds; give up after ten seconds.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
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
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

WriteResult makeFolder(const FilePath &path, int mode)
{
    const QByteArray native = path.native();
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return WriteResult::success();
        return WriteResult::failure(
            QStringLiteral("Could not create the folder \"%1\": a file of that name is in the way.")
                .arg(path.display()));
    }
    const QByteArray parent = folderOf(native);
    if (parent != native && parent != "/" && parent != ".") {
        if (WriteResult made = makeFolder(FilePath::fromNative(parent), mode); !made.ok())
            return made;
    }
    if (::mkdir(native.constData(), mode_t(mode)) == 0) {
        ::chmod(native.constData(), mode_t(mode)); // the umask must not widen or narrow it
        return WriteResult::success();
    }
    if (errno == EEXIST)
        return WriteResult::success();
    return WriteResult::failure(QStringLiteral("Could not create the folder \"%1\": %2.")
                                    .arg(path.display(), reasonFor(errno)));
}

} // namespace FileIo
