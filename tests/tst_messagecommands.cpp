// Load, Test, Reload, Save and Exit, driven through the window's own buttons
// and menu items.

#include "DefaultTemplate.h"
#include "PasswordBox.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>

class TestMessageCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRunShowsDefaults();
    void loadFillsEveryBox();
    void oneSpaceIsATemplate();
    void testShowsTemplateAsItStands_data();
    void testShowsTemplateAsItStands();
    void saveWritesCrLf_data();
    void saveWritesCrLf();
    void emptiedTemplate();
    void reloadReplacesUnconditionally_data();
    void reloadReplacesUnconditionally();
    void failedSaveIsShown_data();
    void failedSaveIsShown();
    void exitSavesNothing_data();
    void exitSavesNothing();

private:
    QPlainTextEdit *message() { return m_fixture->find<QPlainTextEdit>("message"); }
    QString storedTemplate()
    {
        return m_fixture->store().ReadSetting("Welcora", "setting", "message");
    }
    void typeTemplate(const QString &text)
    {
        m_fixture->showTab(0);
        message()->selectAll();
        QTest::keyClick(message(), Qt::Key_Delete);
        for (const QString &line : text.split('\n')) {
            if (message()->toPlainText().size() || line != text.split('\n').first())
                QTest::keyClick(message(), Qt::Key_Return);
            QTest::keyClicks(message(), line);
        }
    }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestMessageCommands::init()
{
    m_fixture = std::make_unique<WindowFixture>();
}

void TestMessageCommands::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
}

void TestMessageCommands::firstRunShowsDefaults()
{
    m_fixture->open();
    QCOMPARE(message()->toPlainText().replace('\n', "\r\n"), defaultTemplate());
    QCOMPARE(defaultTemplate().count("\r\n"), 18);
    QVERIFY(defaultTemplate().endsWith(
        "   Please visit our web site : www.welcora.example\r\n\r\n\r\n\r\n" + QString(52, ' ')
        + "Have a good time\r\n"));
    for (const char *box : {"IniFilePath", "Text6", "Text7", "Text8", "Text9"})
        QCOMPARE(m_fixture->find<QLineEdit>(box)->text(), QString());
}

void TestMessageCommands::loadFillsEveryBox()
{
    FolderSettingsStore &store = m_fixture->store();
    const QString arabic = QStringLiteral("\u0645\u0631\u062D\u0628\u0627");
    QVERIFY(
        store
            .WriteSetting("Welcora", "setting", "message", "Hello %username%\r\n" + arabic + "\r\n")
            .ok());
    QVERIFY(
        store.WriteSetting("Welcora", "setting", "IniFilePath", "/srv/zentaro/Zentaro.ini").ok());
    QVERIFY(store.WriteSetting("Welcora", "ODBC", "UserDBDatasource", "ZentaroDB").ok());
    QVERIFY(store.WriteSetting("Welcora", "ODBC", "UserDBLoginUser", "sa").ok());
    QVERIFY(store.WriteSetting("Welcora", "ODBC", "UserDBLoginPasswd", "p@ss").ok());
    QVERIFY(store.WriteSetting("Welcora", "setting", "ISPName", "Example Net").ok());
    m_fixture->open();
    QCOMPARE(message()->toPlainText(), "Hello %username%\n" + arabic + "\n");
    QCOMPARE(
        m_fixture->find<QLineEdit>("IniFilePath")->text(), QString("/srv/zentaro/Zentaro.ini"));
    QCOMPARE(m_fixture->find<QLineEdit>("Text6")->text(), QString("ZentaroDB"));
    QCOMPARE(m_fixture->find<QLineEdit>("Text7")->text(), QString("sa"));
    QCOMPARE(m_fixture->find<QLineEdit>("Text8")->text(), QString("p@ss"));
    QCOMPARE(m_fixture->find<QLineEdit>("Text9")->text(), QString("Example Net"));
}

void TestMessageCommands::oneSpaceIsATemplate()
{
    QVERIFY(m_fixture->store().WriteSetting("Welcora", "setting", "message", " ").ok());
    m_fixture->open();
    QCOMPARE(message()->toPlainText(), QString(" "));
}

void TestMessageCommands::testShowsTemplateAsItStands_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("default template") << QString() << defaultTemplate().replace("\r\n", "\n");
    QTest::newRow("placeholders and lines")
        << "Dear %username%\r\nIP %IP%\r\n%TimeInit% / %timeleft%"
        << "Dear %username%\nIP %IP%\n%TimeInit% / %timeleft%";
    QTest::newRow("markup is text") << "<b>Hi</b> &amp;"
                                    << "<b>Hi</b> &amp;";
}

void TestMessageCommands::testShowsTemplateAsItStands()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    if (!stored.isEmpty())
        QVERIFY(m_fixture->store().WriteSetting("Welcora", "setting", "message", stored).ok());
    m_fixture->open();
    m_fixture->showTab(0);
    const ModalBox box = readModal([&] { m_fixture->click("testbtn"); });
    QVERIFY(box.shown);
    QCOMPARE(box.title, QString("Test Message"));
    QCOMPARE(box.text, shown);
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QList<QMessageBox::StandardButton> {QMessageBox::Ok});
    QCOMPARE(storedTemplate(), stored);
}

// Save Message has a button and a menu item; every test of it runs through both.
static void saveButtonAndMenuRows()
{
    QTest::addColumn<bool>("useMenu");
    QTest::newRow("Save button") << false;
    QTest::newRow("Save Message menu item") << true;
}

void TestMessageCommands::saveWritesCrLf_data()
{
    saveButtonAndMenuRows();
}

void TestMessageCommands::saveWritesCrLf()
{
    QFETCH(bool, useMenu);
    m_fixture->open();
    m_fixture->find<QLineEdit>("Text9")->setText("typed, not saved");
    typeTemplate("Dear %username%\n\n  your IP is %IP%");
    const ModalBox box = readModal([&] { m_fixture->run("savebtn", "svconf", useMenu); });
    QVERIFY(!box.shown); // no confirmation
    QCOMPARE(TestFiles::read(m_fixture->storeFile("setting", "message")),
        QByteArray("Dear %username%\r\n\r\n  your IP is %IP%"));
    // Only the template is saved.
    QCOMPARE(TestFiles::entries(m_fixture->dir() + "/Welcora"), QStringList {"setting"});
    QCOMPARE(TestFiles::entries(m_fixture->dir() + "/Welcora/setting"), QStringList {"message"});
}

void TestMessageCommands::emptiedTemplate()
{
    // An empty stored template counts as none at start-up, but Reload shows it.
    m_fixture->open();
    typeTemplate("");
    QCOMPARE(message()->toPlainText(), QString());
    m_fixture->click("savebtn");
    QCOMPARE(TestFiles::read(m_fixture->storeFile("setting", "message")), QByteArray());
    m_fixture->open();
    QCOMPARE(message()->toPlainText().replace('\n', "\r\n"), defaultTemplate());
    m_fixture->showTab(0);
    m_fixture->click("reloadbtn");
    QCOMPARE(message()->toPlainText(), QString());
}

void TestMessageCommands::reloadReplacesUnconditionally_data()
{
    QTest::addColumn<bool>("useMenu");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("button, stored template") << false << "one\r\ntwo\r\n"
                                             << "one\ntwo\n";
    QTest::newRow("menu, stored template") << true << "one\r\ntwo\r\n"
                                           << "one\ntwo\n";
    QTest::newRow("button, nothing stored") << false << QString() << QString();
    QTest::newRow("menu, nothing stored") << true << QString() << QString();
}

void TestMessageCommands::reloadReplacesUnconditionally()
{
    QFETCH(bool, useMenu);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    m_fixture->open();
    typeTemplate("unsaved edit");
    if (!stored.isEmpty()) // changed behind the window's back
        QVERIFY(m_fixture->store().WriteSetting("Welcora", "setting", "message", stored).ok());
    m_fixture->run("reloadbtn", "re", useMenu);
    QCOMPARE(message()->toPlainText(), shown);
}

void TestMessageCommands::failedSaveIsShown_data()
{
    saveButtonAndMenuRows();
}

void TestMessageCommands::failedSaveIsShown()
{
    QFETCH(bool, useMenu);
    QVERIFY(m_fixture->store().WriteSetting("Welcora", "ODBC", "UserDBLoginUser", "sa").ok());
    // A file where the section's folder should be: no one, root included, can save there.
    TestFiles::write(m_fixture->dir() + "/Welcora/setting", "in the way");
    m_fixture->open();
    typeTemplate("new template");
    const ModalBox box = readModal([&] { m_fixture->run("savebtn", "svconf", useMenu); });
    QVERIFY(box.shown);
    QCOMPARE(box.title, QString("Welcora"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QList<QMessageBox::StandardButton> {QMessageBox::Ok});
    QVERIFY2(
        box.text.contains(m_fixture->dir() + "/Welcora/setting") && box.text.contains("in the way"),
        qPrintable(box.text));
    QCOMPARE(message()->toPlainText(), QString("new template"));
    QCOMPARE(TestFiles::read(m_fixture->dir() + "/Welcora/setting"), QByteArray("in the way"));
    QCOMPARE(m_fixture->store().ReadSetting("Welcora", "ODBC", "UserDBLoginUser"), QString("sa"));
}

void TestMessageCommands::exitSavesNothing_data()
{
    QTest::addColumn<bool>("useMenu");
    QTest::newRow("Exit menu item") << true;
    QTest::newRow("closing the window") << false;
}

void TestMessageCommands::exitSavesNothing()
{
    QFETCH(bool, useMenu);
    m_fixture->open();
    typeTemplate("edited");
    m_fixture->showTab(1);
    QTest::keyClicks(m_fixture->find<QLineEdit>("Text9"), "Example Net");
    QTest::keyClicks(m_fixture->find<QLineEdit>("IniFilePath"), "/srv/Zentaro.ini");
    const ModalBox box = readModal([&] {
        if (useMenu)
            m_fixture->trigger("ext");
        else
            m_fixture->window().close();
    });
    QVERIFY(!box.shown); // nothing is asked
    QVERIFY(!m_fixture->window().isVisible());
    QCOMPARE(TestFiles::entries(m_fixture->dir()), QStringList());
}

QTEST_MAIN(TestMessageCommands)
#include "tst_messagecommands.moc"
