// The settings store the sender reads: one file per value, exact bytes,
// private permissions, whole writes, and plain errors.

#include "FolderSettingsStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void firstRunReadsEmpty();
    void roundTripExactBytes_data();
    void roundTripExactBytes();
    void namesAreCaseSensitive();
    void privatePermissions_data();
    void privatePermissions();
    void defaultRootFollowsXdg();
    void unsafeNamesRefused_data();
    void unsafeNamesRefused();
    void neverThroughALinkNorAnotherUsersFolder_data();
    void neverThroughALinkNorAnotherUsersFolder();
    void unusableValuesAreNotLoaded_data();
    void unusableValuesAreNotLoaded();
    void failedWriteKeepsOldValue_data();
    void failedWriteKeepsOldValue();

private:
    static int modeOf(const QString &path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    }
};

void TestSettingsStore::firstRunReadsEmpty()
{
    QTemporaryDir dir;
    FolderSettingsStore store(dir.path());
    for (const char *key : {"message", "IniFilePath", "ISPName"})
        QCOMPARE(store.ReadSetting("Welcora", "setting", key), QString());
    QCOMPARE(store.ReadSetting(Store::LoginPassword), QString());
    QCOMPARE(TestFiles::entries(dir.path()), QStringList());
}

void TestSettingsStore::roundTripExactBytes_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("crlf template") << QStringLiteral("\r\n\r\n   Hi\r\n   Dear  %username%\r\n");
    QTest::newRow("arabic") << QStringLiteral(
        "\u0634\u0628\u0643\u0629 \u0627\u0644\u0625\u0646\u062A\u0631\u0646\u062A");
    QTest::newRow("one space") << QStringLiteral(" ");
    QTest::newRow("a leading byte-order mark") << QStringLiteral("\uFEFFHi");
    QTest::newRow("lone cr, lf and nul") << QString::fromUtf8("a\rb\nc\0d", 7);
    QTest::newRow("large") << QString(1 << 20, QLatin1Char('m'));
}

void TestSettingsStore::roundTripExactBytes()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    FolderSettingsStore store(dir.path());
    const WriteResult result = store.WriteSetting(Store::Message, value);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(dir.filePath("Welcora/setting/message")), value.toUtf8());
    QCOMPARE(store.ReadSetting(Store::Message), value);
    QCOMPARE(TestFiles::entries(dir.filePath("Welcora/setting")), QStringList {"message"});
}

void TestSettingsStore::namesAreCaseSensitive()
{
    QTemporaryDir dir;
    FolderSettingsStore store(dir.path());
    QVERIFY(store.WriteSetting(Store::LoginUser, "sa").ok());
    QCOMPARE(store.ReadSetting("Welcora", "odbc", "UserDBLoginUser"), QString());
    QCOMPARE(store.ReadSetting("Welcora", "ODBC", "userdbloginuser"), QString());
    QCOMPARE(TestFiles::read(dir.filePath("Welcora/ODBC/UserDBLoginUser")), QByteArray("sa"));
}

void TestSettingsStore::privatePermissions_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("folderMode"); // what the folders were changed to in between
    QTest::newRow("umask 000, folders opened to all") << 0 << 0777;
    QTest::newRow("umask 022, folders readable") << 022 << 0755;
    QTest::newRow("umask 077, folders closed to their owner") << 077 << 0500;
}

void TestSettingsStore::privatePermissions()
{
    QFETCH(int, umask);
    QFETCH(int, folderMode);
    QTemporaryDir dir;
    const mode_t old = ::umask(mode_t(umask));
    FolderSettingsStore store(dir.filePath("config"));
    const bool written = store.WriteSetting(Store::LoginPassword, "secret").ok();
    // An existing value and folders that lost their protection get it back.
    const QString file = dir.filePath("config/Welcora/ODBC/UserDBLoginPasswd");
    ::chmod(QFile::encodeName(file).constData(), 0644);
    for (const char *folder : {"config/Welcora/ODBC", "config/Welcora"})
        ::chmod(QFile::encodeName(dir.filePath(folder)).constData(), mode_t(folderMode));
    const bool rewritten = store.WriteSetting(Store::LoginPassword, "new").ok();
    ::umask(old);
    QVERIFY(written && rewritten);
    QCOMPARE(modeOf(dir.filePath("config/Welcora")), 0700);
    QCOMPARE(modeOf(dir.filePath("config/Welcora/ODBC")), 0700);
    QCOMPARE(modeOf(file), 0600);
}

void TestSettingsStore::defaultRootFollowsXdg()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    QCOMPARE(FolderSettingsStore::defaultRoot(), dir.path());
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(FolderSettingsStore::defaultRoot(), QDir::homePath() + "/.config");

    // With neither, there is no store: it says so rather than use /Welcora.
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    const QString root = FolderSettingsStore::defaultRoot();
    qputenv("HOME", home);
    QCOMPARE(root, QString());
    FolderSettingsStore nowhere(root);
    const WriteResult result = nowhere.WriteSetting(Store::IspName, "x");
    QVERIFY2(result.error.contains("no configuration folder (neither XDG_CONFIG_HOME nor HOME"),
        qPrintable(result.error));
    QCOMPARE(nowhere.ReadSetting(Store::IspName), QString());
}

void TestSettingsStore::neverThroughALinkNorAnotherUsersFolder_data()
{
    QTest::addColumn<QString>("link"); // made a link to a file or folder elsewhere
    QTest::addColumn<bool>("foreignFolder"); // the section folder given to another user
    QTest::addColumn<QString>("reason");
    QTest::newRow("the value file is a link")
        << "Welcora/ODBC/UserDBLoginPasswd" << false << "symbolic link";
    QTest::newRow("the section folder is a link") << "Welcora/ODBC" << false << "symbolic link";
    QTest::newRow("the application folder is a link") << "Welcora" << false << "symbolic link";
    QTest::newRow("another user's folder (root: chown)")
        << QString() << true << "belongs to another user";
}

void TestSettingsStore::neverThroughALinkNorAnotherUsersFolder()
{
    // Another local user who can put a link into the store must get neither
    // the password nor a way to overwrite a file of ours.
    QFETCH(QString, link);
    QFETCH(bool, foreignFolder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    FolderSettingsStore store(dir.filePath("config"));
    QVERIFY(store.WriteSetting(Store::LoginPassword, "old").ok());
    QVERIFY(QDir().mkpath(dir.filePath("elsewhere/ODBC")));
    TestFiles::write(dir.filePath("elsewhere/victim"), "victim");
    if (!link.isEmpty()) {
        const QString at = dir.filePath("config/" + link);
        QVERIFY(QFileInfo(at).isDir() ? QDir(at).removeRecursively() : QFile::remove(at));
        const QString to = link.endsWith("Passwd") ? "victim"
            : link.endsWith("ODBC")                ? "ODBC"
                                                   : ".";
        QVERIFY(QFile::link(dir.filePath("elsewhere/" + to), at));
    }
    if (foreignFolder) {
        if (!TestFiles::isRoot())
            QSKIP("giving a folder to another user needs root");
        QCOMPARE(::chown(QFile::encodeName(dir.filePath("config/Welcora/ODBC")).constData(), 65534,
                     65534),
            0);
    }
    const WriteResult result = store.WriteSetting(Store::LoginPassword, "secret");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(TestFiles::read(dir.filePath("elsewhere/victim")), QByteArray("victim"));
    QCOMPARE(TestFiles::entries(dir.filePath("elsewhere/ODBC")), QStringList());
    QString problem;
    const QString read = store.readSetting(Store::LoginPassword, problem);
    if (link.endsWith("Passwd")) {
        QCOMPARE(read, QString());
        QVERIFY2(problem.contains("symbolic link"), qPrintable(problem));
    }
}

void TestSettingsStore::unusableValuesAreNotLoaded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("larger than 1 MB") << QByteArray(1024 * 1024 + 1, 'm') << "larger than 1 MB";
    QTest::newRow("not UTF-8") << QByteArray("p\xE4ss") << "not UTF-8 text";
    QTest::newRow("1 MB is loaded") << QByteArray(1024 * 1024, 'm') << QString();
}

void TestSettingsStore::unusableValuesAreNotLoaded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    FolderSettingsStore store(dir.path());
    QVERIFY(store.WriteSetting(Store::Message, "x").ok());
    TestFiles::write(dir.filePath("Welcora/setting/message"), bytes);
    QString said;
    const QString value = store.readSetting(Store::Message, said);
    if (problem.isEmpty()) {
        QCOMPARE(value.toUtf8(), bytes);
        QCOMPARE(said, QString());
    } else {
        QCOMPARE(value, QString());
        QVERIFY2(said.contains(problem) && said.contains(dir.filePath("Welcora/setting/message")),
            qPrintable(said));
    }
}

void TestSettingsStore::unsafeNamesRefused_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty key") << "Welcora"
                               << "setting"
                               << "";
    QTest::newRow("dot") << "Welcora"
                         << "."
                         << "message";
    QTest::newRow("dot dot") << "Welcora"
                             << "setting"
                             << "..";
    QTest::newRow("escaping section") << "Welcora"
                                      << "../../escape"
                                      << "message";
    QTest::newRow("absolute key") << "Welcora"
                                  << "setting"
                                  << "/tmp/escape";
    QTest::newRow("nul") << "Welcora"
                         << "setting" << QString::fromUtf8("a\0b", 3);
    QTest::newRow("empty application") << ""
                                       << "setting"
                                       << "message";
}

void TestSettingsStore::unsafeNamesRefused()
{
    QFETCH(QString, application);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QTemporaryDir dir;
    const QString root = dir.filePath("root");
    FolderSettingsStore store(root);
    const WriteResult result = store.WriteSetting(application, section, key, "value");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("cannot be used as a file name"), qPrintable(result.error));
    QCOMPARE(TestFiles::entries(dir.path()), QStringList());
    QCOMPARE(store.ReadSetting(application, section, key), QString());
}

// What stands in a write's way. Each case is set up in one switch, so a row
// cannot name an obstacle that nothing builds.
enum class Obstacle { FullDisk, ReadOnlyMount, FileInTheWay };

void TestSettingsStore::failedWriteKeepsOldValue_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk (root: a tiny tmpfs)") << Obstacle::FullDisk << "disk is full";
    QTest::newRow("read-only file system (root: a read-only mount)")
        << Obstacle::ReadOnlyMount << "read-only";
    QTest::newRow("folder blocked by a file") << Obstacle::FileInTheWay << "in the way";
}

void TestSettingsStore::failedWriteKeepsOldValue()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::optional<TestFiles::ScopedMount> mount;
    if (obstacle == Obstacle::FullDisk) {
        mount.emplace(TestFiles::ScopedMount::tinyTmpfs(dir.path(), 64));
        if (!mount->ok())
            QSKIP("a full disk needs root to mount a tiny tmpfs");
    }
    FolderSettingsStore store(dir.filePath("config"));
    QVERIFY(store.WriteSetting(Store::Message, "old template").ok());
    QString section = "setting";
    switch (obstacle) {
    case Obstacle::FullDisk:
        TestFiles::fillUp(dir.path());
        break;
    case Obstacle::ReadOnlyMount:
        if (!TestFiles::isRoot())
            QSKIP("a read-only mount needs root");
        mount.emplace(TestFiles::ScopedMount::readOnlyBind(dir.filePath("config")));
        QVERIFY(mount->ok());
        break;
    case Obstacle::FileInTheWay:
        section = "ODBC";
        TestFiles::write(dir.filePath("config/Welcora/ODBC"), "not a folder");
        break;
    }

    const WriteResult result
        = store.WriteSetting("Welcora", section, "message", QString(100000, QLatin1Char('n')));
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QVERIFY2(
        result.error.contains(dir.filePath("config/Welcora/" + section)), qPrintable(result.error));
    QCOMPARE(store.ReadSetting(Store::Message), QString("old template"));
    QCOMPARE(TestFiles::entries(dir.filePath("config/Welcora/setting")), QStringList {"message"});
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
