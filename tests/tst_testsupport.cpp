// The helpers every window test leans on: a missing control fails the test by
// name instead of crashing the test program, and the box reader reads boxes
// one after another and never waits for ever.

#include "support/WindowTest.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

class TestTestSupport : public QObject
{
    Q_OBJECT

private slots:
    void missingControlFailsByName();
    void readsBoxesInARow();
    void modalThatStaysOpenFailsAtTheDeadline();
};

void TestTestSupport::missingControlFailsByName()
{
    WindowFixture fixture;
    fixture.open();
    QEXPECT_FAIL("", "the window has no such button", Continue);
    fixture.click("no-such-button"); // fails the test; does not crash
    QVERIFY(!fixture.window().findChild<QPushButton *>("no-such-button"));
}

void TestTestSupport::readsBoxesInARow()
{
    QWidget parent;
    const QList<ModalBox> boxes = readModals([&] {
        QMessageBox(QMessageBox::Warning, "first", "one", QMessageBox::Ok, &parent).exec();
        QMessageBox(QMessageBox::Critical, "second", "two", QMessageBox::Ok, &parent).exec();
    });
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, QString("first"));
    QCOMPARE(boxes[1].text, QString("two"));
    QCOMPARE(boxes[1].icon, QMessageBox::Critical);
}

void TestTestSupport::modalThatStaysOpenFailsAtTheDeadline()
{
    QDialog stuck;
    stuck.setWindowTitle("not a message box");
    QEXPECT_FAIL("", "a modal window that nobody closes", Continue);
    const QList<ModalBox> boxes = readModals([&] { stuck.exec(); }, {}, 200);
    QVERIFY(boxes.isEmpty());
    QVERIFY(!stuck.isVisible());
}

QTEST_MAIN(TestTestSupport)
#include "tst_testsupport.moc"
