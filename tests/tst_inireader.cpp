// What ReadIniValue finds in a host INI file: the same entries the Windows
// profile reader finds.

#include "INI_Files.h"
#include "SystemText.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

// Rows of the reader's table where Wine's GetPrivateProfileStringA does not
// give what docs/ini-rules.md (Windows' behaviour) says, with its rule there.
const QStringList WineDiffers = {
    "';' line is a comment", // reading 4: a ';' line never matches; Wine finds ";k"
    "header without ']'", // reading 5: still a header; Wine ignores the line
    "empty section", // reading 5: "[]" is the section ""; Wine finds nothing
    "keys before any header are unreachable", // reading 7; Wine gives them to section ""
    "tabs around arguments are not", // reading 8: only spaces are ignored; Wine trims tabs too
    "utf-16be is not understood", // reading 13, writing 10; Wine reads UTF-16BE
    // Not Wine alone: the platform gives '?' for what the code page cannot
    // hold; we give "" rather than a changed value.
    "utf-16le",
    // Reading 11 counts the 254 bytes after the quotes; the platform's reader
    // gives 253 (which is why the writer refuses such a value: writing 12).
    "counted after quotes",
};

class TestIniReader : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data();
    void parsing();
    void truncation_data();
    void truncation();
    void missingOrUnusableFiles_data();
    void missingOrUnusableFiles();
    void readingChangesNothing();
};

void TestIniReader::parsing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    // Line ends
    QTest::newRow("crlf") << QByteArray("[S]\r\nk=v\r\n") << QByteArray("S") << QByteArray("k")
                          << QByteArray("v");
    QTest::newRow("lf") << QByteArray("[S]\nk=v\n") << QByteArray("S") << QByteArray("k")
                        << QByteArray("v");
    QTest::newRow("lone cr") << QByteArray("[S]\rk=v\rx=y") << QByteArray("S") << QByteArray("k")
                             << QByteArray("v");
    QTest::newRow("lfcr") << QByteArray("[S]\n\rk=v\n\r") << QByteArray("S") << QByteArray("k")
                          << QByteArray("v");
    QTest::newRow("mixed, no final line end")
        << QByteArray("[A]\r\na=1\n[S]\rj=0\n\r\nk=v") << QByteArray("S") << QByteArray("k")
        << QByteArray("v");
    // Trimming and blank lines
    QTest::newRow("blanks around line") << QByteArray(" \t\v\f[S]\x1A \n\t k \t= \x1A v w \f\v\n")
                                        << QByteArray("S") << QByteArray("k") << QByteArray("v w");
    QTest::newRow("blank lines ignored") << QByteArray("\n\n[S]\n\n  \n\tk=v\n") << QByteArray("S")
                                         << QByteArray("k") << QByteArray("v");
    // NUL bytes end names and values, not lines
    QTest::newRow("nul in value") << QByteArray("[S]\nk1=ab\0cd\n", 12) << QByteArray("S")
                                  << QByteArray("k1") << QByteArray("ab");
    QTest::newRow("nul in key") << QByteArray("[S]\nk\0"
                                              "2=x\n",
        10) << QByteArray("S") << QByteArray("k")
                                << QByteArray("x");
    QTest::newRow("nul in section")
        << QByteArray("[S\0x]\nk=x\n", 11) << QByteArray("S") << QByteArray("k") << QByteArray("x");
    QTest::newRow("nul ends the value before quotes are removed")
        << QByteArray("[S]\nk=\"x\"\0junk\"\n", 15) << QByteArray("S") << QByteArray("k")
        << QByteArray("x");
    QTest::newRow("blanks before a nul are kept") << QByteArray("[S]\nk= ab  \0cd\n",
        15) << QByteArray("S") << QByteArray("k") << QByteArray("ab  ");
    QTest::newRow("nul before '=' still splits")
        << QByteArray("[S]\nk\0a=x\n", 10) << QByteArray("S") << QByteArray("k") << QByteArray("x");
    // Comments
    QTest::newRow("';' line is a comment")
        << QByteArray("[S]\n;k=v\n") << QByteArray("S") << QByteArray(";k") << QByteArray("");
    QTest::newRow("'#' is not a comment")
        << QByteArray("[S]\n#k=v\n") << QByteArray("S") << QByteArray("#k") << QByteArray("v");
    QTest::newRow("nothing after a value is a comment")
        << QByteArray("[S]\nk=abc ; note\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("abc ; note");
    QTest::newRow("commented key does not hide the real one")
        << QByteArray("[S]\n;k=old\nk=new\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("new");
    // Section headers
    QTest::newRow("spaces in header") << QByteArray("[  ODBC  ]\nk=v\n") << QByteArray("ODBC")
                                      << QByteArray("k") << QByteArray("v");
    QTest::newRow("text after header") << QByteArray("[ODBC] trailing\nk=v\n") << QByteArray("ODBC")
                                       << QByteArray("k") << QByteArray("v");
    QTest::newRow("header without ']'")
        << QByteArray("[ODBC \nk=v\n") << QByteArray("ODBC") << QByteArray("k") << QByteArray("v");
    QTest::newRow("'[' inside a line is no header")
        << QByteArray("[A]\nx=[S]\n; [S]\n[S]\nk=v\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("header after a lone cr")
        << QByteArray("[A]\rx=1\r\x1A [S]\rk=v") << QByteArray("S") << QByteArray("k")
        << QByteArray("v");
    QTest::newRow("header with '='")
        << QByteArray("[a=b]\nk=v\n") << QByteArray("a=b") << QByteArray("k") << QByteArray("v");
    // Keys and values
    QTest::newRow("split at first '='") << QByteArray("[S]\na = b = c\n") << QByteArray("S")
                                        << QByteArray("a") << QByteArray("b = c");
    QTest::newRow("key without '='")
        << QByteArray("[S]\nk\nk=v\n") << QByteArray("S") << QByteArray("k") << QByteArray("");
    QTest::newRow("empty key") << QByteArray("[S]\n=v\n") << QByteArray("S") << QByteArray("")
                               << QByteArray("v");
    QTest::newRow("empty section")
        << QByteArray("[]\nk=v\n") << QByteArray("") << QByteArray("k") << QByteArray("v");
    QTest::newRow("keys before any header are unreachable")
        << QByteArray("k=v\n[S]\n") << QByteArray("") << QByteArray("k") << QByteArray("");
    QTest::newRow("key in another section")
        << QByteArray("[A]\nk=v\n[S]\n") << QByteArray("S") << QByteArray("k") << QByteArray("");
    QTest::newRow("missing section")
        << QByteArray("[A]\nk=v\n") << QByteArray("S") << QByteArray("k") << QByteArray("");
    // Matching
    QTest::newRow("case-insensitive section")
        << QByteArray("[ODBC]\nk=v\n") << QByteArray("odbc") << QByteArray("k") << QByteArray("v");
    QTest::newRow("case-insensitive key")
        << QByteArray("[S]\nUserDBLoginUser=v\n") << QByteArray("S")
        << QByteArray("USERDBLOGINUSER") << QByteArray("v");
    QTest::newRow("only ASCII letters fold")
        << QByteArray("[S]\n\xC3\x89t\xC3\xA9=v\n") << QByteArray("S")
        << QByteArray("\xC3\xA9t\xC3\xA9") << QByteArray("");
    QTest::newRow("spaces around arguments ignored")
        << QByteArray("[S]\nk=v\n") << QByteArray("  S ") << QByteArray(" k  ") << QByteArray("v");
    QTest::newRow("tabs around arguments are not")
        << QByteArray("[S]\nk=v\n") << QByteArray("\tS") << QByteArray("k") << QByteArray("");
    // Duplicates
    QTest::newRow("first section block wins")
        << QByteArray("[S]\na=1\n[T]\n[S]\nk=2\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("");
    QTest::newRow("first key wins")
        << QByteArray("[S]\nk=1\nK=2\n") << QByteArray("S") << QByteArray("k") << QByteArray("1");
    QTest::newRow("differently spelled duplicate")
        << QByteArray("[s]\nk=1\n[S]\nk=2\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("1");
    // Quotes
    QTest::newRow("double quotes") << QByteArray("[S]\nk=\"  x  \"\n") << QByteArray("S")
                                   << QByteArray("k") << QByteArray("  x  ");
    QTest::newRow("single quotes")
        << QByteArray("[S]\nk='x'\n") << QByteArray("S") << QByteArray("k") << QByteArray("x");
    QTest::newRow("one pair only") << QByteArray("[S]\nk=\"\"a\"\"\n") << QByteArray("S")
                                   << QByteArray("k") << QByteArray("\"a\"");
    QTest::newRow("unmatched quotes kept")
        << QByteArray("[S]\nk=\"x'\n") << QByteArray("S") << QByteArray("k") << QByteArray("\"x'");
    QTest::newRow("lone quote kept")
        << QByteArray("[S]\nk=\"\n") << QByteArray("S") << QByteArray("k") << QByteArray("\"");
    QTest::newRow("empty quotes") << QByteArray("[S]\nk=\"\"\n") << QByteArray("S")
                                  << QByteArray("k") << QByteArray("");
    QTest::newRow("quotes inside kept") << QByteArray("[S]\nk=a\"b\"\n") << QByteArray("S")
                                        << QByteArray("k") << QByteArray("a\"b\"");
    // Encodings
    QTest::newRow("utf-8 byte-order mark") << QByteArray("\xEF\xBB\xBF[S]\nk=v\n")
                                           << QByteArray("S") << QByteArray("k") << QByteArray("v");
    QTest::newRow("utf-8 text") << QByteArray("[S]\nk=\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85\n")
                                << QByteArray("S") << QByteArray("k")
                                << QByteArray("\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85");
    QTest::newRow("utf-16le")
        << TestFiles::utf16le(
               QStringLiteral("[ODBC]\r\nUserDBLoginUser = \u0633\u0644\u0627\u0645\r\n"))
        << QByteArray("odbc")
        << QByteArray("userdbloginuser")
        // as the system's 8-bit text, where it can hold it
        << SystemText::encode(QStringLiteral("\u0633\u0644\u0627\u0645")).value_or(QByteArray());
    QTest::newRow("utf-16be is not understood")
        << QByteArrayLiteral("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0v\0\n") << QByteArray("S")
        << QByteArray("k") << QByteArray();
    QTest::newRow("bytes that are not utf-8")
        << QByteArray("[S]\nk=\xFF\xFE\x80\n") << QByteArray("S") << QByteArray("k")
        << QByteArray("\xFF\xFE\x80");
    QTest::newRow("empty file") << QByteArray() << QByteArray("S") << QByteArray("k")
                                << QByteArray("");
}

void TestIniReader::parsing()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, file);
    QCOMPARE(INI_Files::ReadIniValue(path, section, key), expected);

    // On Windows, the platform's own reader is the measure, but for the rows
    // where Wine's differs from Windows (docs/ini-rules.md follows Windows).
    const std::optional<QByteArray> platform = TestFiles::platformIniValue(path, section, key);
    if (platform && !WineDiffers.contains(QString::fromUtf8(QTest::currentDataTag())))
        QCOMPARE(*platform, expected);
}

void TestIniReader::truncation_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray a253(253, 'a');
    QTest::newRow("254 bytes kept") << QByteArray(254, 'x') << QByteArray(254, 'x');
    QTest::newRow("300 bytes cut to 254") << QByteArray(300, 'x') << QByteArray(254, 'x');
    QTest::newRow("counted after quotes")
        << '"' + QByteArray(254, 'x') + '"' << QByteArray(254, 'x');
    QTest::newRow("two-byte letter not split") << a253 + "\xC3\xA9zz" << a253;
    QTest::newRow("two-byte letter that fits")
        << QByteArray(252, 'a') + "\xC3\xA9zz" << QByteArray(252, 'a') + "\xC3\xA9";
    QTest::newRow("four-byte letter not split")
        << QByteArray(252, 'a') + "\xF0\x9F\x98\x80" << QByteArray(252, 'a');
    QTest::newRow("invalid bytes cut exactly") << a253 + "\xC3\x28zz" << a253 + "\xC3";
    QTest::newRow("stray continuation bytes cut exactly") << a253 + "\x80\x80\x80" << a253 + "\x80";
}

void TestIniReader::truncation()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);

    // In a single-byte code page (Windows) every byte is a character: the
    // cut is at exactly 254 bytes.
    if (SystemText::name() != QLatin1String("UTF-8") && !value.startsWith('"'))
        expected = value.left(INI_Files::MaxValueBytes);

    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    TestFiles::write(path, "[S]\r\nk=" + value + "\r\n");
    QCOMPARE(INI_Files::ReadIniValue(path, "S", "k"), expected);
    const auto platform = TestFiles::platformIniValue(path, "S", "k");
    if (platform && !WineDiffers.contains(QString::fromUtf8(QTest::currentDataTag())))
        QCOMPARE(*platform, expected);

    // In a UTF-16 file the limit applies to the result in the system's text.
    const std::optional<QString> text = SystemText::decode(value);
    if (text && SystemText::encode(*text) == value) {
        TestFiles::write(path, TestFiles::utf16le("[S]\r\nk=" + *text + "\r\n"));
        QCOMPARE(INI_Files::ReadIniValue(path, "S", "k"), expected);
    }
}

// A path that holds no readable INI file; each is set up in one switch.
enum class Unusable { EmptyPath, MissingFile, MissingFolder, Folder, Fifo, Device, Unreadable };

void TestIniReader::missingOrUnusableFiles_data()
{
    QTest::addColumn<Unusable>("unusable");
    QTest::newRow("empty path") << Unusable::EmptyPath;
    QTest::newRow("missing file") << Unusable::MissingFile;
    QTest::newRow("missing folder") << Unusable::MissingFolder;
    QTest::newRow("folder") << Unusable::Folder;
    QTest::newRow("fifo") << Unusable::Fifo;
    QTest::newRow("device") << Unusable::Device;
    QTest::newRow("unreadable (a normal user)") << Unusable::Unreadable;
}

void TestIniReader::missingOrUnusableFiles()
{
    QFETCH(Unusable, unusable);
    QTemporaryDir dir;
    QString path = dir.filePath("Zentaro.ini");
    switch (unusable) {
    case Unusable::EmptyPath:
        path.clear();
        break;
    case Unusable::MissingFile:
        break;
    case Unusable::MissingFolder:
        path = dir.filePath("nowhere/Zentaro.ini");
        break;
    case Unusable::Folder:
        QVERIFY(QDir(dir.path()).mkdir("Zentaro.ini"));
        break;
    case Unusable::Fifo: // no writer: must not block
#ifdef Q_OS_WIN
        QSKIP("FIFOs are POSIX; Windows devices and pipes have rows of their own");
#else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
        break;
    case Unusable::Device:
#ifdef Q_OS_WIN
        path = "CON"; // the console: reading it would wait for typing
#else
        path = "/dev/zero";
#endif
        break;
    case Unusable::Unreadable:
#ifdef Q_OS_WIN
        QSKIP("permission bits are POSIX; Windows has ACLs, set by a row of their own");
#endif
        if (TestFiles::isRoot())
            QSKIP("root can read any file");
        TestFiles::write(path, "[ODBC]\nUserDBDatasource=x\n");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        break;
    }
    const QStringList before = TestFiles::entries(dir.path());
    QCOMPARE(INI_Files::ReadIniValue(path, "ODBC", "UserDBDatasource"), QByteArray());
    QCOMPARE(TestFiles::entries(dir.path()), before);
}

void TestIniReader::readingChangesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Zentaro.ini");
    const QByteArray contents = "[ODBC]\r\nUserDBDatasource=zen\r\n";
    TestFiles::write(path, contents);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    const QDateTime modified = QFileInfo(path).lastModified();
    QCOMPARE(INI_Files::ReadIniValue(path, "ODBC", "UserDBDatasource"), QByteArray("zen"));
    QCOMPARE(INI_Files::ReadIniValue(path, "Options", "AccountingScript"), QByteArray());
    QCOMPARE(TestFiles::read(path), contents);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadOwner | QFileDevice::WriteOwner),
        QFileDevice::ReadOwner);
    QCOMPARE(TestFiles::entries(dir.path()), QStringList {"Zentaro.ini"});
}

QTEST_GUILESS_MAIN(TestIniReader)
#include "tst_inireader.moc"
