#pragma once

#include <QObject>

class QWidget;

// The window's look, carried inside the program: one style sheet covering the
// frame, menus, tabs, buttons, labels, boxes and scroll bars.
class Skin : public QObject
{
    Q_OBJECT

public:
    explicit Skin(QObject *parent = nullptr);

    void apply(QWidget *window);
    int timesApplied() const { return m_applied; }

private:
    int m_applied = 0;
};
