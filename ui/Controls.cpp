#include "Controls.h"

#include "Settings.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScreen>
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
    // empty text hides the tip. A text wider than half the screen is broken into lines of that
    // width here: the tip's own word wrap would break a short address at its slashes and never
    // a long one, which then runs off the screen.
    const QFontMetrics metrics(QToolTip::font());
    const int room = view->screen()->availableGeometry().width() / 2;
    QStringList lines;
    if (metrics.horizontalAdvance(tip) > room) {
        qsizetype start = 0;
        for (qsizetype i = 0, width = 0; i < tip.size();) {
            const qsizetype n = tip.at(i).isHighSurrogate() && i + 1 < tip.size() ? 2 : 1;
            const int advance = metrics.horizontalAdvance(tip.mid(i, n));
            if (width + advance > room && i > start) {
                lines << tip.mid(start, i - start).toHtmlEscaped();
                start = i, width = 0;
            }
            width += advance, i += n;
        }
        lines << tip.mid(start).toHtmlEscaped();
    } else {
        lines << tip.toHtmlEscaped();
    }
    const QString shown =
        QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
    QToolTip::showText(event->globalPos(), tip.isEmpty() ? QString() : shown, view->viewport(), option.rect);
    event->setAccepted(!tip.isEmpty());
    return event->isAccepted();
}
