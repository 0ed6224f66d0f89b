#include "ArticleEditor.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

ArticleEditor::ArticleEditor(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
}

QString ArticleEditor::toEditorText(const QString &article)
{
    QString out = article;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString ArticleEditor::toArticleText(const QString &editorText)
{
    // Raw document text: paragraphs end in U+2029, Shift+Enter leaves U+2028. One pass, since
    // this runs on every keystroke over articles of megabytes.
    qsizetype breaks = 0;
    for (QChar c : editorText)
        breaks += c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
    if (breaks == 0)
        return editorText;
    QString out(editorText.size() + breaks, Qt::Uninitialized);
    QChar *o = out.data();
    for (QChar c : editorText) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n')) {
            *o++ = QLatin1Char('\r');
            *o++ = QLatin1Char('\n');
        } else {
            *o++ = c;
        }
    }
    return out;
}

QString ArticleEditor::articleText() const
{
    return toArticleText(document()->toRawText());
}

void ArticleEditor::replaceArticle(const QString &text)
{
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(toEditorText(text));
    cursor.endEditBlock();
}

void ArticleEditor::setInitialText(const QString &text)
{
    setPlainText(toEditorText(text));
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
    QPlainTextEdit::keyPressEvent(event);
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
