#pragma once

#include <QString>

// Cutting a text at the first occurrence of a tag (exact, case-sensitive). The preview uses these
// to find a keyword again inside a link mark-up.
QString GetLeftPart(const QString &Con, const QString &tag);
QString GetRightPart(const QString &Con, const QString &tag);
// Empty unless tag1 occurs and tag2 occurs after it.
QString GetBetweenPart(const QString &Con, const QString &tag1, const QString &tag2);
