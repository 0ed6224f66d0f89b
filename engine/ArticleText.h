#pragma once

#include "Statistics.h"

#include <QString>
#include <QStringView>

// The article's text rules. The article breaks its lines with CR LF, two units in every position
// and length and two bytes in the size; an editor keeps paragraphs and hands out one unit per
// break. Every caller, the window and any headless one, converts and counts through here.
namespace ArticleText {

// A stretch of the article: start and length in UTF-16 units, CR LF counting two.
struct Span
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// An editor's line breaks from CR LF, a lone CR or a lone LF.
QString toEditorText(const QString &article);
// Back to CR LF: a document's raw text ends paragraphs with U+2029 and holds U+2028 for Shift+Enter.
QString toArticleText(const QString &editorText);
// One paragraph of an editor's text, counted as the article holds it.
ArticleStatistics countParagraph(QStringView paragraph);

} // namespace ArticleText
