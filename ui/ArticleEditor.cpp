#include "ArticleEditor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

ArticleEditor::ArticleEditor(QWidget *parent) : QPlainTextEdit(parent), m_counts(*document())
{
    // Every edit reports here before textChanged, undo, redo and setPlainText included.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) { m_counts.contentsChange(position, removed, added); });
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!extraSelections().isEmpty())
            setExtraSelections({}); // the marks of the last generate last until the next edit
    });
}

QString ArticleEditor::articleText() const
{
    return ArticleText::toArticleText(document()->toRawText());
}

qsizetype ArticleEditor::articleLength() const
{
    const QTextDocument &doc = *document();
    return doc.characterCount() - 1 + doc.blockCount() - 1; // each paragraph break is CR LF
}

QChar ArticleEditor::articleCharAt(qsizetype articlePosition) const
{
    const int position = editorPosition(articlePosition);
    const QTextBlock block = document()->findBlock(position);
    // At a paragraph's end the article has CR, then LF one unit later.
    if (position == block.position() + block.length() - 1 && block.next().isValid())
        return articlePosition == position + block.blockNumber() ? QChar(u'\r') : QChar(u'\n');
    return document()->characterAt(position);
}

ArticleStatistics ArticleEditor::statistics() const
{
    const ArticleStatistics stats = m_counts.total();
#ifdef QT_DEBUG
    const ArticleStatistics counted = CountArticle(articleText());
    Q_ASSERT(stats.chinese == counted.chinese && stats.bytes == counted.bytes);
#endif
    return stats;
}

void ArticleEditor::replaceArticle(const QString &text)
{
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(ArticleText::toEditorText(text));
    cursor.endEditBlock();
}

void ArticleEditor::setInitialText(const QString &text)
{
    setPlainText(ArticleText::toEditorText(text));
}

bool ArticleEditor::isSelectAll(int key, Qt::KeyboardModifiers modifiers)
{
    return key == Qt::Key_A &&
           (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

void ArticleEditor::keyPressEvent(QKeyEvent *event)
{
    // Selected on the press as well as on the release (the window's rule), so it works whichever
    // key is let go first. The platform's own select-all keys, where they differ, select nothing.
    const bool ctrlA = isSelectAll(event->key(), event->modifiers());
    if (ctrlA)
        selectAll();
    if (ctrlA || event == QKeySequence::SelectAll) {
        event->accept();
        return;
    }
    // Ctrl+Y redoes, as on Chinese Windows; the platform's own redo keys keep working.
    if (isRedo(event->key(), event->modifiers())) {
        if (!isReadOnly())
            redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool ArticleEditor::isRedo(int key, Qt::KeyboardModifiers modifiers)
{
    return key == Qt::Key_Y &&
           (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
}

void ArticleEditor::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(event->pos());
    // The menu names the redo key the user is told about.
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-redo"))
            action->setText(action->text().section(u'\t', 0, 0) + QStringLiteral("\tCtrl+Y"));
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ArticleEditor::keyReleaseEvent(QKeyEvent *event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyUp(event->key(), event->modifiers());
}

void ArticleEditor::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

int ArticleEditor::editorPosition(qsizetype articlePosition) const
{
    // Each paragraph break before a paragraph is one unit in the editor and two (CR LF) in the
    // article: paragraph n starts n units later in the article.
    const QTextDocument &doc = *document();
    int low = 0, high = doc.blockCount() - 1;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (doc.findBlockByNumber(mid).position() + mid <= articlePosition)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc.findBlockByNumber(low);
    return int(std::min<qsizetype>(articlePosition - low, block.position() + block.length() - 1));
}

void ArticleEditor::applyArticleEdits(const QList<Linker::Edit> &edits)
{
    QList<std::pair<int, int>> places; // in the editor, before any edit
    for (const Linker::Edit &e : edits)
        places.append({editorPosition(e.start), editorPosition(e.start + e.length)});
    // One undo step of separate edits, from the last: one edit block spanning them all would have
    // the editor lay out every paragraph between the first link and the last again.
    QTextCursor cursor(document());
    for (qsizetype k = edits.size() - 1; k >= 0; --k) {
        if (k == edits.size() - 1)
            cursor.beginEditBlock();
        else
            cursor.joinPreviousEditBlock();
        cursor.setPosition(places[k].first);
        cursor.setPosition(places[k].second, QTextCursor::KeepAnchor);
        cursor.insertText(edits[k].link.markup);
        cursor.endEditBlock();
    }
    QList<ArticleText::Span> spans;
    qsizetype shift = 0;
    for (const Linker::Edit &e : edits) {
        spans.append({e.start + shift, e.link.markup.size()});
        shift += e.link.markup.size() - e.length;
    }
    highlightArticleSpans(spans);
}

void ArticleEditor::highlightArticleSpans(const QList<ArticleText::Span> &spans)
{
    QList<QTextEdit::ExtraSelection> marks;
    for (const ArticleText::Span &span : spans) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(editorPosition(span.start));
        mark.cursor.setPosition(editorPosition(span.start + span.length), QTextCursor::KeepAnchor);
        mark.format.setBackground(QColor(0xFF, 0xE5, 0x8F));
        marks.append(mark);
    }
    setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor caret(document());
        caret.setPosition(marks.first().cursor.selectionStart());
        setTextCursor(caret); // scrolls it into view
    }
}
