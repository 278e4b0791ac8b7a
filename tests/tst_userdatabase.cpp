// File > Test Connection and the data-source suggestions, through the real
// window, against a real PostgreSQL reached through ODBC (the test run's own,
// support/userdb-server): the answers an operator gets for right and wrong
// values, a login that never answers, Cancel, and the window closed while it
// waits.

#include "PasswordBox.h"
#include "support/SilentServer.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

#include <memory>

class TestUserDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void missingValuesTryNothing_data();
    void missingValuesTryNothing();
    void silentServer_data();
    void silentServer();
    void suggestsDataSources();

private:
    void setText(const char *name, const QString &text) { m_fixture->type(name, text); }
    void fill(const QString &dataSource, const QString &user, const QString &password)
    {
        setText("Text6", dataSource);
        setText("Text7", user);
        setText("Text8", password);
    }
    QAction *testConnection() { return m_fixture->find<QAction>("testconn"); }
    // Test Connection from the File menu, and every box it shows until the
    // attempt is over.
    QList<ModalBox> runTest()
    {
        return readModals([&] {
            m_fixture->trigger("testconn");
            QVERIFY(QTest::qWaitFor([&] { return testConnection()->isEnabled(); }, 60000));
            QTest::qWait(50); // a box shown at the end has been read
        });
    }

    QString m_password; // of the user "acct"
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestUserDatabase::initTestCase()
{
    m_password = qEnvironmentVariable("WELCORA_TEST_USERDB_PASSWORD");
    QVERIFY2(!m_password.isEmpty() && !qEnvironmentVariable("ODBCINI").isEmpty(),
        "run through ctest, which starts the test user database");
}

void TestUserDatabase::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->open();
}

void TestUserDatabase::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
}

void TestUserDatabase::answers_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password"); // "acct's" for the real one
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QStringList>("says");

    QTest::newRow("right values")
        << "ZentaroUsers"
        << "acct"
        << "acct's" << QMessageBox::Information
        << QStringList {"Connected to the data source \"ZentaroUsers\" as the user \"acct\", with "
                        "the password in the \"User DB Login PWD:\" box.",
               "The database: PostgreSQL 15."};
    QTest::newRow("a user and password beyond ASCII, exactly as typed")
        << "ZentaroUsers"
        << "kovrá"
        << "pässwörd €1" << QMessageBox::Information
        << QStringList {"as the user \"kovrá\"", "The database: PostgreSQL"};
    QTest::newRow("wrong password")
        << "ZentaroUsers"
        << "acct"
        << "not it" << QMessageBox::Warning
        << QStringList {"Could not connect to the data source \"ZentaroUsers\" as the user "
                        "\"acct\": the database refused the login.",
               "Check the user and the password.",
               "What the driver said:", "password authentication failed for user \"acct\"",
               "(SQLSTATE 08001)"};
    QTest::newRow("no such user") << "ZentaroUsers"
                                  << "nobody"
                                  << "not-nobodys" << QMessageBox::Warning
                                  << QStringList {
                                         "the database refused the login", "for user \"nobody\""};
    QTest::newRow("empty password the data source asks for")
        << "ZentaroUsers"
        << "acct"
        << "" << QMessageBox::Warning
        << QStringList {"the database refused the login.",
               "The \"User DB Login PWD:\" box is empty, and the data source asks for a "
               "password: type it, then test again.",
               "no password supplied"};
    QTest::newRow("no such data source")
        << "ZentaroElsewhere"
        << "acct"
        << "acct's" << QMessageBox::Warning
        << QStringList {"\"ZentaroElsewhere\" as the user \"acct\": there is no data source of "
                        "that name on this machine.",
               "The data sources here are: ", "ZentaroUsers", "(SQLSTATE IM002)"};
    QTest::newRow("server stopped")
        << "ZentaroStopped"
        << "acct"
        << "acct's" << QMessageBox::Warning
        << QStringList {"the database server could not be reached.",
               "Check that it is running, and where the data source points.", "(SQLSTATE 08001)"};
}

void TestUserDatabase::answers()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QStringList, says);
    if (password == "acct's")
        password = m_password;
    fill(dataSource, user, password);

    const QList<ModalBox> shown = runTest();
    QCOMPARE(shown.size(), 1);
    const ModalBox &box = shown.first();
    QCOMPARE(box.title, QString("Welcora"));
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.buttons, QList<QMessageBox::StandardButton> {QMessageBox::Ok});
    for (const QString &part : says)
        QVERIFY2(box.text.contains(part), qPrintable(box.text));
    if (!password.isEmpty())
        QVERIFY2(!box.text.contains(password), "the box shows the password");
    // The values as they stand in the boxes: nothing is stored by a test.
    QCOMPARE(m_fixture->store().ReadSetting(Store::DataSource), QString());
    QCOMPARE(m_fixture->store().ReadSetting(Store::LoginPassword), QString());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestUserDatabase::missingValuesTryNothing_data()
{
    QTest::addColumn<QByteArray>("passwordInZentaroIni"); // Discover first, when given
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("says");
    const QString typeIt = "type the password in the \"User DB Login PWD:\" box, then test again. "
                           "No connection was tried.";
    QTest::newRow("\"+@\" in the password box") << QByteArray() << "ZentaroSilent"
                                                << "+@" << typeIt;
    QTest::newRow("emptied by Discover, which asked for it") << QByteArray("+@") << "ZentaroSilent"
                                                             << "" << typeIt;
    QTest::newRow("no data source")
        << QByteArray() << ""
        << "x"
        << "The \"User DB Data Source:\" box is empty: type the name of the data source";
}

void TestUserDatabase::missingValuesTryNothing()
{
    QFETCH(QByteArray, passwordInZentaroIni);
    QFETCH(QString, dataSource);
    QFETCH(QString, password);
    QFETCH(QString, says);
    SilentServer server;
    QVERIFY2(server.listening(), qPrintable(server.error()));
    if (!passwordInZentaroIni.isEmpty()) {
        const QString ini = m_fixture->dir() + "/Zentaro.ini";
        TestFiles::write(ini, "[ODBC]\r\nUserDBLoginPasswd=" + passwordInZentaroIni + "\r\n");
        setText("IniFilePath", ini);
        QCOMPARE(
            readModal([&] { m_fixture->click("update"); }).text, QString("Enter Login Password !"));
    }
    fill(dataSource, "acct", password);

    const QList<ModalBox> shown = runTest();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().icon, QMessageBox::Warning);
    QVERIFY2(shown.first().text.contains(says), qPrintable(shown.first().text));
    QTest::qWait(200);
    QVERIFY2(!server.clientWaiting(), "a connection was tried");
}

void TestUserDatabase::silentServer_data()
{
    QTest::addColumn<QString>("operatorDoes");
    QTest::newRow("waits: the time runs out") << "wait";
    QTest::newRow("presses Cancel") << "cancel";
    QTest::newRow("closes the window") << "close";
}

void TestUserDatabase::silentServer()
{
    QFETCH(QString, operatorDoes);
    SilentServer server;
    QVERIFY2(server.listening(), qPrintable(server.error()));
    fill("ZentaroSilent", "acct", "x");

    QList<ModalBox> shown;
    QProgressDialog *connecting = nullptr;
    shown = readModals([&] {
        m_fixture->trigger("testconn");
        // The window carries on: the driver waits on a thread of its own.
        QVERIFY(!testConnection()->isEnabled());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QVERIFY(server.waitForClient(10000));
        // After a second, a way out.
        QTRY_VERIFY_WITH_TIMEOUT(
            (connecting = m_fixture->window().findChild<QProgressDialog *>("connecting"))
                && connecting->isVisible(),
            5000);
        QCOMPARE(connecting->windowTitle(), QString("Welcora"));
        QVERIFY(connecting->labelText().contains(
            "Connecting to the data source \"ZentaroSilent\" as the user \"acct\""));
        if (operatorDoes == "cancel") {
            QTest::mouseClick(connecting->findChild<QPushButton *>(), Qt::LeftButton);
            // At once: the window is the operator's again.
            QVERIFY(testConnection()->isEnabled());
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            QTRY_VERIFY(!m_fixture->window().findChild<QProgressDialog *>("connecting"));
        } else if (operatorDoes == "close") {
            m_fixture.reset();
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        }
        if (operatorDoes == "wait") {
            QVERIFY(QTest::qWaitFor([&] { return testConnection()->isEnabled(); }, 30000));
            QTest::qWait(100); // the answer's box has been read
        } else {
            // The driver gives up at the login timeout, unseen: nothing may come of it.
            QVERIFY(server.waitForHangUp(30000));
            QTest::qWait(1000);
        }
    });
    if (operatorDoes == "wait") {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().icon, QMessageBox::Warning);
        QVERIFY2(
            shown.first().text.contains("the database server did not answer within 10 seconds."),
            qPrintable(shown.first().text));
        QVERIFY2(shown.first().text.contains("timeout expired"), qPrintable(shown.first().text));
    } else {
        QVERIFY2(shown.isEmpty(), qPrintable(shown.value(0).text)); // nothing late
    }
    if (m_fixture) {
        QVERIFY(testConnection()->isEnabled());
        QVERIFY(!m_fixture->window().findChild<QProgressDialog *>("connecting"));
    }
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestUserDatabase::suggestsDataSources()
{
    QLineEdit *box = m_fixture->find<QLineEdit>("Text6");
    QCompleter *completer = box->completer();
    QVERIFY(completer);
    // Nothing is asked of the system before the box is used.
    QCOMPARE(completer->model()->rowCount(), 0);
    box->setFocus();
    QTest::keyClicks(box, "zentaro");
    QTRY_VERIFY(completer->popup()->isVisible());
    QStringList offered;
    for (int row = 0; row < completer->completionCount(); ++row) {
        completer->setCurrentRow(row);
        offered.append(completer->currentCompletion());
    }
    QVERIFY2(offered.contains("ZentaroUsers"), qPrintable(offered.join(", ")));
    QVERIFY2(offered.contains("ZentaroSilent"), qPrintable(offered.join(", ")));
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QVERIFY(offered.contains(box->text()));
    // Still a free-text box.
    box->selectAll();
    QTest::keyClicks(box, "Somewhere Else");
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString("Somewhere Else"));
}

QTEST_MAIN(TestUserDatabase)
#include "tst_userdatabase.moc"
