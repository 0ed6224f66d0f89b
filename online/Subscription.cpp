#include "Subscription.h"

#include "Inet.h"
#include "VelomarConfig.h"

#include <QPointer>

#include <array>

namespace Subscription {
namespace {

struct Phrase
{
    QStringView found;
    QStringView message;
};

// Indexed by Outcome; the last entry's phrase is never tested.
constexpr std::array<Phrase, 5> Phrases{{
    {u"感谢您订阅", u"恭喜！订阅成功，请到邮箱里面确认。"},
    {u"抱歉，栏目订阅过于频繁", u"失败，现在不能订阅，请过段时间再订阅吧！"},
    {u"您已订阅过该栏目", u"您已经订阅过我们的邮件了！"},
    {u"您填写的邮件地址无效", u"请输入正确的邮箱地址！"},
    {u"", u"订阅失败，未知道错误，请重试！"},
}};

} // namespace

Service Service::configured()
{
    return {QString::fromUtf8(Velomar::Config::ListHost), QString::fromUtf8(Velomar::Config::ListToken),
            QString::fromUtf8(Velomar::Config::ListId)};
}

QString pictureUrl(const Service &service)
{
    return QStringLiteral("http://") + service.host + QStringLiteral("/cgi-bin/getverifyimage?aid=23000101&30815");
}

QString requestUrl(const Service &service)
{
    return QStringLiteral("http://") + service.host + QStringLiteral("/cgi-bin/qf_compose_send");
}

QString requestHeaders(const Service &service)
{
    return QStringLiteral("Referer: ") + requestUrl(service) +
           QStringLiteral("\r\nContent-Type: application/x-www-form-urlencoded");
}

QString requestBody(const Service &service, const QString &address, const QString &code)
{
    return QStringLiteral("qm_authimgs_id=1") + QStringLiteral("&qm_verifyimagesession=") + service.token +
           QStringLiteral("&edition=") + service.host + QStringLiteral("&id=") + service.listId +
           QStringLiteral("&t=qf_booked_feedback") + QStringLiteral("&to=") + address +
           QStringLiteral("&verifycode_cn=") + code;
}

Outcome classify(QStringView answer)
{
    for (std::size_t i = 0; i + 1 < Phrases.size(); ++i) {
        if (answer.contains(Phrases[i].found))
            return Outcome(i);
    }
    return Outcome::Unrecognised;
}

QString message(Outcome outcome)
{
    return Phrases[std::size_t(outcome)].message.toString();
}

bool closesDialog(Outcome outcome)
{
    return outcome == Outcome::Subscribed || outcome == Outcome::TooFrequent || outcome == Outcome::AlreadySubscribed;
}

std::optional<QString> readAnswer(Inet &inet, const std::function<bool()> &between)
{
    const QPointer<Inet> alive(&inet);
    QString answer;
    for (QString piece = inet.GetChunk(ChunkSize); !piece.isEmpty(); piece = inet.GetChunk(ChunkSize)) {
        answer += piece;
        if (!between() || !alive)
            return std::nullopt;
    }
    return answer;
}

} // namespace Subscription
