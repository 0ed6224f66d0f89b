#include "Markup.h"

QString BuildMarkup(const QString &keyWord, const QString &link, const LinkStyle &style)
{
    QString text = QStringLiteral("<a href=\"链接A\" alt=\"关键字A\">关键字A</a>");
    text.replace(QStringLiteral("链接A"), link);
    // Runs over the link too: a link holding the keyword placeholder gets the keyword.
    text.replace(QStringLiteral("关键字A"), keyWord);
    if (style.bold == BoxState::Checked)
        text = QStringLiteral("<B>") + text + QStringLiteral("</B>");
    if (style.italic == BoxState::Checked)
        text = QStringLiteral("<I>") + text + QStringLiteral("</I>");
    if (style.newWindow == BoxState::Checked)
        text.replace(QStringLiteral("alt="), QStringLiteral("target=\"_blank\" alt="));
    return text;
}
