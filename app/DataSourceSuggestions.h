#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QCompleter;
class QLineEdit;

// Suggests, as the operator types in a box, the names a function gives (the
// data sources of this machine). The names are read when the box takes the
// focus, never before: nothing is asked of the system while the window
// starts. The box stays a free-text box.
class DataSourceSuggestions : public QObject
{
    Q_OBJECT

public:
    static void install(QLineEdit *box, std::function<QStringList()> names);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DataSourceSuggestions(QLineEdit *box, std::function<QStringList()> names);

    QCompleter *m_completer;
    std::function<QStringList()> m_names;
};
