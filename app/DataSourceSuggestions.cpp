#include "DataSourceSuggestions.h"

#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QStringListModel>

void DataSourceSuggestions::install(QLineEdit *box, std::function<QStringList()> names)
{
    box->installEventFilter(new DataSourceSuggestions(box, std::move(names)));
}

DataSourceSuggestions::DataSourceSuggestions(QLineEdit *box, std::function<QStringList()> names)
    : QObject(box)
    , m_completer(new QCompleter(new QStringListModel(this), this))
    , m_names(std::move(names))
{
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    box->setCompleter(m_completer);
}

bool DataSourceSuggestions::eventFilter(QObject *, QEvent *event)
{
    // Read again each time: a data source set up while the window is open is
    // offered too.
    if (event->type() == QEvent::FocusIn)
        static_cast<QStringListModel *>(m_completer->model())->setStringList(m_names());
    return false;
}
