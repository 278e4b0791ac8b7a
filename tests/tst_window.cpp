// The window as the operator first sees it: every control in its place with
// its caption, font and focus order, the tabs, the menus and the skin.

#include "FileDialog.h"
#include "Fonts.h"
#include "PasswordBox.h"
#include "Skin.h"
#include "TabControl.h"
#include "Version.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowFrame();
    void controls_data();
    void controls();
    void tabs();
    void fonts();
    void captionsFit_data();
    void captionsFit();
    void passwordBox();
    void templateBox();
    void focusOrder_data();
    void focusOrder();
    void menus();
    void helpMenuRunsNothing();

private:
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestWindow::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->open();
}

void TestWindow::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
}

void TestWindow::windowFrame()
{
    setting &w = m_fixture->window();
    QCOMPARE(w.objectName(), QString("setting"));
    QCOMPARE(w.windowTitle(), QString("Welcora V2.0 Setting"));
    QCOMPARE(displayVersion(), QString("1.00"));
    // 458 x 360 under the menu bar, and not resizable.
    QWidget *client = w.centralWidget();
    QCOMPARE(client->size(), QSize(458, 360));
    QCOMPARE(client->y(), w.menuBar()->geometry().bottom() + 1);
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), QSize(458, 360 + w.menuBar()->height()));
    // The tab control in the client area.
    QCOMPARE(m_fixture->find<TabControl>("SSTab1")->geometry(), QRect(15, 24, 429, 313));
    // Centred on the screen.
    const QPoint offCentre = w.geometry().center() - w.screen()->availableGeometry().center();
    QVERIFY2(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
        qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    // Icon: one 32 x 32 image in 16 colours.
    QCOMPARE(w.windowIcon().availableSizes(), QList<QSize> {QSize(32, 32)});
    const QImage icon(":/welcora.png");
    QCOMPARE(icon.format(), QImage::Format_Indexed8);
    QVERIFY(icon.colorCount() <= 16);
    // The file dialog and the skin, applied once by Load.
    QCOMPARE(m_fixture->find<FileDialog>("CD1")->title(), QString("Find Zentaro Directory"));
    QCOMPARE(m_fixture->find<Skin>("Skin1")->timesApplied(), 1);
    QVERIFY(!w.styleSheet().isEmpty());
}

void TestWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("sizesItself");

    auto row = [](const char *name, const char *kind, int page, const char *caption, int left,
                   int top, int width, int height, bool autoSize = false) {
        QTest::newRow(name) << QString(name) << QString(kind) << page << QString(caption)
                            << QRect(left, top, width, height) << autoSize;
    };
    row("message", "TemplateBox", 0, nullptr, 120, 600, 6135, 3435);
    row("savebtn", "QPushButton", 0, "Save", 5100, 4140, 1155, 315);
    row("reloadbtn", "QPushButton", 0, "Reload", 3690, 4140, 1155, 315);
    row("testbtn", "QPushButton", 0, "Test", 2280, 4140, 1155, 315);
    row("Label9", "QLabel", 1, "Zentaro.ini Path:", 180, 600, 1230, 195, true);
    row("IniFilePath", "QLineEdit", 1, "", 1500, 540, 3795, 315);
    row("Brows", "QPushButton", 1, "Brows", 5400, 540, 855, 315);
    row("update", "QPushButton", 1, "Discover", 2280, 900, 1875, 315);
    row("Label6", "QLabel", 1, "User DB Data Source:", 180, 1560, 1590, 195, true);
    row("Text6", "QLineEdit", 1, "", 1800, 1500, 3495, 315);
    row("Label7", "QLabel", 1, "User DB Login User:", 180, 1920, 1455, 195, true);
    row("Text7", "QLineEdit", 1, "", 1800, 1860, 3495, 315);
    row("Label8", "QLabel", 1, "User DB Login PWD:", 180, 2280, 1515, 195, true);
    row("Text8", "PasswordBox", 1, "", 1800, 2220, 3495, 315);
    row("Label1", "QLabel", 1, "ISP Name", 180, 2640, 720, 195, true);
    row("Text9", "QLineEdit", 1, "", 1800, 2580, 3495, 315);
    row("save", "QPushButton", 1, "Save", 2280, 4080, 1875, 315);
    row("Label2", "QLabel", 2, "Welcora", 300, 600, 3135, 735);
    row("Label5", "QLabel", 2, "For more information please visit www.welcora.example", 360, 2760,
        4875, 255);
}

void TestWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, page);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(bool, sizesItself);

    auto *tabs = m_fixture->find<TabControl>("SSTab1");
    QWidget *control = tabs->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind.toLatin1());
    QVERIFY(tabs->page(page)->isAncestorOf(control));

    // Left and Top from the tab control's corner, tab row included.
    const QRect expected(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0),
        qRound(twips.width() / 15.0), qRound(twips.height() / 15.0));
    const QRect actual(control->mapTo(tabs, QPoint(0, 0)), control->size());
    QVERIFY2(qAbs(actual.x() - expected.x()) <= 1 && qAbs(actual.y() - expected.y()) <= 1,
        qPrintable(QString("at %1,%2").arg(actual.x()).arg(actual.y())));
    if (!sizesItself) {
        QVERIFY2(qAbs(actual.width() - expected.width()) <= 1
                && qAbs(actual.height() - expected.height()) <= 1,
            qPrintable(QString("%1 x %2").arg(actual.width()).arg(actual.height())));
    }

    if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), caption);
    else if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), caption);
    else if (auto *box = qobject_cast<QLineEdit *>(control))
        QCOMPARE(box->text(), caption); // empty store: every box is empty
}

void TestWindow::tabs()
{
    auto *tabs = m_fixture->find<TabControl>("SSTab1");
    QCOMPARE(tabs->tabBar()->count(), 3);
    QCOMPARE(tabs->tabBar()->tabText(0), QString("Message"));
    QCOMPARE(tabs->tabBar()->tabText(1), QString("Setting"));
    QCOMPARE(tabs->tabBar()->tabText(2), QString("About"));
    QCOMPARE(tabs->tabBar()->height(), 20);

    // Opens on Setting, focus on the tab control; the other tabs' controls are hidden.
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(QTest::qWaitForWindowActive(&m_fixture->window()));
    QCOMPARE(QApplication::focusWidget(), tabs->tabBar());
    QVERIFY(m_fixture->find<QLineEdit>("IniFilePath")->isVisible());
    QVERIFY(!m_fixture->find<QPlainTextEdit>("message")->isVisible());
    QVERIFY(!m_fixture->find<QLabel>("Label2")->isVisible());

    m_fixture->showTab(0);
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(m_fixture->find<QPlainTextEdit>("message")->isVisible());
    QVERIFY(!m_fixture->find<QLineEdit>("IniFilePath")->isVisible());
    m_fixture->showTab(2);
    QVERIFY(m_fixture->find<QLabel>("Label2")->isVisible());
    QVERIFY(!m_fixture->find<QPlainTextEdit>("message")->isVisible());
}

void TestWindow::fonts()
{
    const bool haveTahoma = QFile::exists("/usr/share/wine/fonts/tahoma.ttf");
    for (QWidget *w : {static_cast<QWidget *>(m_fixture->find<QPlainTextEdit>("message")),
             static_cast<QWidget *>(m_fixture->find<TabControl>("SSTab1")->tabBar()),
             static_cast<QWidget *>(m_fixture->find<QLabel>("Label6"))}) {
        QCOMPARE(w->font().family(), QString("Tahoma"));
        if (haveTahoma)
            QCOMPARE(QFontInfo(w->font()).family(), QString("Tahoma"));
    }
    QCOMPARE(m_fixture->find<QPlainTextEdit>("message")->font().pointSizeF(), 8.25);
    const QFont title = m_fixture->find<QLabel>("Label2")->font();
    QCOMPARE(title.family(), QString("Times New Roman"));
    QCOMPARE(title.pointSizeF(), 27.75);
    QCOMPARE(title.weight(), QFont::Bold);
    QVERIFY(!title.italic() && !title.underline());
    QVERIFY(QFontInfo(title).family().contains("Serif")
        || QFontInfo(title).family() == "Times New Roman");
}

void TestWindow::captionsFit_data()
{
    QTest::addColumn<bool>("withTahoma");
    QTest::newRow("Tahoma") << true;
    QTest::newRow("without Tahoma") << false;
}

void TestWindow::captionsFit()
{
    QFETCH(bool, withTahoma);
    const auto restore
        = qScopeGuard([] { Fonts::setTahomaFiles({"/usr/share/wine/fonts/tahoma.ttf"}); });
    if (!withTahoma) {
        Fonts::setTahomaFiles({});
        m_fixture->open();
    }

    const QList<QPair<const char *, const char *>> named = {{"Label9", "IniFilePath"},
        {"Label6", "Text6"}, {"Label7", "Text7"}, {"Label8", "Text8"}, {"Label1", "Text9"}};
    for (const auto &[labelName, boxName] : named) {
        auto *label = m_fixture->find<QLabel>(labelName);
        QWidget *box = m_fixture->find<QWidget>(boxName);
        QVERIFY2(
            label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), labelName);
        QVERIFY2(label->geometry().right() < box->geometry().left(), labelName);
        QVERIFY2(label->font().pointSizeF() >= 6, labelName);
        // Shrunk no further than it had to be: a quarter point more would not fit.
        if (label->font().pointSizeF() < Fonts::dialogFont().pointSizeF()) {
            QFont larger = label->font();
            larger.setPointSizeF(larger.pointSizeF() + 0.25);
            const int wider = QFontMetrics(larger).horizontalAdvance(label->text());
            QVERIFY2(label->x() + wider >= box->x() - 2,
                qPrintable(QString("%1 at %2 pt is %3 px; %4 px would have fitted")
                               .arg(labelName)
                               .arg(label->font().pointSizeF())
                               .arg(label->width())
                               .arg(wider)));
        }
    }
    for (QPushButton *button : m_fixture->window().findChildren<QPushButton *>()) {
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
            qPrintable(button->objectName()));
    }
    for (const char *name : {"Label2", "Label5"}) {
        auto *label = m_fixture->find<QLabel>(name);
        QVERIFY2(label->sizeHint().width() <= label->width()
                && label->sizeHint().height() <= label->height() + 2,
            name);
    }
    auto *tabBar = m_fixture->find<TabControl>("SSTab1")->tabBar();
    for (int i = 0; i < tabBar->count(); ++i)
        QVERIFY(tabBar->fontMetrics().horizontalAdvance(tabBar->tabText(i))
            < tabBar->tabRect(i).width());
}

void TestWindow::passwordBox()
{
    auto *box = m_fixture->find<PasswordBox>("Text8");
    box->setFocus();
    QTest::keyClicks(box, "s3cr t");
    QCOMPARE(box->text(), QString("s3cr t"));
    QCOMPARE(box->displayText(), QString("******"));
    QCOMPARE(box->inputMethodQuery(Qt::ImEnabled).toBool(), false);
}

void TestWindow::templateBox()
{
    auto *box = m_fixture->find<QPlainTextEdit>("message");
    QCOMPARE(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The default template's long lines (line 3 has 126 characters) are
    // not wrapped but scrolled to.
    m_fixture->showTab(0);
    QTRY_VERIFY(box->horizontalScrollBar()->maximum() > 0);
    const QStringList lines = box->toPlainText().split('\n');
    QCOMPARE(lines.at(2).size(), 126);
    QCOMPARE(box->document()->lineCount(), lines.size());
}

void TestWindow::focusOrder_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("Message") << 0
                             << QStringList {"message", "savebtn", "reloadbtn", "testbtn", "tabs"};
    QTest::newRow("Setting") << 1
                             << QStringList {"IniFilePath", "Brows", "update", "Text7", "Text8",
                                    "Text6", "save", "Text9", "tabs"};
    QTest::newRow("About") << 2 << QStringList {"tabs"};
}

void TestWindow::focusOrder()
{
    QFETCH(int, tab);
    QFETCH(QStringList, order);
    setting &w = m_fixture->window();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    m_fixture->showTab(tab);
    QTabBar *tabs = m_fixture->find<TabControl>("SSTab1")->tabBar();
    tabs->setFocus();
    QStringList visited;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, order);
}

void TestWindow::menus()
{
    setting &w = m_fixture->window();
    QList<QAction *> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar[0]->text(), QString("&File"));
    QCOMPARE(bar[0]->menu()->objectName(), QString("Filemenu"));
    QCOMPARE(bar[1]->text(), QString("Help"));
    QCOMPARE(bar[1]->menu()->objectName(), QString("help1"));
    QVERIFY(!bar[1]->isEnabled());

    QStringList items;
    for (QAction *a : bar[0]->menu()->actions() + bar[1]->menu()->actions()) {
        items.append(a->objectName() + "=" + (a->isSeparator() ? "-" : a->text()));
        QVERIFY(a->shortcut().isEmpty());
        QVERIFY(!a->isCheckable());
    }
    QCOMPARE(items,
        (QStringList {"svconf=Save Message", "re=Reload Message", "savconfig=Save Configuration",
            "testconn=&Test Connection", "sep=-", "ext=Exit", "Help2=Help", "About=About"}));
}

void TestWindow::helpMenuRunsNothing()
{
    for (const char *name : {"Help2", "About"}) {
        const ModalBox box = readModal([&] { m_fixture->trigger(name); });
        QVERIFY(!box.shown);
    }
    QVERIFY(m_fixture->window().isVisible());
    QCOMPARE(
        QDir(m_fixture->dir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
