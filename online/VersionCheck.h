#pragma once

#include <QString>

class Inet;

// checkV: the start-up look at the publisher's version document.
namespace Version {

// "v" and the version in project(), "v1.0" for 1.0: the version this program is.
QString ownVersion();
QString documentUrl(const QString &publisherHost);

// The document announces a newer release unless it is exactly this version or empty; nothing is
// trimmed, so "v1.0" followed by a line break counts as news.
bool announcesNewer(const QString &document);

// Three lines joined by a bare CR, as the notice box shows them.
QString notice(const QString &publisherHost);

struct Result
{
    bool newer = false;
    QString notice; // empty unless newer
};

// Fetches the document through inet (blocking, up to its time-out). A fetch that fails in any
// way, an HTTP error status included, is no news: start-up goes on silently.
Result checkV(Inet &inet, const QString &publisherHost);

} // namespace Version
