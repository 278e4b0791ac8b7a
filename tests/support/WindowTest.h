#pragma once

// Helpers for driving the real window: a window over a settings store of the
// platform's kind that only the test sees, and a reader for the modal boxes
// it shows.

#include "SettingsStore.h"
#include "setting.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

struct ModalBox
{
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
};

// Runs trigger and reads every message box it shows, in order, pressing OK on
// each; inspect (if given) sees each box while it is open. A modal window that
// is still open after the deadline is closed and fails the test, so a test
// never waits for ever.
QList<ModalBox> readModals(const std::function<void()> &trigger,
    const std::function<void(QMessageBox &)> &inspect = {}, int deadlineMs = 30000);
// The first box of readModals, or one with shown == false.
ModalBox readModal(
    const std::function<void()> &trigger, const std::function<void(QMessageBox &)> &inspect = {});

// A store of the test's own, and the window over it.
class WindowFixture
{
public:
    WindowFixture();
    setting &open(); // makes (or remakes) the window, which loads the store
    setting &window() { return *m_window; }

    SettingsStore &store() { return *m_store; }
    QString dir() const { return m_dir.path(); }
    // Where the window is told it runs from: a folder of the test's own, with
    // the sender beside the program as an operator installs it.
    QString programFolder() const;

    // The window's control of that name. A missing one fails the test by
    // name and gives a stand-in, so the test goes on to its end rather than
    // crash the whole test program on a null pointer.
    template<typename T>
    T *find(const char *name)
    {
        if (T *found = m_window->findChild<T *>(QString::fromLatin1(name)))
            return found;
        QTest::qFail(qPrintable(QStringLiteral("the window has no %1 named \"%2\"")
                                    .arg(QString::fromLatin1(T::staticMetaObject.className()),
                                        QString::fromLatin1(name))),
            __FILE__, __LINE__);
        return standIn<T>();
    }
    // Empties the box of that name and types text into it a key at a time,
    // any character, as a keyboard that has it would.
    void type(const char *box, const QString &text);
    void click(const char *button);
    void trigger(const char *action);
    // A command that has a button and a menu item: run it through one of them.
    void run(const char *button, const char *action, bool useMenu)
    {
        if (useMenu)
            trigger(action);
        else
            click(button);
    }
    void showTab(int index);

private:
    template<typename T>
    T *standIn()
    {
        if constexpr (std::is_constructible_v<T, QWidget *>)
            return new T(&m_standIns);
        else if constexpr (std::is_constructible_v<T, QObject *>)
            return new T(&m_standIns);
        else if constexpr (std::is_constructible_v<T, QString, QWidget *>)
            return new T(QString(), &m_standIns); // FileDialog
        else
            return new T(QStringList(), 0, &m_standIns); // TabControl
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_programDir; // apart, so that m_dir holds only what the window wrote
    QWidget m_standIns; // parent of the stand-ins for missing controls
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<setting> m_window;
};
