// Browse, Discover and Save Configuration: from Zentaro's INI file to the
// settings store and back into Zentaro's INI file, through the real window.

#include "FileDialog.h"
#include "PasswordBox.h"
#include "StoreEntries.h"
#include "SystemText.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <optional>

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void accountingLine_data();
    void accountingLine();
    void firstConfiguration_data();
    void firstConfiguration();
    void saveTwiceLeavesOneEntry();
    void senderBesideTheProgram_data();
    void senderBesideTheProgram();
    void discoverPassword_data();
    void discoverPassword();
    void highlightStaysUntilSave();
    void saveRightAfterStartTurnsWhite();
    void discoverWithWrongPath_data();
    void discoverWithWrongPath();
    void discoverThenExitKeepsSavedValues();
    void discoverLeavesValuesThatAreNotTextEmpty();
    void browse_data();
    void browse();
    void browseWithTheRealDialog();
    void failedSaveIsShown_data();
    void failedSaveIsShown();

private:
    QLineEdit *box(const char *name) { return m_fixture->find<QLineEdit>(name); }
    PasswordBox *password() { return m_fixture->find<PasswordBox>("Text8"); }
    QColor painted(QWidget *w)
    {
        return w->grab().toImage().pixelColor(w->width() - 6, w->height() / 2);
    }
    void setText(const char *name, const QString &text) { m_fixture->type(name, text); }
    QString stored(const char *section, const char *key)
    {
        return m_fixture->store().ReadSetting("Welcora", section, key);
    }
    QString zentaroIni() const { return m_fixture->dir() + "/zentaro/Zentaro.ini"; }
    // The line for the window's program folder, which has the sender in it.
    QByteArray senderLine() const
    {
        return (m_fixture->programFolder() + QDir::separator()
            + QStringLiteral("kovrapost  $type $user $nas"))
            .toUtf8();
    }

    std::unique_ptr<WindowFixture> m_fixture;
};

static const QByteArray Fixture = "; Zentaro accounting server\r\n"
                                  "[General]\r\n"
                                  "Port=1812\r\n"
                                  "\r\n"
                                  "[ODBC]\r\n"
                                  "UserDBDatasource=ZentaroUsers\r\n"
                                  "UserDBLoginUser=zentaro\r\n"
                                  "UserDBLoginPasswd=+@\r\n"
                                  "\r\n"
                                  "[Options]\r\n"
                                  "Logging=1\r\n"
                                  "AccountingScript=\r\n"
                                  "\r\n"
                                  "[Log]\r\n"
                                  "Level=3\r\n";

void TestConnection::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QDir(m_fixture->dir()).mkdir("zentaro");
    TestFiles::write(zentaroIni(), Fixture);
    m_fixture->open();
}

void TestConnection::cleanup()
{
    QVERIFY2(!QApplication::activeModalWidget(), "a modal box was left open");
    m_fixture.reset();
}

void TestConnection::accountingLine_data()
{
    QTest::addColumn<QByteArray>("folder"); // as the file system spells it
    QTest::addColumn<QByteArray>("line"); // what Zentaro.ini gets, or nothing
    QTest::addColumn<QString>("refusal"); // why not
#ifdef Q_OS_WIN
    QTest::newRow("plain folder") << QByteArray("C:\\Welcora")
                                  << QByteArray("C:\\Welcora\\kovrapost  $type $user $nas")
                                  << QString();
    QTest::newRow("drive root") << QByteArray("C:\\")
                                << QByteArray("C:\\kovrapost  $type $user $nas") << QString();
    QTest::newRow("trailing separator")
        << QByteArray("D:\\Zentaro\\") << QByteArray("D:\\Zentaro\\kovrapost  $type $user $nas")
        << QString();
    QTest::newRow("space is quoted (not C:\\Program.exe)")
        << QByteArray("C:\\Program Files\\Welcora")
        << QByteArray("\"C:\\Program Files\\Welcora\\kovrapost\"  $type $user $nas") << QString();
    QTest::newRow("a share") << QByteArray("\\\\server\\tools")
                             << QByteArray("\\\\server\\tools\\kovrapost  $type $user $nas")
                             << QString();
    // Written in the ANSI code page where it holds the letters, else refused.
    QTest::newRow("a letter of the code page")
        << QByteArray("C:\\Welcor\xC3\xA4")
        << QByteArray("C:\\Welcor\xC3\xA4\\kovrapost  $type $user $nas") << QString();
    QTest::newRow("an Arabic letter")
        << QByteArray("C:\\\xD8\xA8") << QByteArray("C:\\\xD8\xA8\\kovrapost  $type $user $nas")
        << QString();
#else
    QTest::newRow("plain folder") << QByteArray("/opt/welcora")
                                  << QByteArray("/opt/welcora/kovrapost  $type $user $nas")
                                  << QString();
    QTest::newRow("root folder") << QByteArray("/") << QByteArray("/kovrapost  $type $user $nas")
                                 << QString();
    QTest::newRow("trailing separator")
        << QByteArray("/opt/welcora/") << QByteArray("/opt/welcora/kovrapost  $type $user $nas")
        << QString();
    QTest::newRow("space is quoted")
        << QByteArray("/opt/my tools")
        << QByteArray("\"/opt/my tools/kovrapost\"  $type $user $nas") << QString();
    QTest::newRow("tab is quoted")
        << QByteArray("/opt/my\ttools")
        << QByteArray("\"/opt/my\ttools/kovrapost\"  $type $user $nas") << QString();
    QTest::newRow("non-ascii folder, its bytes exactly")
        << QByteArray("/opt/\xD8\xA8") << QByteArray("/opt/\xD8\xA8/kovrapost  $type $user $nas")
        << QString();
#endif
    QTest::newRow("a double quote")
        << QByteArray("/opt/we\"lcora") << QByteArray() << "double quote";
    QTest::newRow("a dollar sign")
        << QByteArray("/opt/$user/welcora") << QByteArray() << "\"$\", which Zentaro would replace";
    QTest::newRow("a line break") << QByteArray("/opt/we\rlcora") << QByteArray() << "line break";
#ifndef Q_OS_WIN // Windows names are UTF-16: every one is valid
    QTest::newRow("a byte that is not UTF-8") << QByteArray("/opt/welcora\xFF") << QByteArray()
                                              << "not valid in the file system's encoding";
#endif
}

void TestConnection::accountingLine()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, line);
    QFETCH(QString, refusal);
    m_fixture->window().setProgramFolder(FilePath::fromNative(folder));
    setText("IniFilePath", zentaroIni());
    const QList<ModalBox> boxes = readModals([&] { m_fixture->click("save"); });
    const ModalBox shown = boxes.value(0);
    QByteArray expected = Fixture;
    // The sender's file, as the line names it (before the code page).
    QByteArray program = line.chopped(qMin(line.size(), QByteArray("  $type $user $nas").size()));
    if (program.startsWith('"'))
        program = program.mid(1).chopped(1);
    const QString sender
        = QString::fromUtf8(program) + FileIo::programFileName(QString()); // ".exe" on Windows
    // The line goes into the file in the system's 8-bit text: what that
    // cannot hold is refused, never written as '?'.
    if (refusal.isEmpty() && !line.isEmpty()) {
        if (const std::optional<QByteArray> encoded = SystemText::encode(QString::fromUtf8(line)))
            line = *encoded;
        else
            refusal = "cannot hold";
    }
    if (refusal.isEmpty()) {
        // These folders are made up: where the sender is not there, the box
        // names the file Zentaro will run.
        if (QFileInfo::exists(sender)) {
            QVERIFY2(boxes.isEmpty(), qPrintable(shown.text));
        } else {
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(shown.icon, QMessageBox::Warning);
            QVERIFY2(shown.text.contains("will run \"" + sender + "\" for every accounting event"),
                qPrintable(shown.text));
        }
        expected.replace("AccountingScript=\r\n", "AccountingScript=" + line + "\r\n");
    } else {
        QVERIFY2(
            shown.text.startsWith("Zentaro.ini was not changed") && shown.text.contains(refusal),
            qPrintable(shown.text));
    }
    const QByteArray actual = TestFiles::read(zentaroIni());
    QVERIFY2(actual == expected, qPrintable(TestFiles::firstDifference(actual, expected)));
}

void TestConnection::firstConfiguration_data()
{
    QTest::addColumn<bool>("useMenu");
    QTest::addColumn<QString>("sample"); // a Zentaro.ini to start from instead of the fixture
    QTest::newRow("Save button") << false << QString();
    QTest::newRow("Save Configuration menu item") << true << QString();
    QTest::newRow("the README's sample Zentaro.ini")
        << false << QString(WELCORA_SOURCE_DIR "/docs/sample/Zentaro.ini");
}

void TestConnection::firstConfiguration()
{
    QFETCH(bool, useMenu);
    QFETCH(QString, sample);
    QByteArray before = Fixture;
    if (!sample.isEmpty()) {
        before = TestFiles::read(sample);
        TestFiles::write(zentaroIni(), before);
    }
    setText("IniFilePath", zentaroIni());
    const ModalBox prompt = readModal([&] { m_fixture->click("update"); });
    QVERIFY(prompt.shown);
    QCOMPARE(box("Text6")->text(), QString("ZentaroUsers"));
    QCOMPARE(box("Text7")->text(), QString("zentaro"));
    QCOMPARE(m_fixture->window().focusWidget(), password());
    QTest::keyClicks(password(), "db-secret");
    setText("Text9", "Example Net");

    const ModalBox saved = readModal([&] { m_fixture->run("save", "savconfig", useMenu); });
    QVERIFY2(!saved.shown, qPrintable(saved.text)); // no confirmation
    const SettingsStore &store = m_fixture->store();
    QCOMPARE(store.ReadSetting(Store::IniFilePath), zentaroIni());
    QCOMPARE(store.ReadSetting(Store::DataSource), QString("ZentaroUsers"));
    QCOMPARE(store.ReadSetting(Store::LoginUser), QString("zentaro"));
    QCOMPARE(store.ReadSetting(Store::LoginPassword), QString("db-secret"));
    QCOMPARE(store.ReadSetting(Store::IspName), QString("Example Net"));
    QCOMPARE(store.ReadSetting(Store::Message), QString()); // Save Configuration leaves it
    const QByteArray line = "AccountingScript=" + senderLine() + "\r\n";
    QByteArray expected = before;
    if (sample.isEmpty())
        expected.replace("AccountingScript=\r\n", line);
    else
        expected += line; // after the last line of [Options], the file's last section
    QCOMPARE(TestFiles::read(zentaroIni()), expected);
    QCOMPARE(painted(password()), QColor(255, 255, 255));
}

void TestConnection::saveTwiceLeavesOneEntry()
{
    setText("IniFilePath", zentaroIni());
    m_fixture->click("save");
    const QByteArray once = TestFiles::read(zentaroIni());
    m_fixture->trigger("savconfig");
    QCOMPARE(TestFiles::read(zentaroIni()), once);
    QCOMPARE(once.count("AccountingScript="), 1);
}

void TestConnection::senderBesideTheProgram_data()
{
    QTest::addColumn<QString>("sender"); // what the program folder holds under its name
    QTest::addColumn<QString>("warning"); // empty: none
    QTest::newRow("there") << "program" << QString();
    QTest::newRow("missing") << "nothing"
                             << "there is no such file";
    QTest::newRow("a folder of that name") << "folder"
                                           << "that is not a file";
#ifndef Q_OS_WIN // Windows runs a .exe whatever its permissions
    QTest::newRow("not marked executable") << "plain file"
                                           << "that file may not be run as a program";
#endif
}

void TestConnection::senderBesideTheProgram()
{
    QFETCH(QString, sender);
    QFETCH(QString, warning);
    const QString path
        = m_fixture->programFolder() + QDir::separator() + FileIo::programFileName("kovrapost");
    QVERIFY(QFile::remove(path));
    if (sender == "program" || sender == "plain file") {
        TestFiles::write(path, "#!/bin/sh\n");
        QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner;
        if (sender == "program")
            mode |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(path, mode));
    } else if (sender == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    setText("IniFilePath", zentaroIni());
    setText("Text9", "Example Net");

    const QList<ModalBox> boxes = readModals([&] { m_fixture->click("save"); });
    // Saved all the same.
    QCOMPARE(stored("setting", "ISPName"), QString("Example Net"));
    QVERIFY(TestFiles::read(zentaroIni()).contains("AccountingScript=" + senderLine() + "\r\n"));
    if (warning.isEmpty()) {
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
        return;
    }
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QString("Welcora"));
    QCOMPARE(boxes.first().icon, QMessageBox::Warning);
    QCOMPARE(boxes.first().text,
        QString("The configuration was saved, but Zentaro will not find the sender: it will run "
                "\"%1\" for every accounting event, and %2.\nPut the sender, %3, there, in the "
                "folder that holds Welcora.")
            .arg(path, warning, FileIo::programFileName("kovrapost")));
}

void TestConnection::discoverPassword_data()
{
    QTest::addColumn<QByteArray>("inFile");
    QTest::addColumn<bool>("prompted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("placeholder") << QByteArray("+@") << true << QString();
    QTest::newRow("placeholder in quotes") << QByteArray("\"+@\"") << true << QString();
    QTest::newRow("placeholder and more") << QByteArray("+@x") << false << QString("+@x");
    QTest::newRow("other case") << QByteArray("+@ ;") << false << QString("+@ ;");
    QTest::newRow("a password") << QByteArray("s3cret") << false << QString("s3cret");
    QTest::newRow("no password") << QByteArray("") << false << QString();
}

void TestConnection::discoverPassword()
{
    QFETCH(QByteArray, inFile);
    QFETCH(bool, prompted);
    QFETCH(QString, shown);
    QByteArray contents = Fixture;
    contents.replace("UserDBLoginPasswd=+@", "UserDBLoginPasswd=" + inFile);
    TestFiles::write(zentaroIni(), contents);
    const QColor before = painted(password());
    setText("IniFilePath", zentaroIni());

    const ModalBox box = readModal([&] { m_fixture->click("update"); });
    QCOMPARE(box.shown, prompted);
    QCOMPARE(password()->text(), shown);
    if (prompted) {
        QCOMPARE(box.title, QString("Welcora"));
        QCOMPARE(box.text, QString("Enter Login Password !"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton> {QMessageBox::Ok});
        QCOMPARE(painted(password()), QColor(255, 255, 0));
        QCOMPARE(m_fixture->window().focusWidget(), password());
    } else {
        QCOMPARE(painted(password()), before);
    }
    // Discover stores the path, never the values it found.
    QCOMPARE(stored("setting", "IniFilePath"), zentaroIni());
    for (const StoreEntry &entry : {Store::DataSource, Store::LoginUser, Store::LoginPassword})
        QCOMPARE(m_fixture->store().ReadSetting(entry), QString());
    QCOMPARE(TestFiles::read(zentaroIni()), contents);
}

void TestConnection::highlightStaysUntilSave()
{
    setText("IniFilePath", zentaroIni());
    readModal([&] { m_fixture->click("update"); });
    QTest::keyClicks(password(), "typed");
    QCOMPARE(painted(password()), QColor(255, 255, 0));
    setText("Text9", "Example Net");
    QCOMPARE(painted(password()), QColor(255, 255, 0));
    m_fixture->click("save");
    QCOMPARE(painted(password()), QColor(255, 255, 255));
    QCOMPARE(stored("ODBC", "UserDBLoginPasswd"), QString("typed"));
}

void TestConnection::saveRightAfterStartTurnsWhite()
{
    setText("IniFilePath", zentaroIni());
    password()->setBackground(QColor()); // as the window opened
    m_fixture->click("save");
    QCOMPARE(painted(password()), QColor(255, 255, 255));
}

void TestConnection::discoverWithWrongPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QString() << "The \"Zentaro.ini Path:\" box is empty";
    QTest::newRow("missing file") << "/nonexistent/Zentaro.ini"
                                  << "there is no such file";
    QTest::newRow("a folder") << "folder"
                              << "it is a folder, not a file";
#ifdef Q_OS_WIN
    QTest::newRow("a device") << "CON"
                              << "it is a device, not an ordinary file";
#else
    QTest::newRow("a device") << "/dev/zero"
                              << "it is not an ordinary file";
#endif
    QTest::newRow("unreadable (a normal user)") << "unreadable"
                                                << "permission denied";
}

void TestConnection::discoverWithWrongPath()
{
    // The path is stored and the boxes emptied, as ever, and the operator is
    // told that nothing was read, so an empty box never passes for a value.
    QFETCH(QString, path);
    QFETCH(QString, reason);
    if (path == "folder")
        path = m_fixture->dir();
    if (path == "unreadable") {
#ifdef Q_OS_WIN
        QSKIP("permission bits are POSIX; a Windows file is made unreadable by its ACL");
#endif
        if (TestFiles::isRoot())
            QSKIP("root can read any file");
        path = zentaroIni();
        QFile::setPermissions(path, QFileDevice::WriteOwner);
    }
    for (const char *name : {"Text6", "Text7", "Text8"})
        box(name)->setText("old");
    setText("IniFilePath", path);
    const ModalBox shown = readModal([&] { m_fixture->click("update"); });
    QVERIFY(shown.shown);
    QCOMPARE(shown.title, QString("Welcora"));
    QCOMPARE(shown.icon, QMessageBox::Warning);
    QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
    if (!path.isEmpty())
        QVERIFY2(shown.text.contains("\"" + path + "\""), qPrintable(shown.text));
    QVERIFY2(shown.text.contains("emptied"), qPrintable(shown.text));
    for (const char *name : {"Text6", "Text7", "Text8"})
        QCOMPARE(box(name)->text(), QString());
    QCOMPARE(m_fixture->store().ReadSetting(Store::IniFilePath), path);
}

void TestConnection::discoverLeavesValuesThatAreNotTextEmpty()
{
    if (SystemText::name() != QLatin1String("UTF-8"))
        QSKIP("in a single-byte code page every byte is a letter");
    // A password in a Windows code page must not reach the box, and from
    // there the store, as replacement characters.
    QByteArray ini = Fixture;
    ini.replace("UserDBLoginPasswd=+@", "UserDBLoginPasswd=p\xE4ss\xF6rd");
    TestFiles::write(zentaroIni(), ini);
    password()->setText("saved before");
    setText("IniFilePath", zentaroIni());
    const ModalBox shown = readModal([&] { m_fixture->click("update"); });
    QVERIFY2(shown.text.contains("UserDBLoginPasswd") && shown.text.contains(zentaroIni())
            && shown.text.contains("not UTF-8 text")
            && shown.text.contains("\"User DB Login PWD:\" box"),
        qPrintable(shown.text));
    QCOMPARE(password()->text(), QString());
    QCOMPARE(box("Text6")->text(), QString("ZentaroUsers")); // the others are read as ever
    QVERIFY(!password()->text().contains(QChar::ReplacementCharacter));
}

void TestConnection::discoverThenExitKeepsSavedValues()
{
    SettingsStore &store = m_fixture->store();
    QVERIFY(store.WriteSetting(Store::DataSource, "SavedSource").ok());
    QVERIFY(store.WriteSetting(Store::LoginUser, "saved-user").ok());
    QVERIFY(store.WriteSetting(Store::LoginPassword, "saved-pass").ok());
    setText("IniFilePath", zentaroIni());
    readModal([&] { m_fixture->click("update"); });
    m_fixture->trigger("ext");

    m_fixture->open();
    QCOMPARE(box("IniFilePath")->text(), zentaroIni());
    QCOMPARE(box("Text6")->text(), QString("SavedSource"));
    QCOMPARE(box("Text7")->text(), QString("saved-user"));
    QCOMPARE(box("Text8")->text(), QString("saved-pass"));
}

void TestConnection::browse_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("a file chosen") << false;
    QTest::newRow("cancelled") << true;
}

void TestConnection::browse()
{
    QFETCH(bool, cancel);
    setText("IniFilePath", "/earlier/Zentaro.ini");
    QString askedTitle, askedFile, askedFilter;
    m_fixture->find<FileDialog>("CD1")->setChooser(
        [&](const QString &title, const QString &file,
            const QString &filter) -> std::optional<QString> {
            askedTitle = title;
            askedFile = file;
            askedFilter = filter;
            if (cancel)
                return std::nullopt;
            return QString("/srv/zentaro/zentaro.ini");
        });
    const ModalBox shown = readModal([&] { m_fixture->click("Brows"); });
    QVERIFY(!shown.shown);
    QCOMPARE(askedTitle, QString("Find Zentaro Directory"));
    QCOMPARE(askedFile, QString("/earlier/Zentaro.ini"));
    QVERIFY(askedFilter.contains("Zentaro.ini"));
    QCOMPARE(box("IniFilePath")->text(),
        cancel ? QString("/earlier/Zentaro.ini") : QString("/srv/zentaro/zentaro.ini"));

    // Browse stores nothing: the next start does not know the path.
    m_fixture->trigger("ext");
    QCOMPARE(TestFiles::entries(m_fixture->dir()), QStringList {"zentaro"});
    m_fixture->open();
    QCOMPARE(box("IniFilePath")->text(), QString());
}

void TestConnection::browseWithTheRealDialog()
{
    const QString lowerCase = m_fixture->dir() + "/zentaro/zentaro.ini";
    QVERIFY(QFile::rename(zentaroIni(), lowerCase));
    setText("IniFilePath", zentaroIni());
    QString title;
    QStringList filters;
    bool caseSensitive = true;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        caseSensitive = dialog->filter().testFlag(QDir::CaseSensitive);
        dialog->selectFile(lowerCase);
        static_cast<QDialog *>(dialog)->accept();
    });
    poll.start();
    m_fixture->click("Brows");
    QCOMPARE(title, QString("Find Zentaro Directory"));
    QCOMPARE(filters, QStringList {"Zentaro.ini (Zentaro.ini)"});
    QVERIFY(!caseSensitive);
    // The path as the platform spells it; Windows names are not case-sensitive.
#ifdef Q_OS_WIN
    QCOMPARE(box("IniFilePath")->text().toLower(), QDir::toNativeSeparators(lowerCase).toLower());
#else
    QCOMPARE(box("IniFilePath")->text(), lowerCase);
#endif
}

// What stands in Save Configuration's way; each is set up in one switch.
enum class Obstacle {
    EmptyPath,
    MissingFolder,
    PathIsFolder,
    ReadOnlyFile,
    FullDisk,
    LineBreakInProgramFolder,
    StoreBlocked
};

void TestConnection::failedSaveIsShown_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("saved"); // what the box says was saved all the same
    const QString allSaved
        = "User DB Data Source, User DB Login User, User DB Login PWD and ISP Name were saved.";
    QTest::newRow("no path") << Obstacle::EmptyPath
                             << "Zentaro.ini was not changed: the \"Zentaro.ini Path:\" box is "
                                "empty."
                             << allSaved;
    QTest::newRow("missing folder") << Obstacle::MissingFolder << "does not exist" << allSaved;
    QTest::newRow("path is a folder") << Obstacle::PathIsFolder << "folder" << allSaved;
    QTest::newRow("read-only file") << Obstacle::ReadOnlyFile << "read-only" << allSaved;
    QTest::newRow("full disk (root: a tiny tmpfs)")
        << Obstacle::FullDisk << "the disk is full" << allSaved;
    QTest::newRow("line break in program folder")
        << Obstacle::LineBreakInProgramFolder << "line break" << allSaved;
    QTest::newRow("store cannot be written")
        << Obstacle::StoreBlocked << "User DB Login PWD was not saved. Could not create the folder"
        << "ISP Name was saved.";
}

void TestConnection::failedSaveIsShown()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reason);
    QFETCH(QString, saved);
    QString path = zentaroIni();
    std::optional<TestFiles::ScopedMount> disk;
    QByteArray before = Fixture;
    switch (obstacle) {
    case Obstacle::EmptyPath:
        path.clear();
        break;
    case Obstacle::MissingFolder:
        path = m_fixture->dir() + "/gone/Zentaro.ini";
        break;
    case Obstacle::PathIsFolder:
        path = m_fixture->dir() + "/zentaro";
        break;
    case Obstacle::ReadOnlyFile:
        QFile::setPermissions(zentaroIni(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        break;
    case Obstacle::FullDisk:
        path = m_fixture->dir() + "/full/Zentaro.ini";
        QDir().mkpath(m_fixture->dir() + "/full");
        disk.emplace(TestFiles::ScopedMount::tinyTmpfs(m_fixture->dir() + "/full", 64));
        if (!disk->ok())
            QSKIP("a full disk needs a tiny tmpfs, mounted by root on Linux");
        before = Fixture + QByteArray(30000, ';') + "\r\n";
        TestFiles::write(path, before);
        TestFiles::fillUp(m_fixture->dir() + "/full");
        break;
    case Obstacle::LineBreakInProgramFolder:
        m_fixture->window().setProgramFolder(QString("/opt/we\nlcora"));
        break;
    case Obstacle::StoreBlocked:
#ifdef Q_OS_WIN
        QSKIP("a file in the way is an obstacle of the folder store");
#endif
        QVERIFY(QDir().mkpath(m_fixture->dir() + "/Welcora"));
        TestFiles::write(m_fixture->dir() + "/Welcora/ODBC", "in the way");
        break;
    }
    setText("IniFilePath", path);
    setText("Text9", "Example Net");
    password()->setBackground(QColor(255, 255, 0));

    const ModalBox box = readModal([&] { m_fixture->click("save"); });
    QVERIFY(box.shown);
    QCOMPARE(box.title, QString("Welcora"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains(reason), qPrintable(box.text));
    QVERIFY2(box.text.endsWith(saved), qPrintable(box.text));
    const bool iniFailed = obstacle != Obstacle::StoreBlocked;
    if (iniFailed)
        QVERIFY2(box.text.startsWith("Zentaro.ini was not changed"), qPrintable(box.text));
    if (iniFailed && obstacle != Obstacle::LineBreakInProgramFolder && !path.isEmpty())
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
    if (!iniFailed)
        QVERIFY2(box.text.contains(m_fixture->dir() + "/Welcora/ODBC"), qPrintable(box.text));
    // The store values that could be saved are, and the password box turns
    // white as after every Save Configuration: the box tells what failed.
    QCOMPARE(stored("setting", "ISPName"), QString("Example Net"));
    QCOMPARE(painted(password()), QColor(255, 255, 255));
    if (iniFailed)
        QCOMPARE(TestFiles::read(zentaroIni()), Fixture);
    if (obstacle == Obstacle::FullDisk)
        QCOMPARE(TestFiles::read(path), before);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
