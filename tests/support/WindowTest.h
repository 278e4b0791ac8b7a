#pragma once

// Helpers for driving the real window: a window over a settings store in a
// temporary folder, and a reader for the modal boxes it shows.

#include "FolderSettingsStore.h"
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

// Runs trigger; reads the first message box it shows, hands it to inspect
// (if given) while it is open, then presses OK.
ModalBox readModal(
    const std::function<void()> &trigger, const std::function<void(QMessageBox &)> &inspect = {});

// A store in its own temporary folder, and the window over it.
class WindowFixture
{
public:
    WindowFixture();
    setting &open(); // makes (or remakes) the window, which loads the store
    setting &window() { return *m_window; }

    FolderSettingsStore &store() { return m_store; }
    QString storeFile(const QString &section, const QString &key) const;
    QString dir() const { return m_dir.path(); }

    template<typename T>
    T *find(const char *name)
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control named %s", name);
        return found;
    }
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
    QTemporaryDir m_dir;
    FolderSettingsStore m_store;
    std::unique_ptr<setting> m_window;
};
