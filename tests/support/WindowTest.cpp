#include "WindowTest.h"

#include "TestStore.h"

#include "TabControl.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

QList<ModalBox> readModals(const std::function<void()> &trigger,
    const std::function<void(QMessageBox &)> &inspect, int deadlineMs)
{
    QList<ModalBox> seen;
    QElapsedTimer running;
    QString stuck;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            if (modal && running.elapsed() > deadlineMs && stuck.isEmpty()) {
                stuck = modal->metaObject()->className() + QStringLiteral(" \"")
                    + modal->windowTitle() + QLatin1Char('"');
                modal->close();
            }
            return;
        }
        if (box->property("welcoraTestRead").toBool())
            return; // already read, closing
        box->setProperty("welcoraTestRead", true);
        ModalBox read;
        read.shown = true;
        read.title = box->windowTitle();
        read.text = box->text();
        read.icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            read.buttons.append(box->standardButton(button));
        seen.append(read);
        if (inspect)
            inspect(*box);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            box->reject();
    });
    running.start();
    poll.start();
    trigger();
    poll.stop();
    if (!stuck.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("a modal %1 was still open after %2 s")
                                    .arg(stuck)
                                    .arg(deadlineMs / 1000)),
            __FILE__, __LINE__);
    return seen;
}

ModalBox readModal(
    const std::function<void()> &trigger, const std::function<void(QMessageBox &)> &inspect)
{
    const QList<ModalBox> seen = readModals(trigger, inspect);
    return seen.isEmpty() ? ModalBox() : seen.first();
}

WindowFixture::WindowFixture()
    : m_store(makeTestStore(m_dir.path()))
{ }

QString WindowFixture::programFolder() const
{
    return QDir::toNativeSeparators(m_programDir.path());
}

setting &WindowFixture::open()
{
    m_window.reset();
    m_window = std::make_unique<setting>(*m_store);
    if (QDir().mkpath(programFolder())) {
        QFile sender(programFolder() + QDir::separator()
            + FileIo::programFileName(QStringLiteral("kovrapost")));
        if (!sender.open(QIODevice::WriteOnly)
            || !sender.setPermissions(sender.permissions() | QFile::ExeOwner))
            qWarning("could not put a sender into %s", qPrintable(programFolder()));
    }
    m_window->setProgramFolder(programFolder());
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("the window was not exposed");
    return *m_window;
}

void WindowFixture::type(const char *box, const QString &text)
{
    QLineEdit *edit = find<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(edit->text(), text);
}

void WindowFixture::click(const char *button)
{
    QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
}

void WindowFixture::trigger(const char *action)
{
    find<QAction>(action)->trigger();
}

void WindowFixture::showTab(int index)
{
    QTabBar *tabs = find<TabControl>("SSTab1")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}
