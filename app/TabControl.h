#pragma once

#include <QWidget>

class QFrame;
class QTabBar;

// A tab control whose pages all share its own coordinate space: a control at
// (x, y) on any page sits at (x, y) from the tab control's top-left corner,
// tab row included. Only the current page is shown, so only its controls
// take part in the focus chain. Ctrl+Tab and Ctrl+PageDown open the next tab,
// Ctrl+Shift+Tab and Ctrl+PageUp the previous one, from anywhere in the window.
class TabControl : public QWidget
{
    Q_OBJECT

public:
    TabControl(const QStringList &captions, int tabRowHeight, QWidget *parent = nullptr);

    QWidget *page(int index) const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar *tabBar() const { return m_tabBar; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPage(int index);
    void stepTab(int step);

    QTabBar *m_tabBar;
    QFrame *m_pane;
    QList<QWidget *> m_pages;
    int m_tabRowHeight;
};
