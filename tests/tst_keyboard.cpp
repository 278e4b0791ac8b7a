// The window from the keyboard and through a screen reader: Return on a
// focused button, switching tabs from anywhere, a visible focus mark, and
// every control named as its label names it.

#include "FileDialog.h"
#include "PasswordBox.h"
#include "TabControl.h"
#include "support/WindowTest.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void returnClicksTheFocusedButton_data();
    void returnClicksTheFocusedButton();
    void returnInABoxClicksNothing_data();
    void returnInABoxClicksNothing();
    void tabShortcuts_data();
    void tabShortcuts();
    void focusMarkOnTheTabCaption();
    void accessibleNames_data();
    void accessibleNames();
    void accessibleDescriptions();

private:
    QTabBar *tabBar() { return m_fixture->find<TabControl>("SSTab1")->tabBar(); }
    // Counts the clicks of every button of the window.
    std::vector<std::unique_ptr<QSignalSpy>> spyOnButtons(QStringList &names)
    {
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (QPushButton *button : m_fixture->window().findChildren<QPushButton *>()) {
            names.append(button->objectName());
            spies.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
        }
        return spies;
    }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestKeyboard::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->open();
    QVERIFY(QTest::qWaitForWindowActive(&m_fixture->window()));
    // Browse answers "cancelled" without showing a dialog.
    m_fixture->window().fileDialog()->setChooser(
        [](const QString &, const QString &, const QString &) { return std::nullopt; });
}

void TestKeyboard::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
}

void TestKeyboard::returnClicksTheFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    const int plain = Qt::NoModifier, keypad = Qt::KeypadModifier;
    for (const char *name : {"savebtn", "reloadbtn", "testbtn"})
        QTest::addRow("Return on %s", name) << name << 0 << int(Qt::Key_Return) << plain;
    for (const char *name : {"Brows", "update", "save"})
        QTest::addRow("Return on %s", name) << name << 1 << int(Qt::Key_Return) << plain;
    QTest::newRow("Enter on testbtn") << "testbtn" << 0 << int(Qt::Key_Enter) << keypad;
    QTest::newRow("Enter on save") << "save" << 1 << int(Qt::Key_Enter) << keypad;
}

void TestKeyboard::returnClicksTheFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, tab);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    m_fixture->showTab(tab);
    QStringList names;
    const auto spies = spyOnButtons(names);
    auto *focused = m_fixture->find<QPushButton>(qPrintable(button));
    focused->setFocus();
    // Whatever box the command shows is read and closed.
    readModal([&] { QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers)); });
    for (size_t i = 0; i < spies.size(); ++i)
        QCOMPARE(spies[i]->count(), names[int(i)] == button ? 1 : 0);
}

void TestKeyboard::returnInABoxClicksNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("tab");
    QTest::newRow("template box") << "message" << 0;
    for (const char *name : {"IniFilePath", "Text6", "Text7", "Text8", "Text9"})
        QTest::addRow("%s", name) << name << 1;
}

void TestKeyboard::returnInABoxClicksNothing()
{
    QFETCH(QString, box);
    QFETCH(int, tab);
    m_fixture->showTab(tab);
    QStringList names;
    const auto spies = spyOnButtons(names);
    QWidget *focused = m_fixture->find<QWidget>(qPrintable(box));
    focused->setFocus();
    const ModalBox shown = readModal([&] { QTest::keyClick(focused, Qt::Key_Return); });
    QVERIFY2(!shown.shown, qPrintable(shown.text));
    for (size_t i = 0; i < spies.size(); ++i)
        QVERIFY2(spies[i]->isEmpty(), qPrintable(names[int(i)]));
    if (auto *edit = qobject_cast<QPlainTextEdit *>(focused)) // Return is a new line there
        QCOMPARE(edit->document()->blockCount(), 19 + 1);
}

void TestKeyboard::tabShortcuts_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");
    const int ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("Ctrl+Tab in the template box")
        << 0 << "message" << int(Qt::Key_Tab) << ctrl << 1;
    QTest::newRow("Ctrl+Tab in the password box") << 1 << "Text8" << int(Qt::Key_Tab) << ctrl << 2;
    QTest::newRow("Ctrl+Tab wraps around") << 2 << "tabs" << int(Qt::Key_Tab) << ctrl << 0;
    QTest::newRow("Ctrl+Shift+Tab") << 1 << "IniFilePath" << int(Qt::Key_Backtab) << ctrlShift << 0;
    QTest::newRow("Ctrl+Shift+Tab wraps around")
        << 0 << "savebtn" << int(Qt::Key_Backtab) << ctrlShift << 2;
    QTest::newRow("Ctrl+PageDown") << 0 << "testbtn" << int(Qt::Key_PageDown) << ctrl << 1;
    QTest::newRow("Ctrl+PageUp") << 1 << "Text9" << int(Qt::Key_PageUp) << ctrl << 0;
}

void TestKeyboard::tabShortcuts()
{
    QFETCH(int, from);
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    m_fixture->showTab(from);
    QWidget *widget = focused == "tabs" ? tabBar() : m_fixture->find<QWidget>(qPrintable(focused));
    widget->setFocus();
    QCOMPARE(QApplication::focusWidget(), widget);
    const QString before = m_fixture->find<QPlainTextEdit>("message")->toPlainText();
    QTest::keyClick(widget, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(tabBar()->currentIndex(), to);
    QCOMPARE(QApplication::focusWidget(), tabBar());
    QCOMPARE(m_fixture->find<QPlainTextEdit>("message")->toPlainText(), before);
}

void TestKeyboard::focusMarkOnTheTabCaption()
{
    // The window opens with the keyboard on the tab row: the open tab's
    // caption looks different from when the keyboard is elsewhere.
    QCOMPARE(QApplication::focusWidget(), tabBar());
    const QRect caption = tabBar()->tabRect(tabBar()->currentIndex());
    const QImage focused = tabBar()->grab(caption).toImage();
    m_fixture->find<QLineEdit>("Text9")->setFocus();
    const QImage unfocused = tabBar()->grab(caption).toImage();
    QVERIFY(focused != unfocused);
}

void TestKeyboard::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    QTest::newRow("IniFilePath") << "IniFilePath"
                                 << "Label9"
                                 << "Zentaro.ini Path:";
    QTest::newRow("Text6") << "Text6"
                           << "Label6"
                           << "User DB Data Source:";
    QTest::newRow("Text7") << "Text7"
                           << "Label7"
                           << "User DB Login User:";
    QTest::newRow("Text8") << "Text8"
                           << "Label8"
                           << "User DB Login PWD:";
    QTest::newRow("Text9") << "Text9"
                           << "Label1"
                           << "ISP Name";
    QTest::newRow("message") << "message" << QString() << "Welcome message";
    QTest::newRow("testbtn") << "testbtn" << QString() << "Test";
    QTest::newRow("Brows") << "Brows" << QString() << "Brows";
    QTest::newRow("update") << "update" << QString() << "Discover";
}

void TestKeyboard::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, label);
    QFETCH(QString, name);
    QWidget *widget = m_fixture->find<QWidget>(qPrintable(control));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    if (!label.isEmpty())
        QCOMPARE(m_fixture->find<QLabel>(qPrintable(label))->buddy(), widget);
    QCOMPARE(accessible->state().passwordEdit, control == "Text8");
}

void TestKeyboard::accessibleDescriptions()
{
    for (QWidget *widget : m_fixture->window().findChildren<QWidget *>()) {
        if (!qobject_cast<QPushButton *>(widget) && widget->objectName() != "message")
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(),
            qPrintable(widget->objectName()));
    }
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
