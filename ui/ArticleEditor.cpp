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
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!extraSelections().isEmpty())
            setExtraSelections({}); // the marks of the last generate last until the next edit
    });
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

void ArticleEditor::keyPressEvent(QKeyEvent *event)
{
    // Select-all happens when the A key is released, with the modifiers held then.
    if (event == QKeySequence::SelectAll) {
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

qsizetype ArticleEditor::toEditorPosition(const QString &editorText, qsizetype articlePosition)
{
    // Every line break of the editor is two units of the article.
    qsizetype article = 0, i = 0;
    for (; i < editorText.size() && article < articlePosition; ++i) {
        const QChar c = editorText[i];
        article += c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n') ? 2 : 1;
    }
    return i;
}

void ArticleEditor::highlightArticleSpans(const QList<Span> &spans)
{
    const QString editorText = document()->toRawText();
    QList<QTextEdit::ExtraSelection> marks;
    for (const Span &span : spans) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(toEditorPosition(editorText, span.start));
        mark.cursor.setPosition(toEditorPosition(editorText, span.start + span.length), QTextCursor::KeepAnchor);
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
