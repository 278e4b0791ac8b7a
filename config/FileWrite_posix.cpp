// Replacing a file on POSIX systems: all or nothing, keeping what the file
// carries, against our other writers and noticing those that do not lock.

#include "FileIo.h"

#include "PosixFiles.h"

#include <QCryptographicHash>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

namespace FileIo {

using namespace Posix;

namespace {

std::function<void()> &beforeReplace()
{
    static std::function<void()> hook;
    return hook;
}

// Our temporaries carry this prefix, so a writer holding the folder's lock
// knows that any it finds were left by a writer that was killed.
constexpr char TemporaryPrefix[] = ".welcora-";

// What identifies a file's contents as read: the same inode, size and times.
struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};
    struct timespec changed = {};

    static Identity of(const struct stat &st)
    {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    static Identity atPath(const QByteArray &path)
    {
        struct stat st;
        return ::lstat(path.constData(), &st) == 0 ? of(st) : Identity();
    }
    bool operator==(const Identity &o) const
    {
        if (exists != o.exists)
            return false;
        return !exists
            || (device == o.device && inode == o.inode && size == o.size
                && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec
                && changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec);
    }
};

struct Target
{
    QByteArray path; // the file itself, links resolved
    bool exists = false;
    struct stat st = {};
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void pause(int milliseconds)
{
    const struct timespec time = {0, long(milliseconds) * 1000 * 1000};
    ::nanosleep(&time, nullptr);
}

// The outcome of one attempt: done (well or not), or try again because the
// file changed under us.
struct Attempt
{
    WriteResult result;
    bool again = false;
};

class Writer
{
public:
    Writer(const FilePath &shown, const AtomicWriteOptions &options)
        : m_shown(shown)
        , m_options(options)
    { }

    // readFirst: the new contents depend on the old, so the file is read and
    // must still be what was read when it is replaced.
    WriteResult run(const std::function<Change(const QByteArray &)> &change, bool readFirst);

private:
    WriteResult failure(const QString &reason) const { return writeFailure(m_shown, reason); }
    WriteResult examine(Target &target) const;
    WriteResult readCurrent(
        const Target &target, QByteArray &contents, Identity &identity, bool &busy) const;
    // current: the contents as read, when they were (the backup copy of a
    // rewrite in place is made of them, not of a second copy in memory).
    Attempt replaceByRename(const Target &target, const Identity &read, const QByteArray *current,
        const QByteArray &data);
    Attempt rewriteInPlace(const Target &target, const Identity &read, const QByteArray *current,
        const QByteArray &data, const QString &why);
    int newTemporary(const QByteArray &folder, QByteArray &name, int &error) const;
    bool nameTemporary(int fd, const QByteArray &folder, QByteArray &name, int &error) const;
    bool keepAttributes(int fd, const Target &target, bool &cannotKeep, int &error) const;
    QByteArray backupPath(const Target &target) const;

    const FilePath &m_shown;
    const AtomicWriteOptions &m_options;
    QByteArray m_resolved;
};

WriteResult Writer::examine(Target &target) const
{
    target = Target();
    target.path = m_resolved;
    if (::lstat(target.path.constData(), &target.st) == 0) {
        target.exists = true;
        if (S_ISLNK(target.st.st_mode))
            return failure(QStringLiteral("it is a symbolic link, which is not written through"));
        if (S_ISDIR(target.st.st_mode))
            return failure(QStringLiteral("it is a folder, not a file"));
        if (!S_ISREG(target.st.st_mode))
            return failure(QStringLiteral("it is not an ordinary file"));
        if (!m_options.respectFilePermissions)
            return WriteResult::success();
        if ((target.st.st_mode & 0222) == 0)
            return failure(QStringLiteral("the file is read-only"));
        if (::access(target.path.constData(), W_OK) != 0)
            return failure(reasonFor(errno));
        return WriteResult::success();
    }
    if (errno != ENOENT)
        return failure(reasonFor(errno));
    struct stat folder;
    const QByteArray folderPath = folderOf(target.path);
    if (::stat(folderPath.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return failure(
            QStringLiteral("the folder \"%1\" does not exist").arg(QFile::decodeName(folderPath)));
    return WriteResult::success();
}

// Reads the file, unless another program has it open for writing: a read
// lease is refused exactly then (where we may take one: our own file, or as
// root). The lease is let go at once; SIGIO, with which the system would
// ask for it back, is ignored.
WriteResult Writer::readCurrent(
    const Target &target, QByteArray &contents, Identity &identity, bool &busy) const
{
    busy = false;
    const int fd = ::open(target.path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return failure(reasonFor(errno));
    static const bool ignoringLeaseBreaks = (std::signal(SIGIO, SIG_IGN), true);
    Q_UNUSED(ignoringLeaseBreaks);
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    else if (errno == EAGAIN)
        busy = true;
    struct stat st;
    int error = 0;
    ReadStatus status = ReadStatus::Unreadable;
    if (!busy && ::fstat(fd, &st) == 0) {
        identity = Identity::of(st);
        status = readOpenFile(fd, st.st_size, contents, m_options.maxSize, error);
    } else if (!busy) {
        error = errno;
    }
    ::close(fd);
    if (busy || status == ReadStatus::Ok)
        return WriteResult::success();
    return failure(reasonFor(status, error));
}

int Writer::newTemporary(const QByteArray &folder, QByteArray &name, int &error) const
{
    name.clear();
    // Unnamed: a writer killed before the rename leaves nothing behind. It is
    // named through /proc for the rename.
    int fd = -1;
    if (::access("/proc/self/fd", X_OK) == 0) {
        fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        error = errno;
        if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL)
            return -1;
    }
    // A short name, whatever the length of the file's own.
    name = folder + '/' + TemporaryPrefix + "XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        error = errno;
    return fd;
}

// Gives an unnamed temporary file a name beside the target, for the rename.
bool Writer::nameTemporary(int fd, const QByteArray &folder, QByteArray &name, int &error) const
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + '/' + TemporaryPrefix
            + QByteArray::number(quint64(::getpid()) * 1000 + quint64(attempt), 36)
            + QByteArray::number(quint64(::time(nullptr)) % 46656, 36);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW)
            == 0)
            return true;
        error = errno;
        if (error != EEXIST)
            return false;
    }
    return false;
}

// Owner and group first (a change of owner clears set-id bits), then the
// mode, then the ACL and extended attributes. cannotKeep: the file carries
// something this writer may not give a new file.
bool Writer::keepAttributes(int fd, const Target &target, bool &cannotKeep, int &error) const
{
    cannotKeep = false;
    const mode_t mode = m_options.ownerOnly ? mode_t(0600)
        : target.exists                     ? (target.st.st_mode & 07777)
                                            : (0666 & ~currentUmask());
    if (target.exists && (target.st.st_uid != ::geteuid() || target.st.st_gid != ::getegid())
        && ::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
        cannotKeep = errno == EPERM;
        error = errno;
        return false;
    }
    if (::fchmod(fd, mode) != 0) {
        error = errno;
        return false;
    }
    if (!target.exists || m_options.ownerOnly)
        return true;
    // A default ACL of the folder may have given the new file an ACL of its own.
    ::fremovexattr(fd, "system.posix_acl_access");
    const ssize_t length = ::llistxattr(target.path.constData(), nullptr, 0);
    if (length <= 0)
        return true; // none, or none this file system keeps
    QByteArray names(length, '\0');
    const ssize_t got = ::llistxattr(target.path.constData(), names.data(), size_t(names.size()));
    for (const QByteArray &attribute : names.left(qMax<ssize_t>(got, 0)).split('\0')) {
        if (attribute.isEmpty())
            continue;
        const ssize_t size
            = ::lgetxattr(target.path.constData(), attribute.constData(), nullptr, 0);
        if (size < 0)
            continue;
        QByteArray value(size, '\0');
        const ssize_t read = ::lgetxattr(
            target.path.constData(), attribute.constData(), value.data(), size_t(value.size()));
        if (read < 0)
            continue;
        if (::fsetxattr(fd, attribute.constData(), value.constData(), size_t(read), 0) != 0) {
            cannotKeep = true;
            error = errno;
            return false;
        }
    }
    return true;
}

Attempt Writer::replaceByRename(
    const Target &target, const Identity &read, const QByteArray *current, const QByteArray &data)
{
    const QByteArray folder = folderOf(target.path);
    QByteArray name;
    int error = 0;
    const int fd = newTemporary(folder, name, error);
    if (fd < 0) {
        if ((error == EACCES || error == EPERM) && target.exists)
            return rewriteInPlace(target, read, current, data,
                QStringLiteral("the folder does not allow a new file in it"));
        return {failure(reasonFor(error))};
    }
    bool cannotKeep = false;
    bool ok = keepAttributes(fd, target, cannotKeep, error);
    if (!ok && cannotKeep && target.exists) {
        ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
        return rewriteInPlace(target, read, current, data,
            QStringLiteral("a new file could not keep the file's owner, ACL or attributes"));
    }
    ok = ok && writeAll(fd, data, 0, error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && name.isEmpty())
        ok = nameTemporary(fd, folder, name, error);
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    // Replace only what was read: another program may have written the file since.
    const bool changedUnderUs = ok && !(Identity::atPath(target.path) == read);
    if (ok && !changedUnderUs && ::rename(name.constData(), target.path.constData()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok || changedUnderUs) {
        if (!name.isEmpty())
            ::unlink(name.constData());
        if (changedUnderUs)
            return {WriteResult::success(), true};
        return {failure(reasonFor(error))};
    }
    syncFolder(folder);
    return {WriteResult::success()};
}

QByteArray Writer::backupPath(const Target &target) const
{
    // One copy per file, named for it and told apart by its full path.
    const QByteArray tag
        = QCryptographicHash::hash(target.path, QCryptographicHash::Sha1).toHex().left(8);
    return m_options.backupFolder + '/' + nameOf(target.path) + '.' + tag + ".backup";
}

// Rewrites the file in place, for where a rename cannot keep what it needs.
// A complete, flushed copy of the old file is made first, so that a crash, a
// kill or a full disk at any moment leaves the old file, the new one, or the
// old one in the copy; the copy is removed once the file is whole again.
Attempt Writer::rewriteInPlace(const Target &target, const Identity &read,
    const QByteArray *current, const QByteArray &data, const QString &why)
{
    if (m_options.backupFolder.isEmpty())
        return {failure(why + QStringLiteral(", and there is no folder for a backup copy"))};
    const QByteArray backup = backupPath(target);
    const QString backupShown = QFile::decodeName(backup);
    struct stat st;
    if (::lstat(backup.constData(), &st) == 0) {
        return {failure(QStringLiteral("an earlier write of it was interrupted, and its earlier "
                                       "contents are kept in \"%1\": check the file, copy that "
                                       "back over it if it is damaged, then delete the copy")
                            .arg(backupShown))};
    }
    if (WriteResult made = makePrivateFolders(FilePath::fromNative(m_options.backupFolder));
        !made.ok())
        return {failure(why + QStringLiteral(", and no backup copy could be made: ") + made.error)};

    const int fd = ::open(target.path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {failure(reasonFor(errno))};
    auto done = [fd](Attempt attempt) {
        ::close(fd);
        return attempt;
    };
    if (::fstat(fd, &st) != 0 || !(Identity::of(st) == read))
        return done({WriteResult::success(), true});
    QByteArray readNow;
    int error = 0;
    if (!current
        && (readOpenFile(fd, st.st_size, readNow, m_options.maxSize, error) != ReadStatus::Ok
            || readNow.size() != st.st_size))
        return done({failure(reasonFor(error))});
    const QByteArray &old = current ? *current : readNow;

    AtomicWriteOptions copyOptions;
    copyOptions.ownerOnly = true;
    copyOptions.followLinks = false;
    if (WriteResult copied = writeAtomically(FilePath::fromNative(backup), old, copyOptions);
        !copied.ok())
        return done(
            {failure(why + QStringLiteral(", and no backup copy could be made: ") + copied.error)});

    const off_t oldSize = off_t(old.size());
    const off_t newSize = off_t(data.size());
    // What lies beyond the old end goes first: a full disk stops it before
    // any byte of the old contents has changed.
    if (newSize > oldSize) {
        const bool grown = writeAll(fd, QByteArrayView(data).sliced(oldSize), oldSize, error)
            && ::fsync(fd) == 0;
        if (!grown) {
            error = error ? error : errno;
            const bool undone = ::ftruncate(fd, oldSize) == 0 && ::fsync(fd) == 0;
            if (undone)
                ::unlink(backup.constData());
            return done({failure(reasonFor(error)
                + (undone ? QStringLiteral("; the file was left as it was")
                          : QStringLiteral("; its earlier contents are kept in \"%1\"")
                                .arg(backupShown)))});
        }
    }
    bool ok = writeAll(fd, QByteArrayView(data).first(qMin(oldSize, newSize)), 0, error);
    if (ok && newSize < oldSize && ::ftruncate(fd, newSize) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        int ignored = 0;
        const bool restored
            = writeAll(fd, old, 0, ignored) && ::ftruncate(fd, oldSize) == 0 && ::fsync(fd) == 0;
        if (restored)
            ::unlink(backup.constData());
        return done({failure(reasonFor(error)
            + (restored ? QStringLiteral("; the file was put back as it was")
                        : QStringLiteral("; the file may be damaged, and its earlier contents "
                                         "are kept in \"%1\"")
                              .arg(backupShown)))});
    }
    ::unlink(backup.constData());
    syncFolder(m_options.backupFolder);
    return done({WriteResult::success()});
}

// Removes what writers of ours that were killed left in the folder. Only
// called with the folder's lock held, so none of them is still at work.
void removeLeftovers(const QByteArray &folder)
{
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return;
    const QByteArray prefix(TemporaryPrefix);
    while (const struct dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || name.size() > prefix.size() + 16)
            continue;
        struct stat st;
        if (::fstatat(::dirfd(listing), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

WriteResult Writer::run(const std::function<Change(const QByteArray &)> &change, bool readFirst)
{
    if (m_shown.isEmpty())
        return writeFailure(m_shown, QString());
    int error = 0;
    if (!m_options.followLinks)
        m_resolved = m_shown.native();
    else if (!resolveLinks(m_shown.native(), m_resolved, error))
        return failure(reasonFor(error));

    const QByteArray folder = folderOf(m_resolved);
    const FolderLock lock(folder);
    if (lock.busy())
        return failure(QStringLiteral("another program kept writing the file; try again"));
    removeLeftovers(folder);

    for (int attempt = 0; attempt < 5; ++attempt) {
        Target target;
        if (WriteResult examined = examine(target); !examined.ok())
            return examined;
        QByteArray current;
        Identity read = target.exists ? Identity::of(target.st) : Identity();
        if (readFirst && target.exists) {
            bool busy = false;
            for (int wait = 0; wait < 20; ++wait) {
                if (WriteResult got = readCurrent(target, current, read, busy); !got.ok())
                    return got;
                if (!busy)
                    break;
                pause(100);
            }
            if (busy)
                return failure(QStringLiteral(
                    "it is being written by another program; try again when that is done"));
        }
        const Change wanted = change(current);
        if (!wanted.error.isEmpty())
            return failure(wanted.error);
        if (!wanted.changed)
            return WriteResult::success();
        if (readFirst && beforeReplace())
            beforeReplace()();
        const Attempt made = replaceByRename(
            target, read, readFirst && target.exists ? &current : nullptr, wanted.contents);
        if (!made.again)
            return made.result;
        pause(20 * (attempt + 1));
    }
    return failure(QStringLiteral("it kept changing while it was being written (another program "
                                  "is writing it); try again"));
}

} // namespace

WriteResult rewriteFile(const FilePath &path,
    const std::function<Change(const QByteArray &current)> &change,
    const AtomicWriteOptions &options)
{
    return Writer(path, options).run(change, true);
}

WriteResult writeAtomically(
    const FilePath &path, const QByteArray &contents, const AtomicWriteOptions &options)
{
    return Writer(path, options)
        .run(
            [&contents](const QByteArray &) {
                return Change {QString(), true, contents};
            },
            false);
}

void setBeforeReplaceHook(std::function<void()> hook)
{
    beforeReplace() = std::move(hook);
}

} // namespace FileIo
