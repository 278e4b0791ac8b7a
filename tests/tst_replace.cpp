// How Zentaro.ini is replaced on a real server: it keeps what the file
// carries (ACL, attributes, owner, set-id bits); where a rename cannot keep
// that, it is rewritten in place only after a backup copy; a full disk on a
// file system without fallocate changes nothing; and another program that
// writes the file at the same moment is noticed, not overwritten.

#include "FileIo.h"
#include "INI_Files.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const QByteArray Original = "[ODBC]\r\nUserDBDatasource=zen\r\n\r\n[Options]\r\nLogging=1\r\n";
const QByteArray Replaced
    = "[ODBC]\r\nUserDBDatasource=zen\r\n\r\n[Options]\r\nLogging=1\r\nAccountingScript=new\r\n";

WriteResult setScript(const QString &path, const QByteArray &value = "new")
{
    return INI_Files::WriteIniValue(path, "Options", "AccountingScript", value);
}

struct stat statOf(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

QByteArray attribute(const QString &path, const char *name)
{
    QByteArray value(4096, '\0');
    const ssize_t size = ::lgetxattr(
        QFile::encodeName(path).constData(), name, value.data(), size_t(value.size()));
    return size < 0 ? QByteArray() : value.left(size);
}

// A POSIX ACL as the kernel stores it: the owner rw, user nobody r, group r,
// mask r, others nothing.
QByteArray aclGivingNobodyRead()
{
    QByteArray acl;
    auto put32 = [&acl](quint32 v) {
        for (int i = 0; i < 4; ++i)
            acl.append(char((v >> (8 * i)) & 0xFF));
    };
    auto entry = [&](quint16 tag, quint16 permissions, quint32 id) {
        acl.append(char(tag & 0xFF)).append(char(tag >> 8));
        acl.append(char(permissions & 0xFF)).append(char(permissions >> 8));
        put32(id);
    };
    put32(2); // version
    entry(0x01, 6, 0xFFFFFFFF); // owner
    entry(0x02, 4, TestFiles::NobodyId); // user nobody
    entry(0x04, 4, 0xFFFFFFFF); // group
    entry(0x10, 4, 0xFFFFFFFF); // mask
    entry(0x20, 0, 0xFFFFFFFF); // others
    return acl;
}

QString tool()
{
    return QCoreApplication::applicationDirPath() + "/welcora-ini";
}

// The backup copy a rewrite in place makes of a file (no links in its path).
QString backupOf(const QString &state, const QString &path)
{
    const QByteArray tag
        = QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha1)
              .toHex()
              .left(8);
    return state + "/Welcora/backups/" + QFileInfo(path).fileName() + "." + tag + ".backup";
}

// Makes a folder refuse new files for whoever runs the tests: an immutable
// attribute for root (who ignores permission bits), no write bit otherwise.
class FolderRefusingNewFiles
{
public:
    explicit FolderRefusingNewFiles(const QString &folder)
        : m_folder(folder)
    {
        if (TestFiles::isRoot())
            m_ok = QProcess::execute("chattr", {"+i", folder}) == 0;
        else
            m_ok = ::chmod(QFile::encodeName(folder).constData(), 0555) == 0;
    }
    ~FolderRefusingNewFiles()
    {
        if (TestFiles::isRoot())
            QProcess::execute("chattr", {"-i", m_folder});
        ::chmod(QFile::encodeName(m_folder).constData(), 0755);
    }
    bool ok() const { return m_ok; }

private:
    QString m_folder;
    bool m_ok = false;
};

} // namespace

class TestReplace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keepsAclAndExtendedAttributes();
    void keepsOwnerGroupAndSetIdBits();
    void inPlaceOnlyAfterABackup_data();
    void inPlaceOnlyAfterABackup();
    void fullDiskWithoutFallocate_data();
    void fullDiskWithoutFallocate();
    void waitsForAWriterThatHasTheFileOpen();
    void readsAgainWhenTheFileChangesUnderIt();
    void refusesAFileThatKeepsChanging();
    void oneTargetWhenTheLinkMoves();
    void longestFileName();

private:
    QString zentaroIni() const { return m_dir->filePath("zentaro/Zentaro.ini"); }
    QString state() const { return m_dir->filePath("state"); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestReplace::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_dir->filePath("zentaro")));
    TestFiles::write(zentaroIni(), Original);
    qputenv("XDG_STATE_HOME", QFile::encodeName(state()));
}

void TestReplace::cleanup()
{
    FileIo::setBeforeReplaceHook({});
    m_dir.reset();
}

void TestReplace::keepsAclAndExtendedAttributes()
{
    const QByteArray path = QFile::encodeName(zentaroIni());
    const QByteArray acl = aclGivingNobodyRead();
    if (::lsetxattr(path.constData(), "user.welcora.note", "kept", 4, 0) != 0
        || ::lsetxattr(
               path.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0)
            != 0)
        QSKIP(qPrintable(QString("this file system keeps no ACL or attributes: ")
            + QString::fromLocal8Bit(strerror(errno))));
    const struct stat before = statOf(zentaroIni());

    const WriteResult result = setScript(zentaroIni());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(zentaroIni()), Replaced);
    const struct stat after = statOf(zentaroIni());
    QVERIFY(after.st_ino != before.st_ino); // replaced, not rewritten
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(attribute(zentaroIni(), "user.welcora.note"), QByteArray("kept"));
    QCOMPARE(attribute(zentaroIni(), "system.posix_acl_access"), acl);

    // The user the ACL lets read the file still can.
    if (TestFiles::isRoot()) {
        for (const QString &folder : {m_dir->path(), m_dir->filePath("zentaro")})
            ::chmod(QFile::encodeName(folder).constData(), 0711);
        QCOMPARE(TestFiles::runAsNobody("cat", {zentaroIni()}), 0);
    }
}

void TestReplace::keepsOwnerGroupAndSetIdBits()
{
    if (!TestFiles::isRoot())
        QSKIP("giving a file to another user needs root");
    const QByteArray path = QFile::encodeName(zentaroIni());
    QCOMPARE(::chown(path.constData(), TestFiles::NobodyId, TestFiles::NobodyId), 0);
    QCOMPARE(::chmod(path.constData(), 02664), 0);
    const struct stat before = statOf(zentaroIni());
    const WriteResult result = setScript(zentaroIni());
    QVERIFY2(result.ok(), qPrintable(result.error));
    const struct stat after = statOf(zentaroIni());
    QVERIFY(after.st_ino != before.st_ino);
    QCOMPARE(after.st_uid, uid_t(TestFiles::NobodyId));
    QCOMPARE(after.st_gid, gid_t(TestFiles::NobodyId));
    QCOMPARE(after.st_mode & 07777, mode_t(02664));
}

// Why a rename cannot be used, and what the writer has to work with.
enum class InPlace {
    OwnerCannotBeKept,
    FolderRefusesNewFiles,
    NoBackupFolder,
    EarlierWriteInterrupted
};

void TestReplace::inPlaceOnlyAfterABackup_data()
{
    QTest::addColumn<InPlace>("why");
    QTest::addColumn<QString>("refusal"); // empty: the write goes through
    QTest::newRow("another user writes a file the server's account owns (root: setpriv)")
        << InPlace::OwnerCannotBeKept << QString();
    QTest::newRow("the folder refuses new files") << InPlace::FolderRefusesNewFiles << QString();
    QTest::newRow("no folder for the backup copy")
        << InPlace::NoBackupFolder << "there is no folder for a backup copy";
    QTest::newRow("a copy left by an interrupted write")
        << InPlace::EarlierWriteInterrupted << "an earlier write of it was interrupted";
}

void TestReplace::inPlaceOnlyAfterABackup()
{
    QFETCH(InPlace, why);
    QFETCH(QString, refusal);
    const struct stat before = statOf(zentaroIni());
    std::optional<FolderRefusingNewFiles> folder;
    WriteResult result;
    switch (why) {
    case InPlace::OwnerCannotBeKept: {
        if (!TestFiles::isRoot())
            QSKIP("playing the server's account and another user needs root");
        for (const QString &open : {m_dir->path(), m_dir->filePath("zentaro")})
            ::chmod(QFile::encodeName(open).constData(), 0777);
        ::chmod(QFile::encodeName(zentaroIni()).constData(), 0666);
        QVERIFY(QDir().mkpath(state()));
        ::chmod(QFile::encodeName(state()).constData(), 0777);
        const int status = TestFiles::runAsNobody(TestFiles::copyForNobody(tool(), m_dir->path()),
            {"set", zentaroIni(), "Options", "AccountingScript", "new"},
            {"HOME=/nonexistent", "XDG_STATE_HOME=" + state()});
        result = status == 0 ? WriteResult::success()
                             : WriteResult::failure(QString("exit status %1").arg(status));
        QCOMPARE(statOf(zentaroIni()).st_uid, before.st_uid);
        break;
    }
    case InPlace::FolderRefusesNewFiles:
    case InPlace::NoBackupFolder:
    case InPlace::EarlierWriteInterrupted:
        if (why == InPlace::EarlierWriteInterrupted) {
            QVERIFY(QDir().mkpath(state() + "/Welcora/backups"));
            TestFiles::write(backupOf(state(), zentaroIni()), "an older copy");
        }
        folder.emplace(m_dir->filePath("zentaro"));
        QVERIFY(folder->ok());
        if (why == InPlace::NoBackupFolder) {
            const QByteArray home = qgetenv("HOME");
            qunsetenv("XDG_STATE_HOME");
            qunsetenv("HOME");
            result = setScript(zentaroIni());
            qputenv("HOME", home);
        } else {
            result = setScript(zentaroIni());
        }
        break;
    }
    folder.reset();

    if (refusal.isEmpty()) {
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(TestFiles::read(zentaroIni()), Replaced);
        QCOMPARE(statOf(zentaroIni()).st_ino, before.st_ino); // in place
        QCOMPARE(TestFiles::entries(state() + "/Welcora/backups"), QStringList());
    } else {
        QVERIFY2(result.error.contains(refusal), qPrintable(result.error));
        QCOMPARE(TestFiles::read(zentaroIni()), Original);
    }
    if (why == InPlace::EarlierWriteInterrupted) {
        QVERIFY2(result.error.contains(backupOf(state(), zentaroIni())), qPrintable(result.error));
        QCOMPARE(TestFiles::read(backupOf(state(), zentaroIni())), QByteArray("an older copy"));
    }
    QCOMPARE(TestFiles::entries(m_dir->filePath("zentaro")), QStringList {"Zentaro.ini"});
}

void TestReplace::fullDiskWithoutFallocate_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("replaced (root: an ext2 image)") << false;
    QTest::newRow("rewritten in place (root: an ext2 image)") << true;
}

void TestReplace::fullDiskWithoutFallocate()
{
    QFETCH(bool, inPlace);
    const QString disk = m_dir->filePath("disk");
    QVERIFY(QDir().mkpath(disk));
    TestFiles::ScopedMount mount
        = TestFiles::ScopedMount::ext2(disk, m_dir->filePath("disk.img"), 1024);
    if (!mount.ok())
        QSKIP("an ext2 image needs root, mkfs.ext2 and a loop device");
    QVERIFY(QDir().mkpath(disk + "/zentaro"));
    const QString path = disk + "/zentaro/Zentaro.ini";
    // Whole 1 KB blocks: one more byte needs a block the disk does not have.
    QByteArray contents = "[Options]\r\n;";
    contents += QByteArray(8 * 1024 - contents.size() - 2, 'x') + "\r\n";
    TestFiles::write(path, contents);
    TestFiles::fillUp(disk);
    std::optional<FolderRefusingNewFiles> folder;
    if (inPlace) {
        folder.emplace(disk + "/zentaro");
        QVERIFY(folder->ok());
    }

    const WriteResult result = setScript(path, QByteArray(200, 'v'));
    folder.reset();
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("the disk is full") && result.error.contains(path),
        qPrintable(result.error));
    if (inPlace)
        QVERIFY2(result.error.contains("left as it was"), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), contents);
    QCOMPARE(TestFiles::entries(disk + "/zentaro"), QStringList {"Zentaro.ini"});
    QCOMPARE(TestFiles::entries(state() + "/Welcora/backups"), QStringList());
}

void TestReplace::waitsForAWriterThatHasTheFileOpen()
{
    // Zentaro writes its file in place; while another program has it open
    // for writing, what we read may be half of it.
    QProcess writer;
    writer.start("sh", {"-c", "exec 3>>\"$0\"; echo open; read line", zentaroIni()});
    QVERIFY(writer.waitForReadyRead(10000));
    QElapsedTimer waited;
    waited.start();
    const WriteResult refused = setScript(zentaroIni());
    QVERIFY2(refused.error.contains("being written by another program; try again"),
        qPrintable(refused.error));
    QVERIFY(waited.elapsed() >= 1000); // it waited a little first
    QCOMPARE(TestFiles::read(zentaroIni()), Original);

    writer.closeWriteChannel();
    QVERIFY(writer.waitForFinished(10000));
    const WriteResult result = setScript(zentaroIni());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(zentaroIni()), Replaced);
}

void TestReplace::readsAgainWhenTheFileChangesUnderIt()
{
    // Zentaro rewrites its file between our read and our replace: its change
    // and ours both stay.
    int calls = 0;
    FileIo::setBeforeReplaceHook([&] {
        if (calls++ == 0)
            TestFiles::write(zentaroIni(), Original + "[Host]\r\nWritten=1\r\n");
    });
    const WriteResult result = setScript(zentaroIni());
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(calls, 2);
    QCOMPARE(TestFiles::read(zentaroIni()),
        QByteArray("[ODBC]\r\nUserDBDatasource=zen\r\n\r\n[Options]\r\nLogging=1\r\n"
                   "AccountingScript=new\r\n[Host]\r\nWritten=1\r\n"));
}

void TestReplace::refusesAFileThatKeepsChanging()
{
    int calls = 0;
    FileIo::setBeforeReplaceHook([&] {
        TestFiles::write(
            zentaroIni(), Original + "; change " + QByteArray::number(++calls) + "\r\n");
    });
    const WriteResult result = setScript(zentaroIni());
    QVERIFY2(result.error.contains("kept changing while it was being written"),
        qPrintable(result.error));
    QCOMPARE(
        TestFiles::read(zentaroIni()), Original + "; change " + QByteArray::number(calls) + "\r\n");
    QCOMPARE(TestFiles::entries(m_dir->filePath("zentaro")), QStringList {"Zentaro.ini"});
}

void TestReplace::oneTargetWhenTheLinkMoves()
{
    // The link is followed once: the file it named is locked, read and
    // replaced, even if the link is pointed elsewhere in between.
    const QString link = m_dir->filePath("zentaro/link.ini");
    const QString other = m_dir->filePath("zentaro/other.ini");
    TestFiles::write(other, "[Other]\r\n");
    QVERIFY(QFile::link(zentaroIni(), link));
    FileIo::setBeforeReplaceHook([&] {
        QFile::remove(link);
        QFile::link(other, link);
    });
    const WriteResult result = setScript(link);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(zentaroIni()), Replaced);
    QCOMPARE(TestFiles::read(other), QByteArray("[Other]\r\n"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), other);
}

void TestReplace::longestFileName()
{
    // A temporary name made from the file's own would be too long.
    const QString path = m_dir->filePath("zentaro/" + QString(251, 'z') + ".ini");
    TestFiles::write(path, Original);
    const WriteResult result = setScript(path);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), Replaced);
}

QTEST_GUILESS_MAIN(TestReplace)
#include "tst_replace.moc"
