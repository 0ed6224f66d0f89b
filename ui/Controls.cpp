#include "Controls.h"

#include "Settings.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

ClickLabel::ClickLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && !m_afterDoubleClick && event->button() == Qt::LeftButton;
    m_pressed = false;
    m_afterDoubleClick = false;
    QLabel::mouseReleaseEvent(event);
    if (click && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends a double click is not a further click.
    m_afterDoubleClick = true;
    Q_EMIT doubleClicked();
}

void ClickLabel::mouseMoveEvent(QMouseEvent *event)
{
    // Taken here: the surface underneath must not see a move that happened over the label.
    event->accept();
    Q_EMIT pointerMoved();
}

OptionBox::OptionBox(const QString &text, QWidget *parent) : QCheckBox(text, parent) {}

int OptionBox::value() const
{
    return StateFor(checkState());
}

void OptionBox::setValue(int value)
{
    const Qt::CheckState state = CheckStateFor(value);
    if (state == Qt::PartiallyChecked)
        setTristate(true);
    setCheckState(state);
}

void OptionBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

TabPage::TabPage(QWidget *tabControl, QWidget *parent) : QWidget(parent), m_tabControl(tabControl) {}

void TabPage::place(QWidget *control, int left, int top, int width, int height)
{
    control->setParent(this);
    m_placements.append({control, QRect(left, top, width, height)});
    relayout();
}

void TabPage::relayout()
{
    const QPoint offset = m_tabControl->isAncestorOf(this) ? mapTo(m_tabControl, QPoint()) : QPoint();
    for (const Placement &p : m_placements) {
        const QRect r = p.twips;
        p.control->setGeometry(Twips::toPixels(r.x(), r.y(), r.width(), r.height()).translated(-offset));
    }
}

void TabPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void TabPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    relayout();
}

bool PlainTextTips::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                              const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.data(Qt::ToolTipRole).toString();
    // Escaped mark-up that shows every character as it stands, spaces too, on one line; an
    // empty text hides the tip.
    const QString shown = QStringLiteral("<p style='white-space:pre'>") + tip.toHtmlEscaped() + QStringLiteral("</p>");
    QToolTip::showText(event->globalPos(), tip.isEmpty() ? QString() : shown, view->viewport(), option.rect);
    event->setAccepted(!tip.isEmpty());
    return event->isAccepted();
}
