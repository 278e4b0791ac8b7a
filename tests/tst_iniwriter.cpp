// What WriteIniValue does to a host INI file: the one change asked for, every
// other byte kept, all or nothing, and a plain reason when it cannot.

#include "INI_Files.h"
#include "SystemText.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

// Rows where Wine's GetPrivateProfileStringA cannot read back what Windows'
// does: it finds nothing in a "[]" section (docs/ini-rules.md, reading 5).
const QStringList WineDiffers = {"empty names are harmless"};

class TestIniWriter : public QObject
{
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
    void refusals_data();
    void refusals();
    void longestValuesReadBackWhole_data();
    void longestValuesReadBackWhole();
    void createsMissingFile();
    void unchangedValueTouchesNothing();
    void failuresLeaveFileAsItWas_data();
    void failuresLeaveFileAsItWas();
#ifndef Q_OS_WIN // mounts, modes, owners, symbolic links and chattr
    void fullDisk();
    void keepsModeOwnerAndLinks();
    void danglingLinkCreatesTarget();
    void readOnlyFolderRewritesInPlace();
#endif
};

void TestIniWriter::edits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray zentaro = "; Zentaro settings\r\n"
                               "[ODBC]\r\n"
                               "UserDBDatasource=zen\r\n"
                               "UserDBLoginPasswd=+@\r\n"
                               "\r\n"
                               "[Options]\r\n"
                               "Port = 1812\r\n"
                               "AccountingScript=old\r\n"
                               "; end of options\r\n"
                               "\r\n"
                               "[Log]\r\n"
                               "Level=3\r\n";
    QByteArray replaced = zentaro;
    replaced.replace("AccountingScript=old", "AccountingScript=/opt/w/kovrapost  $type $user $nas");
    QTest::newRow("replace, nothing else changes")
        << zentaro << QByteArray("Options") << QByteArray("AccountingScript")
        << QByteArray("/opt/w/kovrapost  $type $user $nas") << replaced;

    QTest::newRow("file keeps its spelling and spacing")
        << QByteArray("[options]\r\naccountingscript =  old  \r\n") << QByteArray("Options")
        << QByteArray("AccountingScript") << QByteArray("new")
        << QByteArray("[options]\r\naccountingscript =new\r\n");
    QTest::newRow("only the first key of the first block")
        << QByteArray("[S]\nk=1\nk=2\n[S]\nk=3\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("x") << QByteArray("[S]\nk=x\nk=2\n[S]\nk=3\n");
    QTest::newRow("key added after the last line of its section")
        << QByteArray("[S]\r\na=1\r\n; note\r\n\r\n\r\n[T]\r\nb=2\r\n") << QByteArray("S")
        << QByteArray("k") << QByteArray("v")
        << QByteArray("[S]\r\na=1\r\n; note\r\nk=v\r\n\r\n\r\n[T]\r\nb=2\r\n");
    QTest::newRow("key added to an empty section")
        << QByteArray("[S]\n\n[T]\n") << QByteArray("s") << QByteArray("k") << QByteArray("v")
        << QByteArray("[S]\nk=v\n\n[T]\n");
    QTest::newRow("key added to a section at the end without line end")
        << QByteArray("[S]\na=1") << QByteArray("S") << QByteArray("k") << QByteArray("v")
        << QByteArray("[S]\na=1\nk=v\n");
    QTest::newRow("key not added to a later duplicate block")
        << QByteArray("[S]\na=1\n[T]\n[S]\nb=2\n") << QByteArray("S") << QByteArray("b")
        << QByteArray("v") << QByteArray("[S]\na=1\nb=v\n[T]\n[S]\nb=2\n");
    QTest::newRow("section appended, trailing blank lines stay")
        << QByteArray("[ODBC]\r\nx=1\r\n\r\n") << QByteArray("Options")
        << QByteArray("AccountingScript") << QByteArray("v")
        << QByteArray("[ODBC]\r\nx=1\r\n\r\n[Options]\r\nAccountingScript=v\r\n");
    QTest::newRow("section appended after a missing final line end")
        << QByteArray("[ODBC]\r\nx=1") << QByteArray("Options") << QByteArray("AccountingScript")
        << QByteArray("v") << QByteArray("[ODBC]\r\nx=1\r\n[Options]\r\nAccountingScript=v\r\n");
    QTest::newRow("byte-order mark alone is a line without its end")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("S") << QByteArray("k") << QByteArray("v")
        << QByteArray("\xEF\xBB\xBF\r\n[S]\r\nk=v\r\n");
    QTest::newRow("byte-order mark kept")
        << QByteArray("\xEF\xBB\xBF[S]\nk=1\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("2") << QByteArray("\xEF\xBB\xBF[S]\nk=2\n");
    QTest::newRow("new lines use the first line end of the file")
        << QByteArray("[A]\nx=1\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
        << QByteArray("[A]\nx=1\r\n[S]\nk=v\n");
    QTest::newRow("lone cr file") << QByteArray("[A]\rx=1\r") << QByteArray("A") << QByteArray("k")
                                  << QByteArray("v") << QByteArray("[A]\rx=1\rk=v\r");
    QTest::newRow("untouched line ends kept")
        << QByteArray("[A]\r\nx=1\ny=2\r[S]\n\rk=1\n\r") << QByteArray("S") << QByteArray("k")
        << QByteArray("2") << QByteArray("[A]\r\nx=1\ny=2\r[S]\n\rk=2\n\r");
    QTest::newRow("nul and what follows stay")
        << QByteArray("[S]\nk=ab\0cd\nz=\xFF\n", 15) << QByteArray("S") << QByteArray("k")
        << QByteArray("xy") << QByteArray("[S]\nk=xy\0cd\nz=\xFF\n", 15);
    QTest::newRow("blanks before a nul are part of the value")
        << QByteArray("[S]\nk=ab  \0cd\n", 13) << QByteArray("S") << QByteArray("k")
        << QByteArray("ab") << QByteArray("[S]\nk=ab\0cd\n", 11);
    QTest::newRow("key without '=' gets one")
        << QByteArray("[S]\n k \nz=1\n") << QByteArray("S") << QByteArray("k") << QByteArray("v")
        << QByteArray("[S]\n k=v \nz=1\n");
    QTest::newRow("comments, '#' lines and odd bytes kept")
        << QByteArray("# hash\n[S]\n;k=c\n\x01\x7F\xFE=\xFF\nk=1 ; x\n") << QByteArray("S")
        << QByteArray("k") << QByteArray("2")
        << QByteArray("# hash\n[S]\n;k=c\n\x01\x7F\xFE=\xFF\nk=2\n");
    QTest::newRow("names written without their spaces")
        << QByteArray("") << QByteArray("  Options ") << QByteArray(" AccountingScript ")
        << QByteArray("v") << QByteArray("[Options]\r\nAccountingScript=v\r\n");
    QTest::newRow("empty names are harmless")
        << QByteArray("[A]\n") << QByteArray("") << QByteArray("") << QByteArray("v")
        << QByteArray("[A]\n[]\n=v\n");
    QTest::newRow("value with outer blanks is quoted")
        << QByteArray("[S]\nk=1\n") << QByteArray("S") << QByteArray("k") << QByteArray(" x ")
        << QByteArray("[S]\nk=\" x \"\n");
    QTest::newRow("value in quotes is quoted again")
        << QByteArray("[S]\nk=1\n") << QByteArray("S") << QByteArray("k") << QByteArray("'x'")
        << QByteArray("[S]\nk=\"'x'\"\n");
    QTest::newRow("empty value") << QByteArray("[S]\nk=1\n") << QByteArray("S") << QByteArray("k")
                                 << QByteArray("") << QByteArray("[S]\nk=\n");
    // The value crosses in the system's 8-bit text (UTF-8 here, the ANSI
    // code page on Windows: 1252 and 1256 both hold the letter).
    QTest::newRow("utf-16le stays utf-16le")
        << TestFiles::utf16le("[ODBC]\r\nUser=\u0633\r\n") << QByteArray("Options")
        << QByteArray("AccountingScript")
        << SystemText::encode(QStringLiteral("/opt/\u00E9/kovrapost")).value_or("?")
        << TestFiles::utf16le(
               "[ODBC]\r\nUser=\u0633\r\n[Options]\r\nAccountingScript=/opt/\u00E9/kovrapost\r\n");
    QTest::newRow("utf-16le replace")
        << TestFiles::utf16le("[S]\nk=old\nz=1\n") << QByteArray("s") << QByteArray("K")
        << QByteArray("new") << TestFiles::utf16le("[S]\nk=new\nz=1\n");
#ifndef Q_OS_WIN // the name's bytes are UTF-8, the system's text here
    // A byte-order mark that starts a name is part of it (a fuzzer's find).
    QTest::newRow("utf-16le, a name starting with a byte-order mark")
        << TestFiles::utf16le("[S]\r\nk=plain\r\n") << QByteArray("S")
        << QByteArray("\xEF\xBB\xBFk") << QByteArray("v")
        << TestFiles::utf16le("[S]\r\nk=plain\r\n\uFEFFk=v\r\n");
#endif
}

void TestIniWriter::edits()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, before);
    const WriteResult result = INI_Files::WriteIniValue(path, section, key, value);
    QVERIFY2(result.ok(), qPrintable(result.error));
    const QByteArray written = TestFiles::read(path);
    QVERIFY2(written == after, qPrintable(TestFiles::firstDifference(written, after)));
    // The reader finds what was written, and so does the platform's own.
    QCOMPARE(INI_Files::ReadIniValue(path, section, key), value);
    const auto platform = TestFiles::platformIniValue(path, section, key);
    if (platform && !WineDiffers.contains(QString::fromUtf8(QTest::currentDataTag())))
        QCOMPARE(*platform, value);
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
}

void TestIniWriter::refusals_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("reason");

    const QByteArray file = "[Options]\r\nAccountingScript=old\r\n";
    QTest::newRow("lf in value") << file << QByteArray("Options") << QByteArray("AccountingScript")
                                 << QByteArray("x\n[Evil]\nk=v") << "line break";
    QTest::newRow("cr in value") << file << QByteArray("Options") << QByteArray("AccountingScript")
                                 << QByteArray("x\ry") << "line break";
    QTest::newRow("nul in value") << file << QByteArray("Options") << QByteArray("AccountingScript")
                                  << QByteArray("x\0y", 3) << "NUL";
    QTest::newRow("lf in key") << file << QByteArray("Options") << QByteArray("a\nb")
                               << QByteArray("v") << "line break";
    QTest::newRow("nul in section")
        << file << QByteArray("Opt\0ions", 8) << QByteArray("k") << QByteArray("v") << "NUL";
    QTest::newRow("'=' in key") << file << QByteArray("Options") << QByteArray("a=b")
                                << QByteArray("v") << "\"=\"";
    QTest::newRow("key starting with '['")
        << file << QByteArray("Options") << QByteArray(" [a") << QByteArray("v") << "\"[\"";
    QTest::newRow("key starting with ';'")
        << file << QByteArray("Options") << QByteArray(";a") << QByteArray("v") << "\";\"";
    QTest::newRow("tab around a key")
        << file << QByteArray("Options") << QByteArray("\tk") << QByteArray("v") << "tab";
    QTest::newRow("']' in section")
        << file << QByteArray("Opt]ions") << QByteArray("k") << QByteArray("v") << "\"]\"";
    if (SystemText::name() == QLatin1String("UTF-8")) { // in a code page, 0xFF is a letter
        QTest::newRow("not utf-8, into a utf-16 file")
            << TestFiles::utf16le("[S]\r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("\xFF") << "UTF-16";
    }
    // What the host's reader could not return whole.
    QTest::newRow("255 bytes") << file << QByteArray("Options") << QByteArray("AccountingScript")
                               << QByteArray(255, 'v')
                               << "255 bytes long, and Zentaro reads at most 254";
    QTest::newRow("254 bytes that must be quoted")
        << file << QByteArray("Options") << QByteArray("AccountingScript")
        << " " + QByteArray(253, 'v') << "at most 253 bytes of it (it must be quoted)";
    QTest::newRow("a long install folder")
        << file << QByteArray("Options") << QByteArray("AccountingScript")
        << "/opt/" + QByteArray(230, 'f') + "/kovrapost  $type $user $nas"
        << "Zentaro reads at most";
    QTest::newRow("a UTF-16BE file")
        << QByteArrayLiteral("\xFE\xFF\0[\0O\0]\0\r\0\n") << QByteArray("Options")
        << QByteArray("AccountingScript") << QByteArray("v") << "high byte first";
}

void TestIniWriter::refusals()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, before);
    const WriteResult result = INI_Files::WriteIniValue(path, section, key, value);
    QVERIFY(!result.ok());
    QVERIFY2(
        result.error.contains(path) && result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), before);
}

void TestIniWriter::longestValuesReadBackWhole_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("254 bytes") << QByteArray(254, 'v');
    QTest::newRow("253 bytes, quoted") << " " + QByteArray(252, 'v');
    QTest::newRow("254 bytes of two-byte characters") << QString(127, QChar(0x0628)).toUtf8();
}

void TestIniWriter::longestValuesReadBackWhole()
{
    QFETCH(QByteArray, value);
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", value);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "AccountingScript"), value);
    if (const auto platform = TestFiles::platformIniValue(path, "Options", "AccountingScript"))
        QCOMPARE(*platform, value);
}

void TestIniWriter::createsMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), QByteArray("[Options]\r\nAccountingScript=v\r\n"));
#ifndef Q_OS_WIN
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), int(0666 & ~mask));
#endif
}

void TestIniWriter::unchangedValueTouchesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray contents = "[Options]\r\nAccountingScript =  v \t\r\n[Other]\r\nk\r\n";
    TestFiles::write(path, contents);
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QVERIFY(INI_Files::WriteIniValue(path, "options", "accountingscript", "v").ok());
    QVERIFY(INI_Files::WriteIniValue(path, "Other", "k", "").ok());
    QCOMPARE(TestFiles::read(path), contents);
    QCOMPARE(QFileInfo(path).lastModified(), old);

    // A file that cannot be written fails every write, even one that would change nothing.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("read-only"), qPrintable(result.error));
}

// What stands in a write's way; each is set up in one switch.
enum class Obstacle {
    EmptyPath,
    MissingFolder,
    PathIsFolder,
    NoWriteBits,
    ReadOnlyMount,
    Fifo,
    Device
};

void TestIniWriter::failuresLeaveFileAsItWas_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty path") << Obstacle::EmptyPath << "no path";
    QTest::newRow("missing folder") << Obstacle::MissingFolder << "does not exist";
    QTest::newRow("path is a folder") << Obstacle::PathIsFolder << "folder";
    QTest::newRow("no write bits") << Obstacle::NoWriteBits << "read-only";
    QTest::newRow("read-only file system (root: a read-only mount)")
        << Obstacle::ReadOnlyMount << "read-only";
    QTest::newRow("fifo") << Obstacle::Fifo << "not an ordinary file";
    QTest::newRow("device") << Obstacle::Device << "not an ordinary file";
}

void TestIniWriter::failuresLeaveFileAsItWas()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString folder = dir.filePath("zentaro");
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + "/Zentaro.ini";
    const QByteArray contents = "[ODBC]\r\nUserDBDatasource=zen\r\n";
    TestFiles::write(path, contents);
#ifndef Q_OS_WIN
    std::optional<TestFiles::ScopedMount> mount;
#endif

    switch (obstacle) {
    case Obstacle::EmptyPath:
        path.clear();
        break;
    case Obstacle::MissingFolder:
        path = folder + "/gone/Zentaro.ini";
        break;
    case Obstacle::PathIsFolder:
        path = folder;
        break;
    case Obstacle::NoWriteBits:
        QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        break;
#ifdef Q_OS_WIN
    case Obstacle::ReadOnlyMount:
    case Obstacle::Fifo:
        QSKIP("mounts and FIFOs are POSIX; Windows devices have rows of their own");
    case Obstacle::Device:
        path = "NUL";
        break;
#else
    case Obstacle::ReadOnlyMount:
        if (!TestFiles::isRoot())
            QSKIP("a read-only mount needs root");
        mount.emplace(TestFiles::ScopedMount::readOnlyBind(folder));
        QVERIFY(mount->ok());
        break;
    case Obstacle::Fifo:
        path = folder + "/fifo";
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Obstacle::Device:
        path = "/dev/null";
        break;
#endif
    }
    const QStringList before = TestFiles::entries(folder);

    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    if (!path.isEmpty())
        QVERIFY2(result.error.contains(path), qPrintable(result.error));
    QCOMPARE(TestFiles::read(folder + "/Zentaro.ini"), contents);
    QCOMPARE(TestFiles::entries(folder), before);
}

#ifndef Q_OS_WIN
void TestIniWriter::fullDisk()
{
    QTemporaryDir dir;
    TestFiles::ScopedMount disk = TestFiles::ScopedMount::tinyTmpfs(dir.path(), 64);
    if (!disk.ok())
        QSKIP("a full disk needs root to mount a tiny tmpfs");
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray contents = "[ODBC]\r\n" + QByteArray(20000, 'x') + "\r\n";
    TestFiles::write(path, contents);
    TestFiles::fillUp(dir.path());

    const WriteResult result
        = INI_Files::WriteIniValue(path, "Options", "AccountingScript", QByteArray(200, 'v'));
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("disk is full") && result.error.contains(path),
        qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), contents);
    QCOMPARE(TestFiles::entries(dir.path()), (QStringList {"Zentaro.ini", "filler"}));
}

void TestIniWriter::keepsModeOwnerAndLinks()
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real/Zentaro.ini");
    QVERIFY(QDir().mkpath(dir.filePath("real")));
    TestFiles::write(real, "[Options]\r\nAccountingScript=old\r\n");
    QVERIFY(QFile::setPermissions(
        real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const bool giveAway = TestFiles::isRoot();
    if (giveAway)
        QCOMPARE(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
    // A chain: relative link to an absolute link to the file.
    QVERIFY(QFile::link(real, dir.filePath("abs.ini")));
    QCOMPARE(::symlink("abs.ini", QFile::encodeName(dir.filePath("Zentaro.ini")).constData()), 0);

    const QString path = dir.filePath("Zentaro.ini");
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new");
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY(QFileInfo(path).isSymLink());
    QVERIFY(QFileInfo(dir.filePath("abs.ini")).isSymLink());
    QCOMPARE(TestFiles::read(real), QByteArray("[Options]\r\nAccountingScript=new\r\n"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    if (giveAway) {
        QCOMPARE(int(st.st_uid), 65534);
        QCOMPARE(int(st.st_gid), 65534);
    }
    QCOMPARE(TestFiles::entries(dir.filePath("real")), QStringList {"Zentaro.ini"});
}

void TestIniWriter::danglingLinkCreatesTarget()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    QVERIFY(QFile::link(dir.filePath("target.ini"), path));
    QVERIFY(INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v").ok());
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(TestFiles::read(dir.filePath("target.ini")),
        QByteArray("[Options]\r\nAccountingScript=v\r\n"));
}

void TestIniWriter::readOnlyFolderRewritesInPlace()
{
    // A folder that refuses new files, with a writable file in it: the file
    // is rewritten where it is. chattr +i stops even root from adding files.
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/Zentaro.ini";
    TestFiles::write(path, "[Options]\r\nAccountingScript=a much longer old value\r\n");
    bool locked = false;
    if (TestFiles::isRoot()) {
        locked = QProcess::execute("chattr", {"+i", folder}) == 0;
    } else {
        locked = QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    if (!locked)
        QSKIP("this file system cannot lock a folder");
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    if (TestFiles::isRoot())
        QProcess::execute("chattr", {"-i", folder});
    else
        QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), QByteArray("[Options]\r\nAccountingScript=v\r\n"));
    QCOMPARE(TestFiles::entries(folder), QStringList {"Zentaro.ini"});
}
#endif

QTEST_GUILESS_MAIN(TestIniWriter)
#include "tst_iniwriter.moc"
