#include "ArticleText.h"

#include <algorithm>

namespace ArticleText {
namespace {
bool isLineBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
}
} // namespace

QString toEditorText(const QString &article)
{
    QString out = article;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString toArticleText(const QString &editorText)
{
    // One pass, since a generate or a copy runs it over articles of megabytes.
    const qsizetype breaks = std::count_if(editorText.cbegin(), editorText.cend(), isLineBreak);
    if (breaks == 0)
        return editorText;
    QString out(editorText.size() + breaks, Qt::Uninitialized);
    QChar *o = out.data();
    for (QChar c : editorText) {
        if (isLineBreak(c)) {
            *o++ = QLatin1Char('\r');
            *o++ = QLatin1Char('\n');
        } else {
            *o++ = c;
        }
    }
    return out;
}

ArticleStatistics countParagraph(QStringView paragraph)
{
    // Line breaks inside a paragraph are rare; a paragraph without one needs no copy.
    if (std::none_of(paragraph.cbegin(), paragraph.cend(), isLineBreak))
        return CountArticle(paragraph);
    return CountArticle(toArticleText(paragraph.toString()));
}

} // namespace ArticleText
