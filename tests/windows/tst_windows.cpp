// What only Windows has: the registry store as the sender reads it (the
// ANSI registry API), the read-only attribute, device names, the ACL a
// replaced file keeps, the ANSI code page at the edge of the INI file, and
// the program's folder as Windows spells it.

#include "FileIo.h"
#include "INI_Files.h"
#include "PasswordBox.h"
#include "RegistrySettingsStore.h"
#include "SystemText.h"
#include "WindowsFiles.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace {

// A value as a sender reads it: RegGetValueA, text in the ANSI code page.
std::optional<QByteArray> ansiValue(const QString &key, const char *name)
{
    const QByteArray subkey = key.toLocal8Bit();
    DWORD size = 0;
    if (RegGetValueA(
            HKEY_CURRENT_USER, subkey.constData(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    QByteArray value(int(size), '\0');
    if (RegGetValueA(HKEY_CURRENT_USER, subkey.constData(), name, RRF_RT_REG_SZ, nullptr,
            value.data(), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    value.truncate(int(qstrnlen(value.constData(), size_t(value.size()))));
    return value;
}

// The file's access list in the SDDL form, to compare before and after.
QString daclOf(const QString &path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(reinterpret_cast<LPCWSTR>(path.utf16()), SE_FILE_OBJECT,
            DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return QStringLiteral("<none>");
    LPWSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    const QString dacl = text ? QString::fromWCharArray(text) : QStringLiteral("<unreadable>");
    LocalFree(text);
    LocalFree(descriptor);
    return dacl;
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void storeLivesWhereTheSenderReads();
    void savedValuesReadByTheSender_data();
    void savedValuesReadByTheSender();
    void registryRefusals_data();
    void registryRefusals();
    void valueThatIsNotText();
    void readOnlyAttribute();
    void devicesAreNeverOpened_data();
    void devicesAreNeverOpened();
    void replaceKeepsAclAndAttributes();
    void leftoversOfAKilledWriter();
    void replaceCutShortKeepsTheOldContents_data();
    void replaceCutShortKeepsTheOldContents();
    void codePage_data();
    void codePage();
    void programFolder();

private:
    RegistrySettingsStore &store()
    {
        return dynamic_cast<RegistrySettingsStore &>(m_fixture->store());
    }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestWindows::storeLivesWhereTheSenderReads()
{
    // The key of the application-settings functions, one key per section.
    const RegistrySettingsStore real;
    QCOMPARE(real.keyOf("Welcora", "ODBC"),
        QString("Software\\VB and VBA Program Settings\\Welcora\\ODBC"));
    QCOMPARE(real.keyOf("Welcora", "setting"),
        QString("Software\\VB and VBA Program Settings\\Welcora\\setting"));
    // Never written: "", and no problem.
    QString problem;
    QCOMPARE(store().readSetting(Store::IspName, problem), QString());
    QCOMPARE(problem, QString());
}

void TestWindows::savedValuesReadByTheSender_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("ispName");
    QTest::newRow("plain") << "db-secret"
                           << "Example Net";
    QTest::newRow("starting with @") << "@secret"
                                     << "@home";
    QTest::newRow("the placeholder typed in") << "+@"
                                              << "Example Net";
    QTest::newRow("Arabic") << QString::fromUtf8("\xD9\x83\xD9\x84\xD9\x85\xD8\xA9")
                            << QString::fromUtf8("\xD8\xB4\xD8\xA8\xD9\x83\xD8\xA9");
    QTest::newRow("blanks and quotes kept") << " \"pass\" "
                                            << "  Example  ";
}

void TestWindows::savedValuesReadByTheSender()
{
    // Typed into the window and saved; read back as a sender would, through
    // the ANSI API: in the code page's bytes where it holds the text.
    QFETCH(QString, password);
    QFETCH(QString, ispName);
    m_fixture->open();
    m_fixture->find<QLineEdit>("Text8")->setText(password);
    m_fixture->find<QLineEdit>("Text9")->setText(ispName);
    m_fixture->find<QLineEdit>("IniFilePath")->setText(m_fixture->dir() + "/Zentaro.ini");
    const ModalBox box = readModal([&] { m_fixture->click("save"); });
    QVERIFY2(!box.shown, qPrintable(box.text));
    QCOMPARE(m_fixture->store().ReadSetting(Store::LoginPassword), password);
    QCOMPARE(m_fixture->store().ReadSetting(Store::IspName), ispName);
    for (const auto &[entry, typed] :
        {std::pair {Store::LoginPassword, password}, std::pair {Store::IspName, ispName}}) {
        const std::optional<QByteArray> sent
            = ansiValue(store().keyOf(Store::application(), entry.sectionName()), entry.key);
        QVERIFY(sent);
        if (const std::optional<QByteArray> ansi = SystemText::encode(typed))
            QCOMPARE(*sent, *ansi);
    }
    // The template crosses with its CR LF line ends.
    const QString message
        = QString::fromUtf8("@Dear %username%,\r\n\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 %IP%\r\n");
    QVERIFY(m_fixture->store().WriteSetting(Store::Message, message).ok());
    m_fixture->open();
    m_fixture->showTab(0);
    m_fixture->click("savebtn");
    QCOMPARE(m_fixture->store().ReadSetting(Store::Message), message);
    const std::optional<QByteArray> sent
        = ansiValue(store().keyOf(Store::application(), "setting"), "message");
    QVERIFY(sent);
    QVERIFY(sent->startsWith("@Dear %username%,\r\n"));
}

void TestWindows::registryRefusals_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a NUL in the value")
        << "setting"
        << "ISPName" << QString::fromLatin1("a\0b", 3) << "NUL character";
    QTest::newRow("a backslash in the section") << "set\\ting"
                                                << "ISPName"
                                                << "v"
                                                << "cannot be used as a registry name";
    QTest::newRow("an empty key") << "setting"
                                  << ""
                                  << "v"
                                  << "cannot be used as a registry name";
    QTest::newRow("more than 1 MB") << "setting"
                                    << "message" << QString(600 * 1024, 'm') << "larger than 1 MB";
}

void TestWindows::registryRefusals()
{
    // Said plainly, and nothing written.
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, reason);
    const WriteResult result = store().WriteSetting(Store::application(), section, key, value);
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(store().ReadSetting(Store::application(), section, key), QString());
}

void TestWindows::valueThatIsNotText()
{
    // Another program left a number where a text belongs: read as "", and said.
    QVERIFY(store().WriteSetting(Store::LoginUser, "x").ok());
    HKEY key = nullptr;
    QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER,
                 reinterpret_cast<LPCWSTR>(store().keyOf(Store::application(), "ODBC").utf16()), 0,
                 KEY_SET_VALUE, &key),
        LONG(ERROR_SUCCESS));
    const DWORD number = 7;
    RegSetValueExW(key, L"UserDBLoginUser", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
        sizeof number);
    RegCloseKey(key);
    QString problem;
    QCOMPARE(store().readSetting(Store::LoginUser, problem), QString());
    QVERIFY2(problem.contains("not text"), qPrintable(problem));
}

void TestWindows::readOnlyAttribute()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray contents = "[Options]\r\nAccountingScript=old\r\n";
    TestFiles::write(path, contents);
    const std::wstring name = path.toStdWString();
    QVERIFY(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const QByteArray &value : {QByteArray("new"), QByteArray("old")}) {
        const WriteResult result
            = INI_Files::WriteIniValue(path, "Options", "AccountingScript", value);
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains("read-only") && result.error.contains(path),
            qPrintable(result.error));
    }
    QCOMPARE(TestFiles::read(path), contents);
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "AccountingScript"), QByteArray("old"));
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void TestWindows::devicesAreNeverOpened_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("CON") << "CON";
    QTest::newRow("con in a folder, with an extension") << "C:\\Zentaro\\con.ini";
    QTest::newRow("NUL") << "nul";
    QTest::newRow("COM1") << "COM1";
    QTest::newRow("LPT1 with blanks") << "lpt1 .ini";
    QTest::newRow("AUX") << "Aux";
    QTest::newRow("CONIN$") << "CONIN$";
    QTest::newRow("a device path") << "\\\\.\\PhysicalDrive0";
    QTest::newRow("a pipe") << "\\\\.\\pipe\\zentaro";
    QTest::newRow("a device after \\\\?\\") << "\\\\?\\GLOBALROOT\\Device\\Null";
}

void TestWindows::devicesAreNeverOpened()
{
    // Reading returns at once with nothing; writing is refused in plain words.
    QFETCH(QString, path);
    QString reason;
    QByteArray contents;
    QCOMPARE(
        FileIo::readRegularFile(path, contents, 1024, &reason), FileIo::ReadStatus::NotRegular);
    QCOMPARE(reason, QString("it is a device, not an ordinary file"));
    QCOMPARE(INI_Files::ReadIniValue(path, "ODBC", "UserDBDatasource"), QByteArray());
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains("device"), qPrintable(result.error));
}

void TestWindows::replaceKeepsAclAndAttributes()
{
    // ReplaceFileW keeps what the file carries: an access list of its own
    // (here: no inherited entries, Everyone may read) and its attributes.
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath("Zentaro.ini"));
    TestFiles::write(path, "[Options]\r\nAccountingScript=old\r\n");
    PSECURITY_DESCRIPTOR wanted = nullptr;
    QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;WD)", SDDL_REVISION_1, &wanted, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(wanted, &present, &dacl, &defaulted);
    const std::wstring name = path.toStdWString();
    QCOMPARE(SetNamedSecurityInfoW(const_cast<LPWSTR>(name.c_str()), SE_FILE_OBJECT,
                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                 dacl, nullptr),
        DWORD(ERROR_SUCCESS));
    LocalFree(wanted);
    QVERIFY(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Windows keeps the list as set; Wine makes one from the file's Unix
    // permission bits, which the replace must keep as well.
    const QString before = daclOf(path);
    QVERIFY2(before.contains("WD)"), qPrintable(before)); // Everyone may read

    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new");
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(TestFiles::read(path), QByteArray("[Options]\r\nAccountingScript=new\r\n"));
    QCOMPARE(daclOf(path), before);
    QVERIFY(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void TestWindows::leftoversOfAKilledWriter()
{
    // New contents a killed writer left are cleared away; old contents it
    // left (the file itself, moved aside by ReplaceFileW) stop every write
    // until the operator has seen to them.
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath("Zentaro.ini"));
    TestFiles::write(path, "[Options]\r\nAccountingScript=old\r\n");
    TestFiles::write(dir.filePath(".welcora-abc.tmp"), "half a new file");
    QVERIFY(INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new").ok());
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});

    const QString oldCopy = QDir::toNativeSeparators(dir.filePath(".welcora-def.old.tmp"));
    TestFiles::write(oldCopy, "[Options]\r\nAccountingScript=older\r\n");
    const WriteResult refused = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "v");
    QVERIFY(!refused.ok());
    QVERIFY2(refused.error.contains(oldCopy), qPrintable(refused.error));
    QCOMPARE(TestFiles::read(path), QByteArray("[Options]\r\nAccountingScript=new\r\n"));
    QCOMPARE(TestFiles::read(oldCopy), QByteArray("[Options]\r\nAccountingScript=older\r\n"));
}

void TestWindows::replaceCutShortKeepsTheOldContents_data()
{
    // What stands in the way of putting the file back, once ReplaceFileW has
    // moved it aside and failed to move the new one in.
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("nothing: it is put back") << "none";
    QTest::newRow("another program made the file anew") << "new file";
    QTest::newRow("a reader holds the moved copy open") << "reader";
}

void TestWindows::replaceCutShortKeepsTheOldContents()
{
    QFETCH(QString, obstacle);
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath("Zentaro.ini"));
    const QByteArray old
        = "[ODBC]\r\nUserDBDatasource=zen\r\n[Options]\r\nAccountingScript=old\r\n";
    TestFiles::write(path, old);
    HANDLE reader = INVALID_HANDLE_VALUE;
    FileIo::Windows::setReplaceFileForTests(
        [&](const std::wstring &target, const std::wstring &, const std::wstring &backup) {
            // The first half of a replace: the file moved aside.
            MoveFileExW(target.c_str(), backup.c_str(), 0);
            if (obstacle == "new file")
                TestFiles::write(path, "[Other]\r\nwritten=by another program\r\n");
            if (obstacle == "reader")
                reader = CreateFileW(backup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
            return false;
        });
    const WriteResult result = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new");
    FileIo::Windows::setReplaceFileForTests({});
    if (reader != INVALID_HANDLE_VALUE)
        CloseHandle(reader);

    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(path), qPrintable(result.error));
    QStringList copies = TestFiles::entries(dir.path()).filter(".old.tmp");
    if (obstacle == "none") {
        // Whole under its own name, and nothing else left.
        QCOMPARE(TestFiles::read(path), old);
        QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
        return;
    }
    // The old contents are kept in a copy the message names.
    QCOMPARE(copies.size(), 1);
    const QString copy = QDir::toNativeSeparators(dir.filePath(copies.first()));
    QCOMPARE(TestFiles::read(copy), old);
    QVERIFY2(
        result.error.contains("its contents from before this write are kept in \"" + copy + "\""),
        qPrintable(result.error));
    // And the next write stops until the operator has seen to it.
    const WriteResult next = INI_Files::WriteIniValue(path, "Options", "AccountingScript", "new");
    QVERIFY(!next.ok());
    QVERIFY2(next.error.contains(copy), qPrintable(next.error));
    QCOMPARE(TestFiles::read(copy), old);
}

void TestWindows::codePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("in1252"); // empty: 1252 cannot hold it
    QTest::addColumn<QByteArray>("in1256");
    QTest::newRow("ascii") << "Example Net" << QByteArray("Example Net")
                           << QByteArray("Example Net");
    QTest::newRow("e acute, in both")
        << QString::fromUtf8("caf\xC3\xA9") << QByteArray("caf\xE9") << QByteArray("caf\xE9");
    QTest::newRow("euro sign, in both")
        << QString::fromUtf8("\xE2\x82\xAC") << QByteArray("\x80") << QByteArray("\x80");
    QTest::newRow("Arabic, in 1256 only")
        << QString::fromUtf8("\xD8\xA8") << QByteArray() << QByteArray("\xC8");
    QTest::newRow("a with ring, in 1252 only")
        << QString::fromUtf8("\xC3\xA5") << QByteArray("\xE5") << QByteArray();
    // Best fit would write "A" or "?": refused instead.
    QTest::newRow("A with macron, in neither")
        << QString::fromUtf8("\xC4\x80") << QByteArray() << QByteArray();
}

void TestWindows::codePage()
{
    // The code page is the system's (Wine takes it from LANG): the same rows
    // run under 1252 and 1256.
    QFETCH(QString, text);
    QFETCH(QByteArray, in1252);
    QFETCH(QByteArray, in1256);
    const UINT page = GetACP();
    if (page != 1252 && page != 1256)
        QSKIP("these rows are for the code pages 1252 and 1256");
    const QByteArray expected = page == 1252 ? in1252 : in1256;
    QCOMPARE(SystemText::name(), QString("the Windows code page %1").arg(page));
    const std::optional<QByteArray> encoded = SystemText::encode(text);
    QCOMPARE(encoded.has_value(), !expected.isEmpty());
    if (!encoded)
        return;
    QCOMPARE(*encoded, expected);
    QCOMPARE(SystemText::decode(*encoded), std::optional<QString>(text));

    // Into Zentaro.ini and out again through Discover, byte for byte; the
    // platform's reader agrees.
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    QVERIFY(INI_Files::WriteIniValue(path, "ODBC", "UserDBLoginUser", *encoded).ok());
    QCOMPARE(TestFiles::platformIniValue(path, "ODBC", "UserDBLoginUser"),
        std::optional<QByteArray>(*encoded));
    m_fixture->open();
    m_fixture->find<QLineEdit>("IniFilePath")->setText(path);
    readModals([&] { m_fixture->click("update"); });
    QCOMPARE(m_fixture->find<QLineEdit>("Text7")->text(), text);
}

void TestWindows::programFolder()
{
    // As Windows spells it: backslashes, and the sender's line built on it.
    const QString folder = FileIo::programFolder().display();
    QVERIFY2(
        folder.size() > 3 && folder[1] == ':' && !folder.contains('/') && !folder.endsWith('\\'),
        qPrintable(folder));
    QVERIFY(QFileInfo::exists(folder + "\\tst_windows.exe"));
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
