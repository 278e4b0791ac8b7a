// All or nothing, under fire: writers killed at random moments, readers in a
// tight loop while values change, writers racing each other, and the litter
// a killed writer leaves behind. Loops are bounded in count and time.

#include "FolderSettingsStore.h"
#include "INI_Files.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLeavesOldOrNewFile();
    void killedInPlaceWriterLeavesABackup();
    void readersNeverSeeHalfAnIniFile();
    void readersNeverSeeHalfAValue();
    void racingWritersLoseNothing();
    void racingStoreWritersKeepWholeValues();
    void leftoversNeverGetInTheWay();

private:
    static QString tool() { return QCoreApplication::applicationDirPath() + "/welcora-ini"; }
    static QByteArray bigIni(int kilobytes)
    {
        QByteArray text = "; large Zentaro.ini\r\n[ODBC]\r\nUserDBDatasource=zen\r\n";
        for (int section = 0; text.size() < kilobytes * 1024; ++section) {
            text += "[Pool" + QByteArray::number(section) + "]\r\n";
            for (int key = 0; key < 8; ++key)
                text += "Address" + QByteArray::number(key) + "=10.0."
                    + QByteArray::number(section % 250) + "." + QByteArray::number(key) + "\r\n";
        }
        return text + "[Options]\r\nAccountingScript=start\r\n";
    }
    static QByteArray withScript(const QByteArray &contents, const QByteArray &value)
    {
        return INI_Files::withValue(contents, "Options", "AccountingScript", value).contents;
    }
};

void TestCrashSafety::killedWriterLeavesOldOrNewFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray original = bigIni(4096);
    const QByteArray a(200, 'a');
    const QByteArray b(100, 'b');
    const QByteArray versionA = withScript(original, a);
    const QByteArray versionB = withScript(original, b);
    TestFiles::write(path, versionA);

    // How long one whole write takes, to spread the kills across it.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(QProcess::execute(tool(), {"set", path, "Options", "AccountingScript", b}), 0);
    const qint64 oneWriteUs = qMax<qint64>(clock.nsecsElapsed() / 1000, 1000);
    QCOMPARE(TestFiles::read(path), versionB);

    QRandomGenerator random(20261210);
    int killedMidway = 0;
    for (int round = 0; round < 200; ++round) {
        const QByteArray next = round % 2 ? b : a;
        QProcess writer;
        writer.start(tool(), {"set", path, "Options", "AccountingScript", next});
        QVERIFY(writer.waitForStarted());
        QThread::usleep(random.bounded(oneWriteUs * 12 / 10));
        writer.kill();
        QVERIFY(writer.waitForFinished(30000));
        if (writer.exitStatus() == QProcess::CrashExit)
            ++killedMidway;
        const QByteArray now = TestFiles::read(path);
        QVERIFY2(now == versionA || now == versionB, qPrintable(QString("round %1").arg(round)));
        QVERIFY(INI_Files::ReadIniValue(path, "Options", "AccountingScript") == a
            || INI_Files::ReadIniValue(path, "Options", "AccountingScript") == b);
    }
    qInfo("%d of 200 writers were killed before they finished", killedMidway);
    QVERIFY(killedMidway > 20);
    // Unnamed until the rename: killed writers leave nothing beside the file
    // (but in the instant between naming and renaming).
    const int leftovers = int(TestFiles::entries(dir.path()).size()) - 1;
    qInfo("%d temporary files were left beside the file", leftovers);
    QVERIFY(leftovers <= 2);

    // The next write works, and clears away whatever was left.
    QCOMPARE(QProcess::execute(tool(), {"set", path, "Options", "AccountingScript", "final"}), 0);
    QCOMPARE(TestFiles::read(path), withScript(original, "final"));
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
}

void TestCrashSafety::killedInPlaceWriterLeavesABackup()
{
    // A non-root operator writes a file the server's account owns: it is
    // rewritten in place. Killed at any moment, the file is old or new, or
    // else the backup copy holds the old file whole.
    if (!TestFiles::isRoot())
        QSKIP("playing the server's account and another user needs root");
    QTemporaryDir dir;
    const QString state = dir.filePath("state");
    QVERIFY(QDir().mkpath(dir.filePath("zentaro")));
    QVERIFY(QDir().mkpath(state));
    for (const QString &open : {dir.path(), dir.filePath("zentaro"), state})
        ::chmod(QFile::encodeName(open).constData(), 0777);
    const QString path = dir.filePath("zentaro/Zentaro.ini");
    const QByteArray original = bigIni(4096);
    const QByteArray a(200, 'a');
    const QByteArray b(100, 'b');
    TestFiles::write(path, withScript(original, a));
    ::chmod(QFile::encodeName(path).constData(), 0666);
    const QStringList environment {"HOME=/nonexistent", "XDG_STATE_HOME=" + state};
    const QString program = TestFiles::copyForNobody(tool(), dir.path());
    auto setAsOperator = [&](const QByteArray &value, QProcess &writer) {
        writer.start("setpriv",
            QStringList {"--reuid=65534", "--regid=65534", "--clear-groups", "--", "env"}
                + environment
                + QStringList {program, "set", path, "Options", "AccountingScript", value});
    };

    QElapsedTimer clock;
    clock.start();
    {
        QProcess writer;
        setAsOperator(b, writer);
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitCode(), 0);
    }
    const qint64 oneWriteUs = qMax<qint64>(clock.nsecsElapsed() / 1000, 1000);
    QCOMPARE(TestFiles::read(path), withScript(original, b));
    QCOMPARE(QFileInfo(path).ownerId(), 0u);

    QRandomGenerator random(20261211);
    int recovered = 0;
    QByteArray before = withScript(original, b);
    for (int round = 0; round < 60; ++round) {
        const QByteArray next = round % 2 ? b : a;
        QProcess writer;
        setAsOperator(next, writer);
        QVERIFY(writer.waitForStarted());
        QThread::usleep(random.bounded(oneWriteUs * 12 / 10));
        writer.kill();
        QVERIFY(writer.waitForFinished(30000));
        const QByteArray now = TestFiles::read(path);
        const QStringList backups = TestFiles::entries(state + "/Welcora/backups");
        if (now != withScript(original, a) && now != withScript(original, b)) {
            // Cut mid-way: the copy holds the file as it was, whole.
            QCOMPARE(backups.size(), 1);
            QCOMPARE(TestFiles::read(state + "/Welcora/backups/" + backups.first()), before);
        }
        if (!backups.isEmpty()) {
            // As the operator would: put the copy back, then delete it.
            const QString copy = state + "/Welcora/backups/" + backups.first();
            TestFiles::write(path, TestFiles::read(copy));
            QFile::remove(copy);
            ++recovered;
        }
        before = TestFiles::read(path);
        QCOMPARE(QFileInfo(path).ownerId(), 0u);
    }
    qInfo("%d of 60 killed writers left a backup copy to recover from", recovered);
}

void TestCrashSafety::readersNeverSeeHalfAnIniFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray original = bigIni(256) + "[Tail]\r\nLast=1\r\n";
    const QByteArray versionA = withScript(original, "/opt/a/kovrapost  $type $user $nas");
    const QByteArray versionB = withScript(original, "/opt/b/kovrapost  $type $user $nas");
    TestFiles::write(path, versionA);

    QProcess writers;
    writers.start("bash",
        {"-c",
            QString("for i in $(seq 500); do "
                    "\"$0\" set \"$1\" Options AccountingScript '/opt/b/kovrapost  $type $user "
                    "$nas' || exit 1; "
                    "\"$0\" set \"$1\" Options AccountingScript '/opt/a/kovrapost  $type $user "
                    "$nas' || exit 1; "
                    "done"),
            tool(), path});
    QVERIFY(writers.waitForStarted());
    int reads = 0;
    while (!writers.waitForFinished(0)) {
        const QByteArray seen = TestFiles::read(path);
        QVERIFY2(seen == versionA || seen == versionB,
            qPrintable(QString("read %1: %2 bytes").arg(reads).arg(seen.size())));
        ++reads;
    }
    QCOMPARE(writers.exitCode(), 0);
    qInfo("%d whole reads during 1000 writes", reads);
    QVERIFY(reads > 0);
}

void TestCrashSafety::readersNeverSeeHalfAValue()
{
    QTemporaryDir dir;
    FolderSettingsStore store(dir.path());
    const QString a = QString(300000, QLatin1Char('a')) + "\r\n";
    const QString b = QString(100000, QChar(0x0628)); // two bytes each in UTF-8
    QVERIFY(store.WriteSetting(Store::Message, a).ok());
    const QByteArray file
        = QFile::encodeName(store.pathOf(Store::application(), "setting", "message"));

    std::atomic<bool> done = false;
    std::atomic<int> failures = 0;
    std::thread writer([&] {
        for (int i = 0; i < 1000; ++i) {
            if (!store.WriteSetting(Store::Message, i % 2 ? a : b).ok())
                ++failures;
        }
        done = true;
    });
    int reads = 0;
    int torn = 0;
    const QByteArray bytesA = a.toUtf8();
    const QByteArray bytesB = b.toUtf8();
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (!done) {
        // The way the sender reads: open the file, read it whole.
        const int fd = ::open(file.constData(), O_RDONLY);
        if (fd < 0) {
            ++torn;
            continue;
        }
        qsizetype total = 0;
        for (ssize_t got;
             (got = ::read(fd, buffer.data() + total, size_t(buffer.size() - total))) > 0;)
            total += got;
        ::close(fd);
        const QByteArray seen = QByteArray::fromRawData(buffer.constData(), total);
        if (seen != bytesA && seen != bytesB)
            ++torn;
        ++reads;
    }
    writer.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(torn, 0);
    qInfo("%d whole reads during 1000 writes", reads);
}

void TestCrashSafety::racingWritersLoseNothing()
{
    // Two programs saving into the same Zentaro.ini at the same time, each
    // its own key, a hundred times: neither undoes the other.
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, bigIni(1024));
    auto loop = [&](const char *key) {
        auto *process = new QProcess(this);
        process->start("bash",
            {"-c",
                QString("for i in $(seq 100); do \"$0\" set \"$1\" Options %1 \"value $i\" || exit "
                        "1; done")
                    .arg(key),
                tool(), path});
        return process;
    };
    QProcess *first = loop("FirstKey");
    QProcess *second = loop("SecondKey");
    QVERIFY(first->waitForFinished(120000) && second->waitForFinished(120000));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "FirstKey"), QByteArray("value 100"));
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "SecondKey"), QByteArray("value 100"));
    QCOMPARE(INI_Files::ReadIniValue(path, "ODBC", "UserDBDatasource"), QByteArray("zen"));
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
}

void TestCrashSafety::racingStoreWritersKeepWholeValues()
{
    QTemporaryDir dir;
    FolderSettingsStore one(dir.path());
    FolderSettingsStore two(dir.path());
    const QString a = QString(50000, QLatin1Char('a'));
    const QString b = QString(70000, QLatin1Char('b'));
    std::atomic<int> failures = 0;
    auto save = [&](FolderSettingsStore &store, const QString &value) {
        for (int i = 0; i < 300; ++i) {
            for (const char *key : {"UserDBDatasource", "UserDBLoginUser", "UserDBLoginPasswd"}) {
                if (!store.WriteSetting("Welcora", "ODBC", key, value).ok())
                    ++failures;
            }
        }
    };
    std::thread first([&] { save(one, a); });
    std::thread second([&] { save(two, b); });
    first.join();
    second.join();
    QCOMPARE(failures.load(), 0);
    for (const char *key : {"UserDBDatasource", "UserDBLoginUser", "UserDBLoginPasswd"}) {
        const QString value = one.ReadSetting("Welcora", "ODBC", key);
        QVERIFY2(value == a || value == b, key);
    }
    QCOMPARE(TestFiles::entries(dir.filePath("Welcora/ODBC")),
        (QStringList {"UserDBDatasource", "UserDBLoginPasswd", "UserDBLoginUser"}));
}

void TestCrashSafety::leftoversNeverGetInTheWay()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, "[Options]\r\nAccountingScript=old\r\n");
    // What writers killed mid-way leave: half-written temporaries, one of
    // them read-only, one a link to somewhere else.
    TestFiles::write(dir.filePath(".Zentaro.ini.abc123"), "[Options]\r\nAccountingScript=half");
    TestFiles::write(dir.filePath(".Zentaro.ini.XXXXXX"), "");
    QFile::setPermissions(dir.filePath(".Zentaro.ini.XXXXXX"), QFileDevice::ReadOwner);
    QVERIFY(QFile::link("/etc/passwd", dir.filePath(".Zentaro.ini.zzzzzz")));
    // Ours, named for the rename when the writer was killed: cleared away.
    TestFiles::write(dir.filePath(".welcora-q1w2e3"), "[Options]\r\nAccountingScript=half");
    QVERIFY(INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new").ok());
    QCOMPARE(TestFiles::read(path), QByteArray("[Options]\r\nAccountingScript=new\r\n"));
    QCOMPARE(TestFiles::entries(dir.path()).size(), 4);
    QVERIFY(!QFile::exists(dir.filePath(".welcora-q1w2e3")));

    FolderSettingsStore store(dir.filePath("config"));
    QVERIFY(store.WriteSetting(Store::Message, "first").ok());
    TestFiles::write(dir.filePath("config/Welcora/setting/.message.q1w2e3"), "half");
    TestFiles::write(dir.filePath("config/Welcora/setting/.welcora-a1b2c3"), "half");
    QCOMPARE(store.ReadSetting(Store::Message), QString("first"));
    QVERIFY(store.WriteSetting(Store::Message, "second").ok());
    QCOMPARE(store.ReadSetting(Store::Message), QString("second"));
    QVERIFY(!QFile::exists(dir.filePath("config/Welcora/setting/.welcora-a1b2c3")));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
