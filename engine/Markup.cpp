#include "Markup.h"

namespace {

QString percentEncoded(QChar c)
{
    return u'%' + QString::number(c.unicode(), 16).rightJustified(2, u'0').toUpper();
}

// Blanks and controls have no place in a link target, in either format.
bool blankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x7F;
}

QString escaped(const QString &text, auto replacement)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text)
        out += replacement(c);
    return out;
}

// UBB and Markdown mark-up is built straight from the record, not from the HTML template: the
// template's placeholder quirks belong to the HTML links alone.
QString BuildFormattedMarkup(const QString &keyWord, const QString &link, const Options &options)
{
    const bool bold = options.bold, italic = options.italic;
    if (options.format == LinkFormat::Ubb) {
        QString text = QStringLiteral("[url=") + UbbLink(link) + u']' + UbbText(keyWord) + QStringLiteral("[/url]");
        if (bold)
            text = QStringLiteral("[b]") + text + QStringLiteral("[/b]");
        if (italic)
            text = QStringLiteral("[i]") + text + QStringLiteral("[/i]");
        return text;
    }
    // Emphasis goes inside the brackets: "**" between a Chinese character and "[" is not
    // recognised as emphasis by CommonMark, while "[**" and "**]" always are.
    QString text = MarkdownText(keyWord);
    if (!text.isEmpty()) {
        if (bold)
            text = QStringLiteral("**") + text + QStringLiteral("**");
        if (italic)
            text = u'*' + text + u'*';
    }
    return u'[' + text + QStringLiteral("](") + MarkdownLink(link) + u')';
}

} // namespace

QString UbbText(const QString &text)
{
    // BBCode has no escape character: brackets become their full-width forms, so no tag can start.
    return escaped(text, [](QChar c) -> QString {
        return c == u'[' ? QString(QChar(0xFF3B)) : c == u']' ? QString(QChar(0xFF3D)) : QString(c);
    });
}

QString UbbLink(const QString &link)
{
    // Forum parsers end the target at "]" and refuse quotes and blanks in it.
    return escaped(link, [](QChar c) -> QString {
        return blankOrControl(c) || c == u'[' || c == u']' || c == u'"' || c == u'\'' ? percentEncoded(c) : QString(c);
    });
}

QString MarkdownText(const QString &text)
{
    return escaped(text, [](QChar c) -> QString {
        return QStringView(u"\\`*_~[]<&|").contains(c) ? QString(u'\\') + c : QString(c);
    });
}

QString MarkdownLink(const QString &link)
{
    // A blank would end the target; "(" and ")" would unbalance it; "<" would start the bracketed form.
    return escaped(link, [](QChar c) -> QString {
        if (blankOrControl(c))
            return percentEncoded(c);
        return QStringView(u"()<>\\").contains(c) ? QString(u'\\') + c : QString(c);
    });
}

QString BuildMarkup(const QString &keyWord, const QString &link, const Options &options)
{
    if (options.format != LinkFormat::Html)
        return BuildFormattedMarkup(keyWord, link, options);
    QString text = QStringLiteral("<a href=\"链接A\" alt=\"关键字A\">关键字A</a>");
    text.replace(QStringLiteral("链接A"), link);
    // Runs over the link too: a link holding the keyword placeholder gets the keyword.
    text.replace(QStringLiteral("关键字A"), keyWord);
    if (options.bold)
        text = QStringLiteral("<B>") + text + QStringLiteral("</B>");
    if (options.italic)
        text = QStringLiteral("<I>") + text + QStringLiteral("</I>");
    if (options.newWindow)
        text.replace(QStringLiteral("alt="), QStringLiteral("target=\"_blank\" alt="));
    return text;
}
