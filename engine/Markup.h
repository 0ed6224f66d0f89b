#pragma once

#include <QString>

// A check box's state: only Checked turns an option on; Grayed counts as off.
enum class BoxState { Unchecked = 0, Checked = 1, Grayed = 2 };

struct LinkStyle
{
    BoxState bold = BoxState::Unchecked;
    BoxState italic = BoxState::Unchecked;
    BoxState newWindow = BoxState::Unchecked;
};

// The hyperlink mark-up for one keyword record in the given style. The preview finds the
// keyword again as the text between the first `alt="` and the next `">`, so the shape of the
// template matters to more than the article.
QString BuildMarkup(const QString &keyWord, const QString &link, const LinkStyle &style);
