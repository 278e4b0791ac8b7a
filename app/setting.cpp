#include "setting.h"

#include "ButtonKeys.h"
#include "DefaultTemplate.h"
#include "FileDialog.h"
#include "Fonts.h"
#include "MessagePreview.h"
#include "PasswordBox.h"
#include "SettingsStore.h"
#include "Skin.h"
#include "TabControl.h"
#include "TemplateBox.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTimer>

using namespace WindowLayout;

setting::setting(SettingsStore &store, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_programFolder(FileIo::programFolder())
{
    setObjectName(QStringLiteral("setting"));
    setWindowTitle(QStringLiteral("Welcora V2.0 Setting"));
    setWindowIcon(QIcon(QStringLiteral(":/welcora.png")));
    // The dialog font the layout was drawn with; controls without a font of
    // their own use it.
    setFont(Fonts::dialogFont());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientSize);
    setCentralWidget(client);
    m_tabs = new TabControl(
        {QStringLiteral("Message"), QStringLiteral("Setting"), QStringLiteral("About")},
        tabRowHeight, client);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->setGeometry(tabControl);
    m_tabs->tabBar()->setFont(Fonts::dialogFont());

    m_skin = new Skin(this);
    m_skin->setObjectName(QStringLiteral("Skin1"));
    m_cd1 = new FileDialog(QStringLiteral("Find Zentaro Directory"), this);
    m_cd1->setObjectName(QStringLiteral("CD1"));
    m_cd1->setFilter(QStringLiteral("*.ini"));

    buildControls();
    buildMenus();
    m_tabs->setCurrentIndex(SettingPage);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Load();
    ensurePolished(); // sizes below depend on the skin
    fitLabelsToTheirBoxes();
    centreOnScreen();
    m_tabs->setFocus();
}

setting::~setting()
{
    // A connection attempt still under way is given up with the window.
    if (m_attempt)
        QApplication::restoreOverrideCursor();
}

void setting::buildControls()
{
    for (const Control &c : controls()) {
        QWidget *page = m_tabs->page(c.page);
        const QString caption = QString::fromLatin1(c.caption);
        QWidget *widget = nullptr;
        switch (c.kind) {
        case Kind::Label:
            widget = new QLabel(caption, page);
            break;
        case Kind::TextBox:
            widget = new QLineEdit(caption, page);
            break;
        case Kind::PasswordBox:
            widget = new PasswordBox(page);
            break;
        case Kind::TemplateBox: {
            auto *box = new TemplateBox(page);
            box->setLineWrapMode(QPlainTextEdit::NoWrap);
            box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->setTabChangesFocus(true);
            box->setFont(Fonts::dialogFont());
            box->setTemplate(defaultTemplate());
            widget = box;
            break;
        }
        case Kind::Button: {
            auto *button = new QPushButton(caption, page);
            ButtonKeys::install(button);
            widget = button;
            break;
        }
        }
        widget->setObjectName(QString::fromLatin1(c.name));
        widget->setGeometry(pixels(c));
    }

    auto *title = findChild<QLabel *>(QStringLiteral("Label2"));
    title->setFont(Fonts::titleFont());
    m_message = findChild<TemplateBox *>(QStringLiteral("message"));
    m_iniFilePath = findChild<QLineEdit *>(QStringLiteral("IniFilePath"));
    m_text6 = findChild<QLineEdit *>(QStringLiteral("Text6"));
    m_text7 = findChild<QLineEdit *>(QStringLiteral("Text7"));
    m_text8 = findChild<PasswordBox *>(QStringLiteral("Text8"));
    m_text9 = findChild<QLineEdit *>(QStringLiteral("Text9"));

    auto button
        = [this](const char *name) { return findChild<QPushButton *>(QString::fromLatin1(name)); };
    connect(button("testbtn"), &QPushButton::clicked, this, &setting::testMessage);
    connect(button("reloadbtn"), &QPushButton::clicked, this, &setting::reloadMessage);
    connect(button("savebtn"), &QPushButton::clicked, this, &setting::saveMessage);
    connect(button("Brows"), &QPushButton::clicked, this, &setting::browse);
    connect(button("update"), &QPushButton::clicked, this, &setting::discover);
    connect(button("save"), &QPushButton::clicked, this, &setting::saveConfiguration);

    describeForAccessibility();
    offerDataSources();

    QWidget *previous = m_tabs->tabBar();
    for (const QString &name : focusChain()) {
        QWidget *next = findChild<QWidget *>(name);
        setTabOrder(previous, next);
        previous = next;
    }
}

void setting::describeForAccessibility()
{
    // A box is named by the label beside it, which also takes its mnemonic.
    for (const Control &c : controls()) {
        if (c.kind != Kind::Label || !c.names)
            continue;
        auto *label = findChild<QLabel *>(QString::fromLatin1(c.name));
        QWidget *box = findChild<QWidget *>(QString::fromLatin1(c.names));
        label->setBuddy(box);
        box->setAccessibleName(label->text());
    }
    m_message->setAccessibleName(QStringLiteral("Welcome message"));
    m_message->setAccessibleDescription(
        QStringLiteral("The message the sender sends. It fills in %username%, %IP%, %TimeInit% "
                       "and %timeleft%."));
    static const struct
    {
        const char *name;
        const char *description;
    } buttons[] = {
        {"savebtn", "Stores the welcome message."},
        {"reloadbtn", "Brings back the stored welcome message."},
        {"testbtn", "Shows the welcome message as it stands."},
        {"Brows", "Finds Zentaro.ini with a file dialog."},
        {"update", "Reads the user database settings from Zentaro.ini."},
        {"save", "Stores the settings and tells Zentaro to run the sender."},
    };
    for (const auto &b : buttons) {
        // Its caption is its accessible name already.
        findChild<QPushButton *>(QString::fromLatin1(b.name))
            ->setAccessibleDescription(QString::fromLatin1(b.description));
    }
}

void setting::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("Filemenu"));
    auto item = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    connect(item(file, "svconf", QStringLiteral("Save Message")), &QAction::triggered, this,
        &setting::saveMessage);
    connect(item(file, "re", QStringLiteral("Reload Message")), &QAction::triggered, this,
        &setting::reloadMessage);
    connect(item(file, "savconfig", QStringLiteral("Save Configuration")), &QAction::triggered,
        this, &setting::saveConfiguration);
    m_testConnection = item(file, "testconn", QStringLiteral("&Test Connection"));
    connect(m_testConnection, &QAction::triggered, this, &setting::testConnection);
    file->addSeparator()->setObjectName(QStringLiteral("sep"));
    connect(item(file, "ext", QStringLiteral("Exit")), &QAction::triggered, this,
        &setting::exitProgram);

    // Help has nothing to show yet: greyed, and its items do nothing.
    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("help1"));
    item(help, "Help2", QStringLiteral("Help"));
    item(help, "About", QStringLiteral("About"));
    help->setEnabled(false);
}

void setting::fitLabelsToTheirBoxes()
{
    // Labels size themselves to their captions; where the font at hand is
    // wider than the one the layout was drawn with, shrink the caption rather
    // than let it run under its box.
    for (const Control &c : controls()) {
        if (!c.autoSize)
            continue;
        auto *label = findChild<QLabel *>(QString::fromLatin1(c.name));
        auto sizeToCaption = [label] {
            label->adjustSize();
            // The full advance, so a closing ':' is never clipped.
            label->resize(
                qMax(label->width(), label->fontMetrics().horizontalAdvance(label->text())),
                label->height());
        };
        sizeToCaption();
        const QWidget *box = findChild<QWidget *>(QString::fromLatin1(c.names));
        const int room = box->x() - label->x() - 2;
        QFont font = label->font();
        while (label->width() > room && font.pointSizeF() > 6) {
            font.setPointSizeF(font.pointSizeF() - 0.25);
            label->setFont(font);
            sizeToCaption();
        }
    }
}

void setting::centreOnScreen()
{
    adjustSize();
    if (const QScreen *where = screen())
        setGeometry(QStyle::alignedRect(
            Qt::LeftToRight, Qt::AlignCenter, size(), where->availableGeometry()));
}

QString setting::read(const StoreEntry &entry, const QWidget *box, QStringList &problems) const
{
    QString problem;
    const QString value = m_store.readSetting(entry, problem);
    if (!problem.isEmpty())
        problems.append(QStringLiteral("%1 was not loaded: %2.").arg(operatorName(box), problem));
    return value;
}

bool setting::write(
    const StoreEntry &entry, const QString &value, const QWidget *box, QStringList &errors)
{
    const WriteResult result = m_store.WriteSetting(entry, value);
    if (!result.ok())
        errors.append(QStringLiteral("%1 was not saved. %2").arg(operatorName(box), result.error));
    return result.ok();
}

void setting::showErrors(const QStringList &errors)
{
    if (!errors.isEmpty())
        showBox(QMessageBox::Critical, errors.join(QLatin1Char('\n')));
}

void setting::showBox(QMessageBox::Icon icon, const QString &text)
{
    QMessageBox box(icon, applicationName(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    // Ctrl+C copies what the box says (a driver's words, a path) on every
    // platform, as Windows' own boxes do.
    auto *copy = new QShortcut(QKeySequence::Copy, &box);
    connect(copy, &QShortcut::activated, &box,
        [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

void setting::Load()
{
    m_skin->apply(this);
    QStringList problems;
    const QString stored = read(Store::Message, m_message, problems);
    if (!stored.isEmpty())
        m_message->setTemplate(stored);
    m_iniFilePath->setText(read(Store::IniFilePath, m_iniFilePath, problems));
    for (const DatabaseBox &v : databaseBoxes())
        v.box->setText(read(v.entry, v.box, problems));
    m_text9->setText(read(Store::IspName, m_text9, problems));
    if (!problems.isEmpty()) {
        // Told once the window is up: its boxes show what a first start would.
        problems.append(QStringLiteral(
            "Those boxes show what they would on a first start; the stored values are unchanged "
            "until you save."));
        QTimer::singleShot(0, this, [this, problems] { showErrors(problems); });
    }
}

QString setting::operatorName(const QWidget *box) const
{
    // As the operator knows it: the label beside the box, or the box's own name.
    return box->accessibleName().remove(QLatin1Char(':'));
}

void setting::testMessage()
{
    // Shown as it stands: the sender fills the placeholders, not this program.
    showMessagePreview(m_message->templateText(), this);
}

void setting::reloadMessage()
{
    QStringList problems;
    m_message->setTemplate(read(Store::Message, m_message, problems));
    showErrors(problems);
}

void setting::saveMessage()
{
    QStringList errors;
    write(Store::Message, m_message->templateText(), m_message, errors);
    showErrors(errors);
}

void setting::exitProgram()
{
    close();
    QCoreApplication::quit();
}
