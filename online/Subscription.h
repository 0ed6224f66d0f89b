#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class Inet;

// The newsletter exchange with the mailing-list service: the picture address, the form that is
// posted, and what the answer page says.
namespace Subscription {

struct Service
{
    QString host;   // may carry ":port"
    QString token;  // "h" and 82 hexadecimal digits, the same in every request
    QString listId; // 48 hexadecimal digits
    static Service configured();
};

QString pictureUrl(const Service &service);
QString requestUrl(const Service &service);
// Two header lines with one CR LF between them, none after the second.
QString requestHeaders(const Service &service);
// The seven form fields. The two boxes go in as they stand: the service's form is matched
// byte for byte, so nothing is escaped or trimmed, "&" and "=" included.
QString requestBody(const Service &service, const QString &address, const QString &code);

// In the order the answer is tested; the first phrase found decides.
enum class Outcome { Subscribed, TooFrequent, AlreadySubscribed, InvalidAddress, Unrecognised };

Outcome classify(QStringView answer);
QString message(Outcome outcome);
// Subscribed, too frequent and already subscribed end the dialog; the others ask for a new picture.
bool closesDialog(Outcome outcome);

// Pieces of the answer read in this size, as the service's pages are small.
inline constexpr int ChunkSize = 1024;

// The whole answer of a completed request, read piece by piece. between runs after each piece
// (the dialog lets pending events through there); when it returns false, or inet has gone with
// its window, the read stops and there is no answer.
std::optional<QString> readAnswer(Inet &inet, const std::function<bool()> &between);

} // namespace Subscription
