#pragma once

#include "ArticleText.h"
#include "Linker.h"
#include "ParagraphCounts.h"

#include <QPlainTextEdit>

// The article editor. The editor keeps paragraphs, but the article is counted, cut and copied
// with CR LF line breaks (two characters, two bytes): the editor converts at its edge, by the
// rules of ArticleText.
class ArticleEditor final : public QPlainTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ArticleEditor)

public:
    explicit ArticleEditor(QWidget *parent = nullptr);

    QString articleText() const;
    // Its length and its character at a position, without handing out the text.
    qsizetype articleLength() const;
    QChar articleCharAt(qsizetype articlePosition) const;
    // The statistics of articleText(), kept current edit by edit rather than counted here.
    ArticleStatistics statistics() const;
    // Replaces the whole text as one edit that Ctrl+Z takes back.
    void replaceArticle(const QString &text);
    // Makes a generate's edits (in article positions, in order) as one step that Ctrl+Z takes back,
    // and marks the links as highlightArticleSpans does.
    void applyArticleEdits(const QList<Linker::Edit> &edits);
    // Text shown before the user's first edit; not an edit itself.
    void setInitialText(const QString &text);

    // Ctrl+A with Ctrl alone held (Shift or Alt as well: no), whatever Caps Lock says.
    static bool isSelectAll(int key, Qt::KeyboardModifiers modifiers);
    // Ctrl+Y with Ctrl alone held.
    static bool isRedo(int key, Qt::KeyboardModifiers modifiers);

    // Gives the stretches a background colour until the next edit (a mark, not a selection) and
    // puts the caret at the start of the first, scrolled into view.
    void highlightArticleSpans(const QList<ArticleText::Span> &spans);

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
    // The editor's position of an article position, found by paragraph rather than by reading the text.
    int editorPosition(qsizetype articlePosition) const;

    ParagraphCounts m_counts; // of the editor's own document; setDocument() is not for this editor
};
