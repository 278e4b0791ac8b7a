// FileIo and SystemText on Windows: paths are UTF-16 (carried as UTF-8 in a
// FilePath), files are read through handles that never open a device, and a
// file is replaced by ReplaceFileW, which keeps its ACL and attributes.

#include "FileIo.h"
#include "SystemText.h"
#include "WindowsFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>

#include <windows.h>

#include <memory>
#include <string>

namespace FileIo {

QByteArray encodePath(const QString &path)
{
    return path.toUtf8();
}

QString decodePath(const QByteArray &native)
{
    return QString::fromUtf8(native);
}

namespace Windows {

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

QString reasonFor(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("there is no such file");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("the folder does not exist");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("permission denied");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("another program has the file open");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("the disk is full");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("the disk is write-protected");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return QStringLiteral("the path is not a valid file name");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("the path is too long");
    case ERROR_NOT_READY:
        return QStringLiteral("the drive is not ready");
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return QStringLiteral("the network path cannot be reached");
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return QStringLiteral("the disk reported an input/output error");
    default:
        break;
    }
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(error), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    LocalFree(text);
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (reason.isEmpty())
        return QStringLiteral("Windows error %1").arg(error);
    reason[0] = reason[0].toLower();
    return reason;
}

bool isDevicePath(const QString &path)
{
    // \\.\PhysicalDrive0, \\.\COM1, \\.\pipe\x; \\?\ is a device too unless a
    // drive or a share follows.
    QString slashes = path;
    slashes.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (slashes.startsWith(QLatin1String("//./")))
        return true;
    if (slashes.startsWith(QLatin1String("//?/"))) {
        const QString rest = slashes.mid(4);
        const bool drive = rest.size() >= 3 && rest[0].isLetter() && rest[1] == QLatin1Char(':')
            && rest[2] == QLatin1Char('/');
        return !drive && !rest.startsWith(QLatin1String("UNC/"), Qt::CaseInsensitive);
    }
    // CON, NUL, COM1, LPT1 ... name the device in every folder, whatever
    // extension or trailing blanks and dots follow.
    QString name = slashes.mid(slashes.lastIndexOf(QLatin1Char('/')) + 1);
    name = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
    name = name.left(name.indexOf(QLatin1Char('.')));
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    name = name.toUpper();
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"),
        QStringLiteral("AUX"), QStringLiteral("NUL"), QStringLiteral("CONIN$"),
        QStringLiteral("CONOUT$"), QStringLiteral("CLOCK$")};
    if (devices.contains(name))
        return true;
    return name.size() == 4
        && (name.startsWith(QLatin1String("COM")) || name.startsWith(QLatin1String("LPT")))
        && name[3] >= QLatin1Char('1') && name[3] <= QLatin1Char('9');
}

} // namespace Windows

namespace {

using Windows::reasonFor;
using Windows::wide;

struct Handle
{
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE handle)
        : h(handle)
    { }
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

// What tells one version of a file from another.
struct Identity
{
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD sizeHigh = 0;
    DWORD sizeLow = 0;
    FILETIME written = {};

    static Identity of(const BY_HANDLE_FILE_INFORMATION &info)
    {
        return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
            info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime};
    }
    bool operator==(const Identity &o) const
    {
        return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow
            && sizeHigh == o.sizeHigh && sizeLow == o.sizeLow
            && written.dwLowDateTime == o.written.dwLowDateTime
            && written.dwHighDateTime == o.written.dwHighDateTime;
    }
};

QString reasonFor(ReadStatus status, DWORD error)
{
    return readFailure(status, QStringLiteral("it is a device, not an ordinary file"),
        status == ReadStatus::Unreadable ? reasonFor(error) : QString());
}

// Opens a path for reading, never a device and never a folder.
ReadStatus openForReading(
    const QString &path, Links links, std::unique_ptr<Handle> &opened, DWORD &error)
{
    if (path.isEmpty())
        return ReadStatus::Missing;
    if (Windows::isDevicePath(path))
        return ReadStatus::NotRegular;
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
            ? ReadStatus::Missing
            : ReadStatus::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReadStatus::Folder;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && links == Links::Refuse)
        return ReadStatus::Link;
    opened = std::make_unique<Handle>(CreateFileW(name.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!opened->ok()) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
            ? ReadStatus::Missing
            : ReadStatus::Unreadable;
    }
    if (GetFileType(opened->h) != FILE_TYPE_DISK)
        return ReadStatus::NotRegular;
    return ReadStatus::Ok;
}

ReadStatus readOpened(
    HANDLE file, QByteArray &contents, qint64 maxSize, Identity &identity, DWORD &error)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) {
        error = GetLastError();
        return ReadStatus::Unreadable;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReadStatus::Folder;
    identity = Identity::of(info);
    const qint64 size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxSize)
        return ReadStatus::TooLarge;
    contents.resize(size);
    qint64 done = 0;
    for (;;) {
        if (done == contents.size()) {
            if (contents.size() > maxSize) {
                contents.clear();
                return ReadStatus::TooLarge;
            }
            contents.resize(contents.size() + 4096); // the file grew since
        }
        DWORD got = 0;
        const DWORD want = DWORD(qMin<qint64>(contents.size() - done, 1 << 24));
        if (!ReadFile(file, contents.data() + done, want, &got, nullptr)) {
            error = GetLastError();
            contents.clear();
            return ReadStatus::Unreadable;
        }
        if (got == 0)
            break;
        done += got;
    }
    contents.truncate(done);
    return ReadStatus::Ok;
}

std::function<void()> &beforeReplace()
{
    static std::function<void()> hook;
    return hook;
}

Windows::ReplaceFileFunction &replaceFileForTests()
{
    static Windows::ReplaceFileFunction replace;
    return replace;
}

const QString TemporaryPrefix = QStringLiteral(".welcora-");

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 2 && path[1] == QLatin1Char(':'))
        return path.left(3); // C:\ .
    return path.left(slash);
}

QString fullPath(const QString &path)
{
    const std::wstring name = wide(QDir::toNativeSeparators(path));
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(name.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return QDir::toNativeSeparators(path);
    return QString::fromWCharArray(full.data(), int(length));
}

const QString OldCopySuffix = QStringLiteral(".old.tmp");

// Removes the new contents that writers of ours that were killed left in the
// folder; only called with the folder's lock held, so none of them is still
// at work. The old contents a killed replace may have left under a name of
// ours (ReplaceFileW moves the file aside first) are the file itself: they
// are never removed, and their path is given back.
QString removeLeftovers(const QString &folder)
{
    WIN32_FIND_DATAW found;
    const std::wstring pattern
        = wide(folder + QLatin1Char('\\') + TemporaryPrefix + QLatin1Char('*'));
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    QString oldCopy;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!name.endsWith(QLatin1String(".tmp"))
            || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const QString path = folder + QLatin1Char('\\') + name;
        if (name.endsWith(OldCopySuffix))
            oldCopy = path;
        else
            DeleteFileW(wide(path).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return oldCopy;
}

class Writer
{
public:
    Writer(const FilePath &shown, const AtomicWriteOptions &options)
        : m_shown(shown)
        , m_options(options)
    { }
    WriteResult run(const std::function<Change(const QByteArray &)> &change, bool readFirst);

private:
    WriteResult failure(const QString &reason) const { return writeFailure(m_shown, reason); }
    // One try; again is set when the file changed under us.
    WriteResult attempt(
        const std::function<Change(const QByteArray &)> &change, bool readFirst, bool &again);
    WriteResult writeTemporary(const QByteArray &contents, QString &temporary) const;
    WriteResult replace(
        const QString &temporary, bool existed, unsigned long attributes, bool &again) const;

    const FilePath &m_shown;
    const AtomicWriteOptions &m_options;
    QString m_target;
    QString m_folder;
};

WriteResult Writer::writeTemporary(const QByteArray &contents, QString &temporary) const
{
    Handle file(INVALID_HANDLE_VALUE);
    for (int tries = 0; tries < 16 && !file.ok(); ++tries) {
        temporary = m_folder + QLatin1Char('\\') + TemporaryPrefix
            + QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFull, 36)
            + QStringLiteral(".tmp");
        file.h = CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!file.ok() && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (!file.ok())
        return failure(reasonFor(GetLastError()));
    qint64 done = 0;
    while (done < contents.size()) {
        DWORD wrote = 0;
        const DWORD chunk = DWORD(qMin<qint64>(contents.size() - done, 1 << 24));
        if (!WriteFile(file.h, contents.constData() + done, chunk, &wrote, nullptr) || wrote == 0)
            break;
        done += wrote;
    }
    if (done != contents.size() || !FlushFileBuffers(file.h)) {
        const DWORD error = GetLastError();
        CloseHandle(file.h);
        file.h = INVALID_HANDLE_VALUE;
        DeleteFileW(wide(temporary).c_str());
        return failure(reasonFor(error));
    }
    return WriteResult::success();
}

WriteResult Writer::replace(
    const QString &temporary, bool existed, unsigned long attributes, bool &again) const
{
    const std::wstring target = wide(m_target);
    const std::wstring replacement = wide(temporary);
    if (!existed) {
        // No MOVEFILE_REPLACE_EXISTING: a file that appeared since we looked
        // is read and changed on the next attempt, not overwritten.
        if (MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            return WriteResult::success();
        const DWORD error = GetLastError();
        DeleteFileW(replacement.c_str());
        again = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        return again ? WriteResult::success() : failure(reasonFor(error));
    }
    // ReplaceFileW keeps the file's ACL, attributes and creation time. With a
    // backup name, a replace that fails half-way leaves the old file under
    // that name, to be put back; without one it could leave no file at all.
    const QString backup = temporary.chopped(4) + OldCopySuffix;
    const std::wstring backupName = wide(backup);
    const bool replaced = replaceFileForTests()
        ? replaceFileForTests()(target, replacement, backupName)
        : ReplaceFileW(target.c_str(), replacement.c_str(), backupName.c_str(),
            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (replaced) {
        DeleteFileW(backupName.c_str());
        // Where the replace did not carry the attributes over (Wine), they
        // are given back.
        const DWORD now = GetFileAttributesW(target.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && now != attributes)
            SetFileAttributesW(target.c_str(), attributes);
        return WriteResult::success();
    }
    const DWORD error = GetLastError();
    DeleteFileW(replacement.c_str()); // the new contents: ours to make again
    if (GetFileAttributesW(backupName.c_str()) == INVALID_FILE_ATTRIBUTES)
        return failure(reasonFor(error)); // the file was never moved aside
    // Cut short after the file was moved aside: put it back. Where that fails
    // (another program made the file anew, or holds the copy open), the copy
    // may be the last of the old contents: it is kept, and named.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
        && MoveFileExW(backupName.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        return failure(reasonFor(error));
    return failure(QStringLiteral("%1, and its contents from before this write are kept in "
                                  "\"%2\": if the file is missing or not as it was, put that "
                                  "copy back in its place")
                       .arg(reasonFor(error), backup));
}

WriteResult Writer::attempt(
    const std::function<Change(const QByteArray &)> &change, bool readFirst, bool &again)
{
    again = false;
    const std::wstring target = wide(m_target);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND)
            return failure(QStringLiteral("the folder \"%1\" does not exist").arg(m_folder));
        if (error != ERROR_FILE_NOT_FOUND)
            return failure(reasonFor(error));
    } else {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return failure(QStringLiteral("it is a folder, not a file"));
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !m_options.followLinks)
            return failure(QStringLiteral("it is a symbolic link, which is not written through"));
        if ((attributes & FILE_ATTRIBUTE_READONLY) && m_options.respectFilePermissions)
            return failure(QStringLiteral("the file is read-only"));
    }

    QByteArray current;
    Identity read;
    if (exists) {
        std::unique_ptr<Handle> opened;
        DWORD error = 0;
        ReadStatus status = openForReading(m_target, Links::Follow, opened, error);
        if (status == ReadStatus::Ok && readFirst)
            status = readOpened(opened->h, current, m_options.maxSize, read, error);
        else if (status == ReadStatus::Ok) {
            BY_HANDLE_FILE_INFORMATION info;
            if (GetFileInformationByHandle(opened->h, &info))
                read = Identity::of(info);
        }
        if (status != ReadStatus::Ok)
            return failure(reasonFor(status, error));
    }
    const Change wanted = change(current);
    if (!wanted.error.isEmpty())
        return failure(wanted.error);
    if (!wanted.changed)
        return WriteResult::success();
    if (readFirst && beforeReplace())
        beforeReplace()();

    QString temporary;
    if (WriteResult written = writeTemporary(wanted.contents, temporary); !written.ok())
        return written;
    // The file must still be the one that was read.
    bool unchanged = true;
    if (exists) {
        std::unique_ptr<Handle> opened;
        DWORD error = 0;
        BY_HANDLE_FILE_INFORMATION info;
        unchanged = openForReading(m_target, Links::Follow, opened, error) == ReadStatus::Ok
            && GetFileInformationByHandle(opened->h, &info) && Identity::of(info) == read;
    } else {
        unchanged = GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    if (!unchanged) {
        DeleteFileW(wide(temporary).c_str());
        again = true;
        return WriteResult::success();
    }
    return replace(temporary, exists, attributes, again);
}

WriteResult Writer::run(const std::function<Change(const QByteArray &)> &change, bool readFirst)
{
    if (m_shown.isEmpty())
        return writeFailure(m_shown, QString());
    const QString shown = m_shown.display();
    if (Windows::isDevicePath(shown))
        return failure(QStringLiteral("it is a device, not an ordinary file"));
    m_target = fullPath(shown);
    m_folder = folderOf(m_target);

    const FolderLock lock(m_folder.toUtf8());
    if (lock.busy())
        return failure(QStringLiteral("another program kept writing the file; try again"));
    if (const QString oldCopy = removeLeftovers(m_folder); !oldCopy.isEmpty())
        return failure(QStringLiteral("an earlier write was cut short and left the old contents "
                                      "of a file of this folder in \"%1\"; put that file back "
                                      "(or delete it), then try again")
                           .arg(oldCopy));

    for (int attempt = 0; attempt < 5; ++attempt) {
        bool again = false;
        const WriteResult result = this->attempt(change, readFirst, again);
        if (!again)
            return result;
        Sleep(DWORD(20 * (attempt + 1)));
    }
    return failure(QStringLiteral("it kept changing while it was being written (another program "
                                  "is writing it); try again"));
}

} // namespace

ReadStatus readRegularFile(
    const FilePath &path, QByteArray &contents, qint64 maxSize, QString *reason, Links links)
{
    contents.clear();
    std::unique_ptr<Handle> opened;
    DWORD error = 0;
    ReadStatus status = openForReading(path.display(), links, opened, error);
    Identity ignored;
    if (status == ReadStatus::Ok)
        status = readOpened(opened->h, contents, maxSize, ignored, error);
    if (status != ReadStatus::Ok)
        contents.clear();
    if (reason)
        *reason = reasonFor(status, error);
    return status;
}

FolderLock::FolderLock(const QByteArray &folder)
{
    // A mutex named after the folder, for this session: our writers wait
    // for each other; a writer that dies lets go of it.
    const QByteArray id = QCryptographicHash::hash(
        fullPath(QString::fromUtf8(folder)).toLower().toUtf8(), QCryptographicHash::Sha1)
                              .toHex();
    const std::wstring name = wide(QStringLiteral("Local\\Welcora-folder-") + QLatin1String(id));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        return; // no lock to be had: go on without
    const DWORD waited = WaitForSingleObject(mutex, 10000);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        m_handle = reinterpret_cast<qintptr>(mutex);
        return;
    }
    CloseHandle(mutex);
    m_busy = true;
}

FolderLock::~FolderLock()
{
    if (m_handle == -1)
        return;
    HANDLE mutex = reinterpret_cast<HANDLE>(m_handle);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

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

void Windows::setReplaceFileForTests(ReplaceFileFunction replace)
{
    replaceFileForTests() = std::move(replace);
}

FilePath programFolder()
{
    std::wstring self(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), DWORD(self.size()));
    if (length == 0 || length >= self.size())
        return FilePath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    return FilePath(folderOf(QString::fromWCharArray(self.data(), int(length))));
}

QString programFileName(const QString &name)
{
    return name + QStringLiteral(".exe");
}

QString stateFolder()
{
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    return local.isEmpty() ? QString() : local + QStringLiteral("\\Welcora");
}

} // namespace FileIo

namespace SystemText {

qsizetype boundaryBefore(const QByteArray &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text.size();
    if (GetACP() == CP_UTF8)
        return utf8BoundaryBefore(text, limit);
    // A double-byte code page: a lead byte and the byte after it go together.
    qsizetype at = 0;
    while (at < limit) {
        const qsizetype length = IsDBCSLeadByte(BYTE(text[at])) ? 2 : 1;
        if (at + length > limit)
            break;
        at += length;
    }
    return at;
}

std::optional<QString> decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size = MultiByteToWideChar(
        CP_ACP, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring text(size_t(size), L'\0');
    MultiByteToWideChar(
        CP_ACP, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()), text.data(), size);
    return QString::fromStdWString(text);
}

std::optional<QByteArray> encode(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    const std::wstring wideText = text.toStdWString();
    // UTF-8 as the ANSI code page takes no best-fit flag and has no default character.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *replaced = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(
        CP_ACP, flags, wideText.data(), int(wideText.size()), nullptr, 0, nullptr, replaced);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(CP_ACP, flags, wideText.data(), int(wideText.size()), bytes.data(), size,
        nullptr, replaced);
    // Nothing may come back different: a code page that maps some characters
    // without a default character would otherwise pass unnoticed.
    if (usedDefault || decode(bytes) != text)
        return std::nullopt;
    return bytes;
}

QString name()
{
    return QStringLiteral("the Windows code page %1").arg(GetACP());
}

} // namespace SystemText
