#include "Controls.h"

#include "Twips.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
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

void OptionBox::setOption(bool on, bool grayed)
{
    if (grayed)
        setTristate(true);
    setCheckState(grayed ? Qt::PartiallyChecked : on ? Qt::Checked : Qt::Unchecked);
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

void KeywordListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(across);
}

EntryBox::EntryBox(const QString &text, int maxLength, const QString &bar, QWidget *parent)
    : QLineEdit(text, parent), m_bar(bar)
{
    setMaxLength(maxLength);
}

bool EntryBox::pasteHere(QClipboard::Mode mode, qsizetype replaced)
{
    const QString clip = QGuiApplication::clipboard()->text(mode);
    const QString text = entered(clip);
    if (!fits(text.size(), replaced)) {
        Q_EMIT pasteRefused();
        return true;
    }
    if (text == clip)
        return false;
    insert(text);
    return true;
}

void EntryBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        // Ctrl+Shift+Insert pastes the selection where the system has one, as QLineEdit does.
        const bool selection = event->key() == Qt::Key_Insert &&
                               event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
                               QGuiApplication::clipboard()->supportsSelection();
        if (pasteHere(selection ? QClipboard::Selection : QClipboard::Clipboard, selectedText().size()))
            event->accept();
        else
            QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = entered(event->text());
    if (typed == event->text())
        return QLineEdit::keyPressEvent(event);
    // A longer stand-in would be cut by the length limit: the key is refused instead (with Ctrl
    // or Ctrl+Shift held it types nothing anyway).
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m != Qt::ControlModifier && m != (Qt::ControlModifier | Qt::ShiftModifier) &&
        !fits(typed.size(), selectedText().size())) {
        event->accept();
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), m, event->nativeScanCode(), event->nativeVirtualKey(),
                       event->nativeModifiers(), typed, event->isAutoRepeat(), event->count(), event->device());
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void EntryBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = entered(event->commitString());
    // A commit replaces the selection and the span the input method names.
    const bool fitting = commit.isEmpty() || fits(commit.size(), selectedText().size() + event->replacementLength());
    if (commit == event->commitString() && fitting)
        return QLineEdit::inputMethodEvent(event);
    // The preedit goes on as sent, so the input method stays in step with the box.
    QInputMethodEvent changed(event->preeditString(), event->attributes());
    if (fitting)
        changed.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&changed);
    event->setAccepted(changed.isAccepted());
}

void EntryBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    // Qt 6.4 gives the menu's actions no names: Paste is known by the text QLineEdit gives it.
    for (QAction *action : menu->actions()) {
        if (!action->text().startsWith(QLineEdit::tr("&Paste")))
            continue;
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, [this] {
            if (!pasteHere(QClipboard::Clipboard, selectedText().size()))
                paste();
        });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void EntryBox::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection at the pointer; QLineEdit drops its own selection
    // first, so the paste replaces nothing.
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        if (pasteHere(QClipboard::Selection, 0)) {
            event->accept();
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EntryBox::dropEvent(QDropEvent *event)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull() || isReadOnly())
        return QLineEdit::dropEvent(event);
    // A drop goes in at the pointer and replaces nothing.
    const QString text = entered(dropped);
    if (!fits(text.size(), 0)) {
        event->ignore();
        // Told once the drop is over: a modal box inside it would hold up the dragging program.
        QTimer::singleShot(0, this, &EntryBox::pasteRefused);
        return;
    }
    if (text == dropped)
        return QLineEdit::dropEvent(event);
    QMimeData data;
    data.setText(text);
    QDropEvent replaced(event->position(), event->possibleActions(), &data, event->buttons(), event->modifiers());
    replaced.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&replaced);
    event->setDropAction(replaced.dropAction());
    event->setAccepted(replaced.isAccepted());
}
