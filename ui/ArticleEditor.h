#pragma once

#include "ParagraphCounts.h"

#include <QPlainTextEdit>

// The article editor. The editor keeps paragraphs, but the article is counted, cut and copied
// with CR LF line breaks (two characters, two bytes): the conversion happens here and nowhere else.
class ArticleEditor final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ArticleEditor)

public:
    explicit ArticleEditor(QWidget *parent = nullptr);

    QString articleText() const;
    // The statistics of articleText(), kept current edit by edit rather than counted here.
    ArticleStatistics statistics() const;
    // Replaces the whole text as one edit that Ctrl+Z takes back.
    void replaceArticle(const QString &text);
    // Text shown before the user's first edit; not an edit itself.
    void setInitialText(const QString &text);

    // The editor's own line breaks from CR LF, a lone CR or LF; and back to CR LF.
    static QString toEditorText(const QString &article);
    static QString toArticleText(const QString &editorText);
    // One paragraph of the editor's text, counted as the article holds it.
    static ArticleStatistics countParagraph(QStringView paragraph);
    // Ctrl+A with Ctrl alone held (Shift or Alt as well: no), whatever Caps Lock says.
    static bool isSelectAll(int key, Qt::KeyboardModifiers modifiers);
    // Ctrl+Y with Ctrl alone held.
    static bool isRedo(int key, Qt::KeyboardModifiers modifiers);

    // A stretch of the article as the engine counts it: CR LF is two units.
    struct Span
    {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    // Gives the stretches a background colour until the next edit (a mark, not a selection) and
    // puts the caret at the start of the first, scrolled into view.
    void highlightArticleSpans(const QList<Span> &spans);
    // The editor's position for a position in the article's CR LF text.
    static qsizetype toEditorPosition(const QString &editorText, qsizetype articlePosition);

Q_SIGNALS:
    // Key released, with the modifiers held at that moment.
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    ParagraphCounts m_counts; // of the editor's own document; setDocument() is not for this editor
};
