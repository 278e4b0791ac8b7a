#pragma once

#include "FileIo.h"
#include "StoreEntries.h"

#include <QMainWindow>
#include <QMessageBox>

#include <array>

namespace UserDatabase {
struct Outcome;
}

class ConnectionAttempt;
class FileDialog;
class PasswordBox;
class QProgressDialog;
class QLineEdit;
class SettingsStore;
class Skin;
class TabControl;
class TemplateBox;

// The one window of the program: the message template on one tab, the
// connection to Zentaro on another. Every command runs to its end on the
// user-interface thread; what the operator typed stays in the controls until
// a command stores it.
class setting : public QMainWindow
{
    Q_OBJECT

public:
    explicit setting(SettingsStore &store, QWidget *parent = nullptr);
    ~setting() override;

    static QString applicationName() { return Store::application(); }

    Skin *skin() const { return m_skin; }
    FileDialog *fileDialog() const { return m_cd1; }

    // The folder Zentaro is told to run the sender from: the one that holds
    // this program. Tests point it elsewhere.
    void setProgramFolder(const FilePath &folder) { m_programFolder = folder; }

    // How long Test Connection waits for the user database's login, as the
    // operator is told.
    static constexpr int LoginTimeoutSeconds = 10;

    // What Zentaro writes where it does not show the password, and the
    // colour of the password box while it asks for one.
    static QString passwordPlaceholder() { return QStringLiteral("+@"); }
    static QColor askingForPassword() { return {255, 255, 0}; }

private:
    void buildControls();
    void buildMenus();
    void describeForAccessibility();
    void fitLabelsToTheirBoxes();
    void centreOnScreen();

    void Load();
    void testMessage();
    void reloadMessage();
    void saveMessage();
    void exitProgram();
    void browse();
    void discover();
    void saveConfiguration();
    void warnWhenSenderIsMissing(const QString &sender);
    void offerDataSources();
    void testConnection();
    void endConnectionAttempt();
    void showConnectionOutcome(const UserDatabase::Outcome &outcome, const QString &dataSource,
        const QString &user, bool passwordEmpty);

    // Reads one value; a stored value that cannot be used adds a line naming
    // 'what' and the reason to problems, and reads as "".
    QString read(const StoreEntry &entry, const QWidget *box, QStringList &problems) const;
    QString operatorName(const QWidget *box) const;

    // The user database boxes, each with its entry in the store; the key is
    // the same in the "ODBC" section of Zentaro.ini.
    struct DatabaseBox
    {
        StoreEntry entry;
        QLineEdit *box;
    };
    std::array<DatabaseBox, 3> databaseBoxes() const;
    // Stores one value; on failure adds a line naming 'what' (as the operator
    // knows it) and the reason to errors.
    bool write(
        const StoreEntry &entry, const QString &value, const QWidget *box, QStringList &errors);
    void showErrors(const QStringList &errors);
    // A modal box titled with the program's name, its text shown as plain text.
    void showBox(QMessageBox::Icon icon, const QString &text);

    SettingsStore &m_store;
    FilePath m_programFolder;
    TabControl *m_tabs = nullptr;
    Skin *m_skin = nullptr;
    FileDialog *m_cd1 = nullptr;
    TemplateBox *m_message = nullptr;
    QLineEdit *m_iniFilePath = nullptr;
    QLineEdit *m_text6 = nullptr;
    QLineEdit *m_text7 = nullptr;
    PasswordBox *m_text8 = nullptr;
    QLineEdit *m_text9 = nullptr;
    QAction *m_testConnection = nullptr;
    // While Test Connection waits for the database.
    ConnectionAttempt *m_attempt = nullptr;
    QProgressDialog *m_connecting = nullptr;
};
