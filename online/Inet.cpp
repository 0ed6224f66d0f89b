#include "Inet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

bool usable(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QNetworkRequest makeRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    // The picture address never changes, so a cached answer would show the same picture again.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

int httpStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// An answer from the server with an error status still carries a page to read; only a transfer
// that broke off is a failure. Qt reports both as errors, the status ones from 201 upwards.
bool isErrorPage(const QNetworkReply *reply)
{
    return httpStatus(reply) >= 400 && reply->error() >= QNetworkReply::ContentAccessDenied;
}

} // namespace

Inet::Inet(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    // Cookies live as long as this instance, so a code typed for a picture goes out with the
    // session the picture was fetched in.
    m_manager->setCookieJar(new QNetworkCookieJar(m_manager));
}

Inet::~Inet() = default;

std::optional<QString> Inet::OpenURL(const QString &url)
{
    std::optional<QByteArray> bytes = fetch(url);
    if (!bytes)
        return std::nullopt;
    return Gbk::decode(*bytes);
}

std::optional<QByteArray> Inet::OpenURLBytes(const QString &url)
{
    return fetch(url);
}

std::optional<QByteArray> Inet::fetch(const QString &address)
{
    const QUrl target(address.isEmpty() ? m_url : address);
    if (!usable(target))
        return std::nullopt;

    const QPointer<QNetworkReply> reply = m_manager->get(makeRequest(target));
    QByteArray body;
    bool failed = false;
    QEventLoop loop;
    auto drain = [&] {
        if (!reply || failed)
            return;
        body += reply->read(AnswerCap + 1 - body.size());
        if (body.size() > AnswerCap) {
            failed = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::readyRead, &loop, drain);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The owner may go away while we wait (its window closed): the manager and the reply go with it.
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        failed = true;
        if (reply)
            reply->abort();
    });
    deadline.start(m_timeout);

    const QPointer<Inet> self(this);
    ++m_fetchDepth;
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!self)
        return std::nullopt;
    if (--m_fetchDepth == 0) {
        const QList<int> held = std::exchange(m_heldStates, {});
        for (int state : held)
            postState(state);
    }
    if (!reply)
        return std::nullopt;

    drain();
    const int status = httpStatus(reply);
    const bool ok = !failed && reply->error() == QNetworkReply::NoError && (status == 0 || status / 100 == 2);
    reply->deleteLater();
    if (!ok)
        return std::nullopt;
    return body;
}

bool Inet::Execute(const QString &url, const QString &method, const QString &body, const QString &headers)
{
    if (m_executing)
        return false;
    const QUrl target(url.isEmpty() ? m_url : url);
    const QByteArray verb = method.toLatin1();
    if (!usable(target) || verb.isEmpty())
        return false;

    QNetworkRequest request = makeRequest(target);
    for (QStringView line : QStringView(headers).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        request.setRawHeader(Gbk::encode(line.first(colon).trimmed()), Gbk::encode(line.sliced(colon + 1).trimmed()));
    }

    m_answer.clear();
    m_readPos = 0;
    m_decoder = Gbk::Decoder();
    m_receiving = m_capped = m_timedOut = false;

    QNetworkReply *reply = m_manager->sendCustomRequest(request, verb, Gbk::encode(body));
    m_reply = reply;
    m_executing = true;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onAnswerData(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onExecuteFinished(reply); });
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, reply] {
        if (reply != m_reply)
            return;
        m_timedOut = true;
        reply->abort();
    });
    deadline->start(m_timeout);
    postState(icRequesting);
    return true;
}

void Inet::onAnswerData(QNetworkReply *reply)
{
    if (reply != m_reply || m_capped || !reply->isOpen())
        return;
    if (!m_receiving) {
        m_receiving = true;
        postState(icReceivingResponse);
    }
    m_answer += reply->read(AnswerCap - m_answer.size());
    if (m_answer.size() >= AnswerCap) {
        // What came so far is the answer; the rest is not read.
        m_capped = true;
        reply->abort();
    }
}

void Inet::onExecuteFinished(QNetworkReply *reply)
{
    if (reply != m_reply)
        return;
    onAnswerData(reply);
    m_reply = nullptr;
    reply->deleteLater();
    const bool completed = !m_timedOut && (m_capped || reply->error() == QNetworkReply::NoError || isErrorPage(reply));
    if (!completed)
        m_answer.clear();
    postState(completed ? icResponseCompleted : icError);
}

void Inet::postState(int state)
{
    QMetaObject::invokeMethod(
        this, [this, state] { deliverState(state); }, Qt::QueuedConnection);
}

void Inet::deliverState(int state)
{
    // A window that is waiting for OpenURL hears of its other request only after the wait.
    if (m_fetchDepth > 0) {
        m_heldStates.append(state);
        return;
    }
    const QPointer<Inet> self(this);
    Q_EMIT StateChanged(state);
    if (self && (state == icResponseCompleted || state == icError))
        m_executing = false;
}

QString Inet::GetChunk(int size)
{
    size = std::max(size, 1);
    QString piece;
    // A piece that ends in the first byte of a character may decode to nothing; that is not the end.
    while (piece.isEmpty() && m_readPos < m_answer.size()) {
        const qsizetype n = std::min<qsizetype>(size, m_answer.size() - m_readPos);
        piece = m_decoder.decode(QByteArrayView(m_answer).sliced(m_readPos, n));
        m_readPos += n;
    }
    if (piece.isEmpty()) {
        piece = m_decoder.finish();
        m_answer.clear();
        m_readPos = 0;
    }
    return piece;
}
