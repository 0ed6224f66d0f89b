#pragma once

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

#include <QList>

// A label that reports clicks and double clicks as one click followed by one double click,
// the way the preview label expects them.
class ClickLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickLabel)

public:
    explicit ClickLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();
    void doubleClicked();
    void pointerMoved();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
    bool m_afterDoubleClick = false;
};

// An option box with three states. A click only toggles between clear and ticked (a grayed box
// becomes ticked); the grayed state comes only from the stored settings.
class OptionBox final : public QCheckBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionBox)

public:
    explicit OptionBox(const QString &text, QWidget *parent = nullptr);
    // Only a ticked box turns its option on; grayed, which only the settings file can give, counts
    // as off until the user clicks the box.
    bool isOn() const { return checkState() == Qt::Checked; }
    bool isGrayed() const { return checkState() == Qt::PartiallyChecked; }
    void setOption(bool on, bool grayed = false);

protected:
    void nextCheckState() override;
};

// A tab page whose controls are placed relative to the tab control's top-left corner, as the
// layout is drawn: the page itself starts below the tab bar, so every placement is shifted by
// the page's own offset whenever that changes.
class TabPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabPage)

public:
    TabPage(QWidget *tabControl, QWidget *parent = nullptr);
    // Left, top, width, height in twips, relative to the tab control.
    void place(QWidget *control, int left, int top, int width, int height);
    void relayout();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct Placement
    {
        QWidget *control;
        QRect twips;
    };
    QWidget *m_tabControl;
    QList<Placement> m_placements;
};

// Shows a cell's tooltip as the characters it holds. A tooltip takes text that looks like mark-up
// as rich text and loads the pictures it names, and any imported keyword can look like that.
class PlainTextTips final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlainTextTips)

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
};

// The keyword list. Its Link column is wider than the view, and a click in it would scroll the ID
// and keyword out of sight just when the user wants to see which record is selected: moving the
// current cell scrolls up and down only.
class KeywordListView final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordListView)

public:
    using QTableView::QTableView;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
};

// A one-line box for one field of a record. A paste or a drop goes in whole or not at all: one that
// does not fit the box's length is refused and reported, never cut. Typed and input-method text
// that does not fit is refused whole too, as a typed character is. Every "|" that comes in becomes
// `bar`, because the list file ends a field at a "|".
class EntryBox final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryBox)

public:
    EntryBox(const QString &text, int maxLength, const QString &bar, QWidget *parent = nullptr);

Q_SIGNALS:
    // A paste or a drop was refused for its length; after a drop, once the drop is over.
    void pasteRefused();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // A "|" or a line break would split the record when the list is read again: a bar becomes
    // m_bar, a line break (CR LF, CR or LF) one space.
    QString entered(const QString &text) const
    {
        return QString(text)
            .replace(u'|', m_bar)
            .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(u'\r', u' ')
            .replace(u'\n', u' ');
    }
    bool fits(qsizetype added, qsizetype replaced) const { return text().size() - replaced + added <= maxLength(); }
    // True when done here (refused, or put in with its bars replaced); false leaves the paste to
    // QLineEdit, which keeps it one step of undo.
    bool pasteHere(QClipboard::Mode mode, qsizetype replaced);

    QString m_bar;
};
