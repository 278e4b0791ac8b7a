#include "TabControl.h"

#include <QFrame>
#include <QShortcut>
#include <QTabBar>

TabControl::TabControl(const QStringList &captions, int tabRowHeight, QWidget *parent)
    : QWidget(parent)
    , m_tabBar(new QTabBar(this))
    , m_pane(new QFrame(this))
    , m_tabRowHeight(tabRowHeight)
{
    m_pane->setObjectName(QStringLiteral("pane"));
    m_pane->setFrameShape(QFrame::StyledPanel);
    for (int i = 0; i < captions.size(); ++i) {
        auto *page = new QWidget(this);
        page->setObjectName(QStringLiteral("page%1").arg(i));
        page->hide();
        m_pages.append(page);
        m_tabBar->addTab(captions[i]);
    }
    m_tabBar->setObjectName(QStringLiteral("tabs"));
    m_tabBar->setExpanding(true);
    m_tabBar->setDrawBase(false);
    m_tabBar->setFocusPolicy(Qt::TabFocus);
    m_tabBar->raise(); // the pages cover the whole control; the tab row stays clickable
    setFocusProxy(m_tabBar);
    connect(m_tabBar, &QTabBar::currentChanged, this, &TabControl::showPage);
    showPage(m_tabBar->currentIndex());

    // As in tab widgets: the next or previous tab from anywhere in the window.
    const auto keys = [this](std::initializer_list<QKeyCombination> combinations, int step) {
        for (const QKeyCombination combination : combinations) {
            auto *shortcut = new QShortcut(QKeySequence(combination), this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, step] { stepTab(step); });
        }
    };
    keys({Qt::CTRL | Qt::Key_Tab, Qt::CTRL | Qt::Key_PageDown}, 1);
    keys({Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab,
             Qt::CTRL | Qt::Key_PageUp},
        -1);
}

void TabControl::stepTab(int step)
{
    const int count = m_tabBar->count();
    m_tabBar->setCurrentIndex((m_tabBar->currentIndex() + step + count) % count);
    // The focus goes to the tab row, where its mark shows which tab is open.
    m_tabBar->setFocus(Qt::TabFocusReason);
}

QWidget *TabControl::page(int index) const
{
    return m_pages.value(index);
}

int TabControl::currentIndex() const
{
    return m_tabBar->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    m_tabBar->setCurrentIndex(index);
}

void TabControl::showPage(int index)
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
}

void TabControl::resizeEvent(QResizeEvent *)
{
    m_tabBar->setGeometry(0, 0, width(), m_tabRowHeight);
    m_pane->setGeometry(0, m_tabRowHeight - 1, width(), height() - m_tabRowHeight + 1);
    for (QWidget *page : m_pages)
        page->setGeometry(rect());
}
