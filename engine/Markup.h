#pragma once

#include "Options.h"

#include <QString>

// The hyperlink mark-up for one keyword record in the options' format and style. The preview finds the
// keyword again as the text between the first `alt="` and the next `">`, so the shape of the
// template matters to more than the article.
QString BuildMarkup(const QString &keyWord, const QString &link, const Options &options);

// The keyword as UBB or Markdown link text, and the link as their link target, with every
// character that would end the link early or turn into mark-up escaped. Line breaks become spaces
// in the text and are percent-encoded in the target, in HTML too: the mark-up stays one line.
QString UbbText(const QString &text);
QString UbbLink(const QString &link);
QString MarkdownText(const QString &text);
QString MarkdownLink(const QString &link);
