#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// The open-file dialog. The real dialog is made only when it is first shown;
// a test puts its own answer behind the one seam, setChooser().
class FileDialog : public QObject
{
    Q_OBJECT

public:
    // Returns the chosen file's full path, or nothing when cancelled.
    using Chooser = std::function<std::optional<QString>(
        const QString &title, const QString &initialFile, const QString &filter)>;

    FileDialog(const QString &title, QWidget *parent);

    QString title() const { return m_title; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    void setFilter(const QString &filter) { m_filter = filter; }

    std::optional<QString> showOpen();
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }

private:
    std::optional<QString> runDialog();

    QString m_title;
    QString m_fileName;
    QString m_filter;
    Chooser m_chooser;
};
