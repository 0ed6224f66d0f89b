#pragma once

#include "Gbk.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// The HTTP transfer component of a window: a blocking fetch, one asynchronous request at a time
// whose progress arrives as StateChanged, and the answer read back in GBK-decoded pieces.
class Inet final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Inet)

public:
    enum State {
        icRequesting = 5,
        icReceivingResponse = 7,
        icError = 11,
        icResponseCompleted = 12,
    };

    // Generous for a picture or a form's answer page; whatever a server sends beyond it is not read.
    static constexpr qsizetype AnswerCap = 16 * 1024 * 1024;
    static constexpr std::chrono::milliseconds DefaultRequestTimeout{60000};

    explicit Inet(QObject *parent = nullptr);
    ~Inet() override;

    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }

    // Whole request, from the connection to the last byte; also the limit of an Execute request.
    std::chrono::milliseconds requestTimeout() const { return m_timeout; }
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Blocking GET of url (URL() when empty): the body decoded from GBK, or nothing when the
    // fetch failed (no connection, transfer error, HTTP error status, time-out, body over the cap).
    // Keyboard and mouse input waits until the call returns; other events go on.
    std::optional<QString> OpenURL(const QString &url = QString());
    // The same, with the body as raw bytes.
    std::optional<QByteArray> OpenURLBytes(const QString &url = QString());

    // True from Execute until its last StateChanged has been handled.
    bool StillExecuting() const { return m_executing; }

    // Starts a request and returns at once; false when it cannot start (still executing, bad
    // address). body goes out as GBK bytes; headers holds "Name: value" lines joined by CR LF.
    bool Execute(const QString &url, const QString &method, const QString &body, const QString &headers);

    // Next piece of the answer to Execute, at most size bytes of it, decoded from GBK; empty
    // once the answer is exhausted. A character split between two pieces comes out whole.
    QString GetChunk(int size);

Q_SIGNALS:
    // Delivered as a queued event, never from inside Execute; held back while OpenURL waits.
    void StateChanged(int state);

private:
    std::optional<QByteArray> fetch(const QString &url);
    void onAnswerData(QNetworkReply *reply);
    void onExecuteFinished(QNetworkReply *reply);
    void postState(int state);
    void deliverState(int state);

    QNetworkAccessManager *m_manager;
    QString m_url;
    std::chrono::milliseconds m_timeout = DefaultRequestTimeout;

    QPointer<QNetworkReply> m_reply; // the request started by Execute, while it runs
    bool m_executing = false;
    bool m_receiving = false;
    bool m_capped = false;
    bool m_timedOut = false;
    QByteArray m_answer;
    qsizetype m_readPos = 0;
    Gbk::Decoder m_decoder;

    int m_fetchDepth = 0;    // OpenURL calls waiting, nested ones included
    QList<int> m_heldStates; // states that came in while OpenURL waited
};
