#pragma once

#include <QString>

// A check box's state: only Checked turns an option on; Grayed counts as off.
enum class BoxState { Unchecked = 0, Checked = 1, Grayed = 2 };

// Where the article is published: web pages, forums that take UBB (BBCode), Markdown sites. The
// numbers are the ones the settings file stores.
enum class LinkFormat { Html = 0, Ubb = 1, Markdown = 2 };

struct LinkStyle
{
    BoxState bold = BoxState::Unchecked;
    BoxState italic = BoxState::Unchecked;
    BoxState newWindow = BoxState::Unchecked; // HTML only: UBB and Markdown have no equivalent
    LinkFormat format = LinkFormat::Html;
};

// The hyperlink mark-up for one keyword record in the given style. The preview finds the
// keyword again as the text between the first `alt="` and the next `">`, so the shape of the
// template matters to more than the article.
QString BuildMarkup(const QString &keyWord, const QString &link, const LinkStyle &style);

// The keyword as UBB or Markdown link text, and the link as their link target, with every
// character that would end the link early or turn into mark-up escaped.
QString UbbText(const QString &text);
QString UbbLink(const QString &link);
QString MarkdownText(const QString &text);
QString MarkdownLink(const QString &link);
