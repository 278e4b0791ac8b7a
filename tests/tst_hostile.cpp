// Paths and files that are not what an INI file should be: special files,
// huge and binary files, absurd lengths and bytes that are not UTF-8. Every
// command finishes, answers plainly and writes nothing it should not.

#include "INI_Files.h"
#include "PasswordBox.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// Things that are not ordinary files; each is made in one switch.
enum class Special { Fifo, Socket, Folder, DevZero, DevUrandom };

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void specialFiles_data();
    void specialFiles();
    void hugeFile();
    void binaryFile();
    void thousandsOfDuplicateSections();
    void longPathsAndNames();
    void pathThatIsNotUtf8();

private:
    QString makeSpecial(Special special);
    QLineEdit *box(const char *name) { return m_fixture->find<QLineEdit>(name); }
    std::unique_ptr<WindowFixture> m_fixture;
    int m_socket = -1;
};

void TestHostile::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->open();
}

void TestHostile::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

QString TestHostile::makeSpecial(Special special)
{
    const QString path = m_fixture->dir() + "/Zentaro.ini";
    switch (special) {
    case Special::Fifo:
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        return path;
    case Special::Socket: {
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        struct sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        ::bind(m_socket, reinterpret_cast<struct sockaddr *>(&address), sizeof address);
        ::listen(m_socket, 1);
        return path;
    }
    case Special::Folder:
        QDir().mkdir(path);
        return path;
    case Special::DevZero:
        return "/dev/zero";
    case Special::DevUrandom:
        return "/dev/urandom";
    }
    return {};
}

void TestHostile::specialFiles_data()
{
    QTest::addColumn<Special>("special");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fifo with no writer") << Special::Fifo << "not an ordinary file";
    QTest::newRow("socket") << Special::Socket << "not an ordinary file";
    QTest::newRow("folder") << Special::Folder << "folder";
    QTest::newRow("/dev/zero") << Special::DevZero << "not an ordinary file";
    QTest::newRow("/dev/urandom") << Special::DevUrandom << "not an ordinary file";
}

void TestHostile::specialFiles()
{
    QFETCH(Special, special);
    QFETCH(QString, reason);
    const QString path = makeSpecial(special);
    struct stat before;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    box("IniFilePath")->setText(path);
    for (const char *name : {"Text6", "Text7", "Text8"})
        box(name)->setText("old");

    // Discover returns at once with empty boxes and says why.
    const ModalBox discovered = readModal([&] { m_fixture->click("update"); });
    QVERIFY2(discovered.text.contains(reason), qPrintable(discovered.text));
    for (const char *name : {"Text6", "Text7", "Text8"})
        QCOMPARE(box(name)->text(), QString());

    // Save refuses, says why, and leaves the thing as it was.
    const ModalBox saved = readModal([&] { m_fixture->click("save"); });
    QVERIFY(saved.shown);
    QVERIFY2(saved.text.contains(path) && saved.text.contains(reason), qPrintable(saved.text));
    struct stat after;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(TestFiles::entries(m_fixture->dir()).filter("Zentaro").size(),
        path.startsWith("/dev/") ? 0 : 1);
}

void TestHostile::hugeFile()
{
    // Larger than any INI file can be: refused without being read.
    const QString path = m_fixture->dir() + "/Zentaro.ini";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ODBC]\r\nUserDBDatasource=zen\r\n");
        QVERIFY(file.resize(qint64(300) * 1024 * 1024)); // sparse: costs no disk
    }
    box("IniFilePath")->setText(path);
    QVERIFY(readModal([&] { m_fixture->click("update"); }).text.contains("larger than 256 MB"));
    QCOMPARE(box("Text6")->text(), QString());
    const ModalBox saved = readModal([&] { m_fixture->click("save"); });
    QVERIFY(saved.shown);
    QVERIFY2(saved.text.contains("larger than 256 MB"), qPrintable(saved.text));
    QCOMPARE(QFileInfo(path).size(), qint64(300) * 1024 * 1024);
}

void TestHostile::binaryFile()
{
    const QString path = m_fixture->dir() + "/Zentaro.ini";
    QByteArray noise(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(1210);
    for (char &c : noise)
        c = char(random.bounded(256));
    TestFiles::write(path, noise);
    box("IniFilePath")->setText(path);
    readModal([&] { m_fixture->click("update"); }); // whatever it finds, it finishes
    const ModalBox saved = readModal([&] { m_fixture->click("save"); });
    QVERIFY2(!saved.shown, qPrintable(saved.text));
    const QByteArray after = TestFiles::read(path);
    QVERIFY(after.startsWith(noise));
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "AccountingScript"),
        QFile::encodeName(m_fixture->programFolder()) + "/kovrapost  $type $user $nas");
}

void TestHostile::thousandsOfDuplicateSections()
{
    QByteArray contents = "[ODBC]\r\nUserDBLoginUser=first\r\n";
    for (int i = 0; i < 5000; ++i)
        contents += "[odbc]\r\nUserDBLoginUser=later" + QByteArray::number(i)
            + "\r\nUserDBDatasource=x\r\n[]\r\n\r\n";
    const QString path = m_fixture->dir() + "/Zentaro.ini";
    TestFiles::write(path, contents);
    box("IniFilePath")->setText(path);
    QVERIFY(!readModal([&] { m_fixture->click("update"); }).shown);
    QCOMPARE(box("Text7")->text(), QString("first"));
    QCOMPARE(box("Text6")->text(), QString()); // only in later blocks
    QVERIFY(INI_Files::WriteIniValue(path, "odbc", "UserDBDatasource", "new").ok());
    QCOMPARE(TestFiles::read(path),
        QByteArray("[ODBC]\r\nUserDBLoginUser=first\r\nUserDBDatasource=new\r\n")
            + contents.mid(31));
}

void TestHostile::longPathsAndNames()
{
    // A name at the file system's limit works; a path past PATH_MAX is refused plainly.
    const QString longName = m_fixture->dir() + "/" + QString(255 - 4, 'z') + ".ini";
    QVERIFY(INI_Files::WriteIniValue(longName, "Options", "AccountingScript", "v").ok());
    QCOMPARE(INI_Files::ReadIniValue(longName, "Options", "AccountingScript"), QByteArray("v"));

    QString tooLong = m_fixture->dir();
    while (tooLong.size() < 5000)
        tooLong += "/" + QString(200, 'd');
    tooLong += "/Zentaro.ini";
    QCOMPARE(INI_Files::ReadIniValue(tooLong, "Options", "AccountingScript"), QByteArray());
    const WriteResult result
        = INI_Files::WriteIniValue(tooLong, "Options", "AccountingScript", "v");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.endsWith("the path is too long."), qPrintable(result.error.right(80)));

    // Long section, key and value names.
    const QString path = m_fixture->dir() + "/names.ini";
    const QByteArray section(10000, 's');
    const QByteArray key(10000, 'k');
    const WriteResult tooLongValue
        = INI_Files::WriteIniValue(path, section, key, QByteArray(100000, 'v'));
    QVERIFY2(tooLongValue.error.contains("reads at most 254"), qPrintable(tooLongValue.error));
    QVERIFY(INI_Files::WriteIniValue(path, section, key, QByteArray(254, 'v')).ok());
    QCOMPARE(INI_Files::ReadIniValue(path, section, key), QByteArray(254, 'v'));

    // The store refuses a name longer than a file name can be, with a reason.
    const WriteResult stored
        = m_fixture->store().WriteSetting("Welcora", "setting", QString(300, 'k'), "v");
    QVERIFY(!stored.ok());
    QVERIFY2(stored.error.contains("too long"), qPrintable(stored.error));
}

void TestHostile::pathThatIsNotUtf8()
{
    const QByteArray folder = QFile::encodeName(m_fixture->dir());
    const QByteArray path = folder + "/Zentaro-\xff\xfe.ini";
    const QString tool = QCoreApplication::applicationDirPath() + "/welcora-ini";
    // Through the command line, where the bytes arrive as they are.
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(QFile::encodeName(tool).constData(), "welcora-ini", "set", path.constData(),
            "Options", "AccountingScript", "v", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st;
    QCOMPARE(::stat(path.constData(), &st), 0);
    QCOMPARE(INI_Files::ReadIniValue(FilePath::fromNative(path), "Options", "AccountingScript"),
        QByteArray("v"));
    QCOMPARE(::unlink(path.constData()), 0); // QTemporaryDir cannot name it
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
