#include "Markup.h"

namespace {

// The character's UTF-8 bytes as %XX.
QString percentEncoded(QChar c)
{
    QString out;
    for (const char byte : QString(c).toUtf8())
        out += u'%' + QString::number(quint8(byte), 16).rightJustified(2, u'0').toUpper();
    return out;
}

// What the editor shows as a line break. Mark-up holding one would not be the text the editor
// shows: it would grow by a unit per break (CR LF) and the marks of the inserted links would slip.
bool lineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c.unicode() == 0x85 || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// Blanks, controls and line breaks have no place in a link target, in either format.
bool blankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x7F || lineBreak(c);
}

QString escaped(const QString &text, auto replacement)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text)
        out += replacement(c);
    return out;
}

// A keyword stays on one line: its line breaks show as spaces.
QString oneLine(QString text)
{
    for (QChar &c : text)
        c = lineBreak(c) ? QChar(u' ') : c;
    return text;
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
    // recognised as emphasis by CommonMark, while "[**" and "**]" always are. The keyword's own
    // leading and trailing spaces stay outside it: "**" next to a space is not emphasis either.
    const QString text = MarkdownText(keyWord);
    qsizetype lead = 0, end = text.size();
    while (lead < end && text[lead].isSpace())
        ++lead;
    while (end > lead && text[end - 1].isSpace())
        --end;
    QString emphasised = text.sliced(lead, end - lead);
    if (!emphasised.isEmpty()) {
        if (bold)
            emphasised = QStringLiteral("**") + emphasised + QStringLiteral("**");
        if (italic)
            emphasised = u'*' + emphasised + u'*';
    }
    return u'[' + text.first(lead) + emphasised + text.sliced(end) + QStringLiteral("](") + MarkdownLink(link) + u')';
}

} // namespace

QString UbbText(const QString &text)
{
    // BBCode has no escape character: brackets become their full-width forms, so no tag can start.
    return escaped(oneLine(text), [](QChar c) -> QString {
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
    return escaped(oneLine(text), [](QChar c) -> QString {
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
    // Nothing else is escaped: the HTML mark-up has always been the record as it is.
    QString text = QStringLiteral("<a href=\"链接A\" alt=\"关键字A\">关键字A</a>");
    text.replace(QStringLiteral("链接A"),
                 escaped(link, [](QChar c) { return lineBreak(c) ? percentEncoded(c) : QString(c); }));
    // Runs over the link too: a link holding the keyword placeholder gets the keyword.
    text.replace(QStringLiteral("关键字A"), oneLine(keyWord));
    if (options.bold)
        text = QStringLiteral("<B>") + text + QStringLiteral("</B>");
    if (options.italic)
        text = QStringLiteral("<I>") + text + QStringLiteral("</I>");
    if (options.newWindow)
        text.replace(QStringLiteral("alt="), QStringLiteral("target=\"_blank\" alt="));
    return text;
}
