#include "WindowTest.h"

#include "TabControl.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

ModalBox readModal(
    const std::function<void()> &trigger, const std::function<void(QMessageBox &)> &inspect)
{
    ModalBox seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || seen.shown)
            return;
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            seen.buttons.append(box->standardButton(button));
        poll.stop();
        if (inspect)
            inspect(*box);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            box->reject();
    });
    poll.start();
    trigger();
    poll.stop();
    return seen;
}

WindowFixture::WindowFixture()
    : m_store(m_dir.path())
{ }

setting &WindowFixture::open()
{
    m_window.reset();
    m_window = std::make_unique<setting>(m_store);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("the window was not exposed");
    return *m_window;
}

QString WindowFixture::storeFile(const QString &section, const QString &key) const
{
    return m_store.pathOf(QStringLiteral("Welcora"), section, key);
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
