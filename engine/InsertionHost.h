#pragma once

#include "ArticleText.h"

#include "Markup.h"
#include "Statistics.h"

#include <QString>

// What the link engine needs of the main window: the option boxes, the article editor, the
// clipboard, the warning box and the preview label. The window implements it; tests fake it.
class InsertionHost
{
public:
    enum class Option { Bold, Italic, NewWindow, CopyAfterGenerate, AvoidMarkup, RotateKeywords };
    using ArticleSpan = ArticleText::Span;

    virtual ~InsertionHost() = default;

    virtual BoxState optionState(Option option) const = 0;
    // The article with CR LF line breaks, as the user's text is counted.
    virtual QString articleText() const = 0;
    // What counting articleText() would give, without the cost of doing it.
    virtual ArticleStatistics articleStatistics() const = 0;
    // Replaces the whole article; the editor's change behaviour runs before this returns.
    virtual void setArticleText(const QString &text) = 0;
    // Clears the clipboard, then puts the text on it.
    virtual void copyToClipboard(const QString &text) = 0;
    // A modal box with the caption "提示", the warning icon and one OK button.
    virtual void showWarning(const QString &message) = 0;
    virtual void setPreviewCaption(const QString &caption) = 0;
    virtual LinkFormat linkFormat() const = 0;
    // Marks the two links a generate has just put into the article, until the next edit.
    virtual void showInsertedLinks(ArticleSpan first, ArticleSpan second) = 0;
};
