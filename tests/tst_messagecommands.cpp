// Load, Test, Reload, Save and Exit, driven through the window's own buttons
// and menu items.

#include "DefaultTemplate.h"
#include "PasswordBox.h"
#include "StoreEntries.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include "PlaceholderHighlighter.h"

#ifndef Q_OS_WIN
#include "FolderSettingsStore.h"
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

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
#ifndef Q_OS_WIN // a file in the way of the folder store
    void failedSaveIsShown_data();
    void failedSaveIsShown();
#endif
    void exitSavesNothing_data();
    void exitSavesNothing();
    void storedTemplateComesBackExactly_data();
    void storedTemplateComesBackExactly();
    void testBoxFitsTheScreen_data();
    void testBoxFitsTheScreen();
#ifndef Q_OS_WIN // files of the folder store
    void unusableStoredValuesAreNotLoaded_data();
    void unusableStoredValuesAreNotLoaded();
#endif
    void placeholdersAreMarked_data();
    void placeholdersAreMarked();

private:
    QPlainTextEdit *message()
    {
        return m_fixture->find<QPlainTextEdit>("message");
    }
    QString storedTemplate()
    {
        return m_fixture->store().ReadSetting(Store::Message);
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
    SettingsStore &store = m_fixture->store();
    const QString arabic = QStringLiteral("\u0645\u0631\u062D\u0628\u0627");
    QVERIFY(store.WriteSetting(Store::Message, "Hello %username%\r\n" + arabic + "\r\n").ok());
    QVERIFY(store.WriteSetting(Store::IniFilePath, "/srv/zentaro/Zentaro.ini").ok());
    QVERIFY(store.WriteSetting(Store::DataSource, "ZentaroDB").ok());
    QVERIFY(store.WriteSetting(Store::LoginUser, "sa").ok());
    QVERIFY(store.WriteSetting(Store::LoginPassword, "p@ss").ok());
    QVERIFY(store.WriteSetting(Store::IspName, "Example Net").ok());
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
    QVERIFY(m_fixture->store().WriteSetting(Store::Message, " ").ok());
    m_fixture->open();
    QCOMPARE(message()->toPlainText(), QString(" "));
}

void TestMessageCommands::testShowsTemplateAsItStands_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("default template") << QString() << defaultTemplate();
    QTest::newRow("placeholders and lines")
        << "Dear %username%\r\nIP %IP%\r\n%TimeInit% / %timeleft%"
        << "Dear %username%\r\nIP %IP%\r\n%TimeInit% / %timeleft%";
    QTest::newRow("markup is text") << "<b>Hi</b> &amp;"
                                    << "<b>Hi</b> &amp;";
}

void TestMessageCommands::testShowsTemplateAsItStands()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    if (!stored.isEmpty())
        QVERIFY(m_fixture->store().WriteSetting(Store::Message, stored).ok());
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
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message),
        QString("Dear %username%\r\n\r\n  your IP is %IP%"));
    // Only the template is saved.
    for (const StoreEntry &entry : Store::All) {
        if (entry.key != Store::Message.key)
            QCOMPARE(m_fixture->store().ReadSetting(entry), QString());
    }
}

void TestMessageCommands::emptiedTemplate()
{
    // An empty stored template counts as none at start-up, but Reload shows it.
    m_fixture->open();
    typeTemplate("");
    QCOMPARE(message()->toPlainText(), QString());
    m_fixture->click("savebtn");
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message), QString());
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
        QVERIFY(m_fixture->store().WriteSetting(Store::Message, stored).ok());
    m_fixture->run("reloadbtn", "re", useMenu);
    QCOMPARE(message()->toPlainText(), shown);
}

#ifndef Q_OS_WIN
void TestMessageCommands::failedSaveIsShown_data()
{
    saveButtonAndMenuRows();
}

void TestMessageCommands::failedSaveIsShown()
{
    QFETCH(bool, useMenu);
    QVERIFY(m_fixture->store().WriteSetting(Store::LoginUser, "sa").ok());
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
    QCOMPARE(m_fixture->store().ReadSetting(Store::LoginUser), QString("sa"));
}
#endif

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

void TestMessageCommands::storedTemplateComesBackExactly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("no-break space") << QString::fromUtf8("Dear\u00A0%username%\r\nHi");
    QTest::newRow("line separator") << QString::fromUtf8("one\u2028two\r\n");
    QTest::newRow("paragraph separator") << QString::fromUtf8("one\u2029two\r\nthree");
    QTest::newRow("tabs") << "\tIP:\t%IP%\r\n\t\t";
    QTest::newRow("lone CR") << "one\rtwo\r\nthree";
    QTest::newRow("lone LF") << "one\ntwo\r\n";
    QTest::newRow("CR before CR LF") << "one\r\r\ntwo";
    QTest::newRow("ends with a lone CR") << "one\r";
    QTest::newRow("Arabic with bidi marks")
        << QString::fromUtf8("\u202B\u0645\u0631\u062D\u0628\u0627\u200F %username%\u202C\r\n");
    QTest::newRow("outside the BMP") << QString::fromUtf8("Hi \U0001F600 %IP%\r\n");
    QTest::newRow("characters the editor keeps for frames") << QString::fromUtf8("a\uFDD0b\uFDD1c");
    QTest::newRow("all at once") << QString::fromUtf8(
        "\u00A0\r\u2028\n\u2029\t\U0001F600\r\n\u00A0\r\n\r");
}

void TestMessageCommands::storedTemplateComesBackExactly()
{
    // Load, Test and Save give back every character the store holds; edits
    // keep the characters around them, and a line typed with Return ends in
    // CR LF.
    QFETCH(QString, stored);
    QVERIFY(m_fixture->store().WriteSetting(Store::Message, stored).ok());
    m_fixture->open();
    m_fixture->showTab(0);
    QCOMPARE(readModal([&] { m_fixture->click("testbtn"); }).text, stored);
    m_fixture->click("savebtn");
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message), stored);

    message()->setFocus();
    QTest::keyClick(message(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(message(), "X");
    QTest::keyClick(message(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(message(), Qt::Key_Return);
    QTest::keyClicks(message(), QString::fromUtf8("Y\u00A0"));
    m_fixture->click("savebtn");
    const QString edited = "X" + stored + QString::fromUtf8("\r\nY\u00A0");
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message), edited);
    m_fixture->click("reloadbtn");
    m_fixture->click("savebtn");
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message), edited);
}

void TestMessageCommands::testBoxFitsTheScreen_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("scrolls");
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines.append(QString("   Line %1 of a long welcome, %username%").arg(i));
    QTest::newRow("80 lines") << lines.join("\r\n") << true;
    QString large;
    while (large.size() < 200 * 1024)
        large += "   Your assigned IP is : %IP%, time left %timeleft% minutes.\r\n";
    QTest::newRow("200 KB") << large << true;
    QTest::newRow("one long line") << QString(3000, 'w') << true;
    QTest::newRow("a few lines") << "Hi %username%\r\nYour IP is %IP%" << false;
}

void TestMessageCommands::testBoxFitsTheScreen()
{
    QFETCH(QString, stored);
    QFETCH(bool, scrolls);
    QVERIFY(m_fixture->store().WriteSetting(Store::Message, stored).ok());
    m_fixture->open();
    m_fixture->showTab(0);
    const QRect screen = m_fixture->window().screen()->availableGeometry();
    bool inspected = false;
    const ModalBox box = readModal([&] { m_fixture->click("testbtn"); },
        [&](QMessageBox &shown) {
            inspected = true;
            QTRY_VERIFY(shown.isVisible());
            QVERIFY2(screen.contains(shown.frameGeometry()),
                qPrintable(QString("%1x%2 box on a %3x%4 screen")
                               .arg(shown.width())
                               .arg(shown.height())
                               .arg(screen.width())
                               .arg(screen.height())));
            QAbstractButton *ok = shown.button(QMessageBox::Ok);
            QVERIFY(ok->isVisible());
            QVERIFY(shown.rect().contains(QRect(ok->mapTo(&shown, QPoint()), ok->size())));
            auto *area = shown.findChild<QScrollArea *>();
            QVERIFY(area);
            // Lines as they are: the text is as wide as its longest line.
            const auto *label = qobject_cast<QLabel *>(area->widget());
            QVERIFY(label);
            int widest = 0;
            for (const QString &line : stored.split("\r\n"))
                widest = qMax(widest, label->fontMetrics().horizontalAdvance(line));
            QVERIFY2(label->width() >= widest, qPrintable(QString::number(label->width())));
            QCOMPARE(
                area->verticalScrollBar()->isVisible() || area->horizontalScrollBar()->isVisible(),
                scrolls);
        });
    QVERIFY(inspected);
    QCOMPARE(box.text, stored);
}

#ifndef Q_OS_WIN
void TestMessageCommands::unusableStoredValuesAreNotLoaded_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("said");
    QTest::newRow("a 32 MB template")
        << "setting"
        << "message" << QByteArray(32 << 20, 'm') << "Welcome message was not loaded: ";
    QTest::newRow("a password that is not UTF-8") << "ODBC"
                                                  << "UserDBLoginPasswd" << QByteArray("p\xE4ss")
                                                  << "User DB Login PWD was not "
                                                     "loaded: ";
}

void TestMessageCommands::unusableStoredValuesAreNotLoaded()
{
    // The window opens at once whatever the store holds; what it cannot use
    // is not loaded (its box shows what a first start would), and it says so.
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    QVERIFY(m_fixture->store().WriteSetting(Store::IspName, "Example Net").ok());
    QVERIFY(m_fixture->store().WriteSetting("Welcora", section, key, "x").ok());
    const QString file = dynamic_cast<FolderSettingsStore &>(m_fixture->store())
                             .pathOf(Store::application(), section, key);
    TestFiles::write(file, bytes);
    const ModalBox box = readModal([&] { m_fixture->open(); });
    QVERIFY(box.shown);
    QCOMPARE(box.title, QString("Welcora"));
    QVERIFY2(box.text.startsWith(said) && box.text.contains(file), qPrintable(box.text.left(300)));
    QCOMPARE(message()->toPlainText().replace('\n', "\r\n"), defaultTemplate());
    QCOMPARE(m_fixture->find<QLineEdit>("Text8")->text(), QString());
    QCOMPARE(m_fixture->find<QLineEdit>("Text9")->text(), QString("Example Net"));
    QCOMPARE(TestFiles::read(file), bytes); // nothing was changed
}
#endif

void TestMessageCommands::placeholdersAreMarked_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("advice"); // the nearest placeholder for a typo, or none
    QTest::newRow("username") << "Dear %username%,"
                              << "%username%" << QString();
    QTest::newRow("IP") << "IP: %IP%"
                        << "%IP%" << QString();
    QTest::newRow("TimeInit") << "%TimeInit% Mins."
                              << "%TimeInit%" << QString();
    QTest::newRow("timeleft") << "left %timeleft%"
                              << "%timeleft%" << QString();
    QTest::newRow("missing letter") << "Dear %usrname%"
                                    << "%usrname%"
                                    << "%username%";
    QTest::newRow("wrong case") << "left %timeLeft%!"
                                << "%timeLeft%"
                                << "%timeleft%";
    QTest::newRow("lower-case ip") << "IP %ip% and %IP%"
                                   << "%ip%"
                                   << "%IP%";
    QTest::newRow("unknown word") << "%TimeInt%"
                                  << "%TimeInt%"
                                  << "%TimeInit%";
}

void TestMessageCommands::placeholdersAreMarked()
{
    QFETCH(QString, line);
    QFETCH(QString, word);
    QFETCH(QString, advice);
    const QString stored = "first line\r\n" + line + "\r\n";
    QVERIFY(m_fixture->store().WriteSetting(Store::Message, stored).ok());
    m_fixture->open();
    m_fixture->showTab(0);
    const QTextBlock block = message()->document()->findBlockByNumber(1);
    const int start = int(line.indexOf(word));

    // The look of the word, and only of the word.
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    const auto at = std::find_if(formats.begin(), formats.end(),
        [&](const QTextLayout::FormatRange &r) { return r.start == start; });
    QVERIFY(at != formats.end());
    QCOMPARE(at->length, int(word.size()));
    if (advice.isEmpty()) {
        QCOMPARE(at->format.foreground().color(), PlaceholderHighlighter::placeholderColour());
        QCOMPARE(at->format.underlineStyle(), QTextCharFormat::NoUnderline);
    } else {
        QCOMPARE(at->format.underlineStyle(), QTextCharFormat::WaveUnderline);
        QCOMPARE(at->format.underlineColor(), PlaceholderHighlighter::warningColour());
    }

    // Resting the mouse on a typo names the placeholder it is likely meant to be.
    QToolTip::hideText();
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + start + 1);
    const QPoint point = message()->cursorRect(cursor).center();
    QHelpEvent help(QEvent::ToolTip, point, message()->viewport()->mapToGlobal(point));
    QApplication::sendEvent(message()->viewport(), &help);
    if (advice.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains(word) && QToolTip::text().contains(advice),
            qPrintable(QToolTip::text()));
    }
    QToolTip::hideText();

    // Nothing of it reaches the text.
    m_fixture->click("savebtn");
    QCOMPARE(storedTemplate(), stored);
}

QTEST_MAIN(TestMessageCommands)
#include "tst_messagecommands.moc"
