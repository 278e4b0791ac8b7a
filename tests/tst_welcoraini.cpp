// The welcora-ini command: the reader and writer for scripts, with honest
// exit codes.

#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestWelcoraIni : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();

private:
    static QString tool() { return QCoreApplication::applicationDirPath() + "/welcora-ini"; }
};

void TestWelcoraIni::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("errContains");
    QTest::addColumn<QByteArray>("fileAfter");

    const QByteArray file = "[ODBC]\r\nUserDBLoginUser = sa \r\n";
    QTest::newRow("get") << QStringList {"get", "@", "odbc", "userdbloginuser"} << 0
                         << QByteArray("sa\n") << QString() << file;
    QTest::newRow("get missing prints an empty line") << QStringList {"get", "@", "ODBC", "nothing"}
                                                      << 0 << QByteArray("\n") << QString() << file;
    QTest::newRow("get from a missing file")
        << QStringList {"get", "/nonexistent/Zentaro.ini", "ODBC", "x"} << 0 << QByteArray("\n")
        << QString() << file;
    QTest::newRow("set") << QStringList {"set", "@", "Options", "AccountingScript",
        "/a/kovrapost  $type"}
                         << 0 << QByteArray() << QString()
                         << file + "[Options]\r\nAccountingScript=/a/kovrapost  $type\r\n";
    QTest::newRow("set fails with a reason")
        << QStringList {"set", "@", "Options", "AccountingScript", "a\nb"} << 1 << QByteArray()
        << "line break" << file;
    QTest::newRow("set into a missing folder")
        << QStringList {"set", "/nonexistent/Zentaro.ini", "Options", "k", "v"} << 1 << QByteArray()
        << "does not exist" << file;
    QTest::newRow("no command") << QStringList {} << 2 << QByteArray() << "usage" << file;
    QTest::newRow("unknown command")
        << QStringList {"del", "@", "a", "b"} << 2 << QByteArray() << "usage" << file;
    QTest::newRow("too few arguments")
        << QStringList {"set", "@", "a", "b"} << 2 << QByteArray() << "usage" << file;
}

void TestWelcoraIni::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, errContains);
    QFETCH(QByteArray, fileAfter);

    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, "[ODBC]\r\nUserDBLoginUser = sa \r\n");
    arguments.replaceInStrings("@", path);

    QProcess process;
    process.start(tool(), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
#ifdef Q_OS_WIN
    out.replace("\n", "\r\n"); // the console's text mode
#endif
    QCOMPARE(process.readAllStandardOutput(), out);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    if (errContains.isEmpty())
        QCOMPARE(err, QString());
    else
        QVERIFY2(err.contains(errContains), qPrintable(err));
    QCOMPARE(TestFiles::read(path), fileAfter);
}

QTEST_GUILESS_MAIN(TestWelcoraIni)
#include "tst_welcoraini.moc"
