#include "MessagePreview.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

// Room the box needs around its text on the screen: its margins, the OK
// button's row and a title bar.
constexpr int RoomAround = 140;

void putTextInScrollArea(QMessageBox &box, const QScreen *screen)
{
    // QMessageBox sizes itself to its label and wraps long lines; the label
    // goes into a scroll area instead, sized to the text or to the screen,
    // whichever is smaller.
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!label || !grid || !screen)
        return;
    auto *scroll = new QScrollArea(&box);
    scroll->setObjectName(QStringLiteral("previewArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setBackgroundRole(QPalette::Window);
    delete grid->replaceWidget(label, scroll);
    label->setWordWrap(false);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->adjustSize();
    scroll->setWidget(label);

    const QRect available = screen->availableGeometry();
    const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize text = label->size();
    const QSize most(available.width() - RoomAround, available.height() - RoomAround);
    QSize size = text.boundedTo(most);
    // A scroll bar in one direction takes room from the other.
    if (text.width() > most.width())
        size.setHeight(qMin(text.height() + bar, most.height()));
    if (text.height() > most.height())
        size.setWidth(qMin(text.width() + bar, most.width()));
    scroll->setMinimumSize(size);
    scroll->setMaximumSize(size);
}

} // namespace

void showMessagePreview(const QString &text, QWidget *parent)
{
    QMessageBox box(
        QMessageBox::NoIcon, QStringLiteral("Test Message"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    putTextInScrollArea(box, parent ? parent->screen() : nullptr);
    box.exec();
}
