#include "HttpServer.h"
#include "Inet.h"
#include "Subscription.h"
#include "VelomarConfig.h"
#include "VersionCheck.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestInet : public QObject
{
    Q_OBJECT

    // Starts the subscription request against server and waits for its last state.
    static int executeAndWait(Inet &inet, HttpServer &server, const QString &body = QString())
    {
        const Subscription::Service service{server.host(), "h0", "id0"};
        QSignalSpy states(&inet, &Inet::StateChanged);
        if (!inet.Execute(Subscription::requestUrl(service), "POST", body, Subscription::requestHeaders(service)))
            return -1;
        while (states.isEmpty() ||
               (states.last().at(0) != Inet::icError && states.last().at(0) != Inet::icResponseCompleted)) {
            if (!states.wait(30000))
                return -2;
        }
        return states.last().at(0).toInt();
    }
    static QString readAll(Inet &inet)
    {
        return Subscription::readAnswer(inet, [] { return true; }).value_or("(stopped)");
    }

private Q_SLOTS:
    void versionCheck_data()
    {
        QTest::addColumn<HttpAnswer>("answer");
        QTest::addColumn<bool>("newer");
        QTest::newRow("own version") << HttpAnswer{HttpAnswer::Normal, 200, "v1.0"} << false;
        QTest::newRow("empty document") << HttpAnswer{HttpAnswer::Normal, 200, ""} << false;
        QTest::newRow("line break after it") << HttpAnswer{HttpAnswer::Normal, 200, "v1.0\r\n"} << true;
        QTest::newRow("capital V") << HttpAnswer{HttpAnswer::Normal, 200, "V1.0"} << true;
        QTest::newRow("another version") << HttpAnswer{HttpAnswer::Normal, 200, "v1.1"} << true;
        QTest::newRow("404 page") << HttpAnswer{HttpAnswer::Normal, 404, "v2.0"} << false;
        QTest::newRow("500 page") << HttpAnswer{HttpAnswer::Normal, 500, "v2.0"} << false;
        QTest::newRow("closed without answer") << HttpAnswer{HttpAnswer::CloseAtOnce} << false;
        QTest::newRow("closed mid-answer") << HttpAnswer{HttpAnswer::CloseMidBody, 200, "v2.0"} << false;
        QTest::newRow("endless document") << HttpAnswer{HttpAnswer::Endless} << false;
    }
    void versionCheck()
    {
        QFETCH(HttpAnswer, answer);
        QFETCH(bool, newer);
        HttpServer server;
        server.answer = [&](const HttpRequest &) { return answer; };
        Inet inet;
        inet.setRequestTimeout(20s); // an endless body must end at the cap, long before this
        QElapsedTimer clock;
        clock.start();
        const Version::Result result = Version::checkV(inet, server.host());
        QVERIFY(clock.elapsed() < 15000);
        QCOMPARE(result.newer, newer);
        QCOMPARE(server.requests.value(0).method, "GET");
        QCOMPARE(server.requests.value(0).target, "/rar/seoFile/seofile.txt");
        const QString notice = u"软件有最新版本，请下载最新版本！\rhttp://"_qs + server.host() +
                               "\rQQ:" + QString::fromUtf8(Velomar::Config::ContactNumber);
        QCOMPARE(result.notice, newer ? notice : QString());
    }

    void versionCheckWithoutServer_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("refused") << false;
        QTest::newRow("never answers") << true;
    }
    void versionCheckWithoutServer()
    {
        QFETCH(bool, listening);
        HttpServer server;
        server.answer = [](const HttpRequest &) { return HttpAnswer{HttpAnswer::Stall}; };
        Inet inet;
        QCOMPARE(inet.requestTimeout(), 60000ms);
        inet.setRequestTimeout(300ms);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!Version::checkV(inet, listening ? server.host() : HttpServer::refusedHost()).newer);
        QVERIFY(clock.elapsed() < 10000);
        if (listening)
            QVERIFY(clock.elapsed() >= 250);
    }

    // Same address twice, two fetches on the wire: nothing is served from a cache.
    void pictureBytesNotCached()
    {
        HttpServer server;
        const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000") + QByteArray(3000, '\0');
        server.answer = [&](const HttpRequest &) { return HttpAnswer{HttpAnswer::Normal, 200, png}; };
        Inet inet;
        inet.setURL(Subscription::pictureUrl({server.host(), {}, {}}));
        QCOMPARE(inet.OpenURLBytes().value_or("failed"), png);
        QCOMPARE(inet.OpenURLBytes().value_or("failed"), png);
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests[1].target, "/cgi-bin/getverifyimage?aid=23000101&30815");
    }

    void executeOutcome_data()
    {
        QTest::addColumn<HttpAnswer>("answer");
        QTest::addColumn<int>("state");
        QTest::addColumn<qsizetype>("answerLength");
        QTest::newRow("page") << HttpAnswer{HttpAnswer::Normal, 200, "ok"} << 12 << qsizetype(2);
        QTest::newRow("0-byte page") << HttpAnswer{HttpAnswer::Normal, 200, ""} << 12 << qsizetype(0);
        QTest::newRow("error page is read") << HttpAnswer{HttpAnswer::Normal, 404, "gone"} << 12 << qsizetype(4);
        QTest::newRow("closed without answer") << HttpAnswer{HttpAnswer::CloseAtOnce} << 11 << qsizetype(0);
        QTest::newRow("closed mid-answer") << HttpAnswer{HttpAnswer::CloseMidBody, 200, "half"} << 11 << qsizetype(0);
        QTest::newRow("never answers") << HttpAnswer{HttpAnswer::Stall} << 11 << qsizetype(0);
        QTest::newRow("endless: read up to the cap")
            << HttpAnswer{HttpAnswer::Endless} << 12 << qsizetype(Inet::AnswerCap);
    }
    void executeOutcome()
    {
        QFETCH(HttpAnswer, answer);
        QFETCH(int, state);
        QFETCH(qsizetype, answerLength);
        HttpServer server;
        server.answer = [&](const HttpRequest &) { return answer; };
        Inet inet;
        inet.setRequestTimeout(answer.mode == HttpAnswer::Stall ? 300ms : 20s);
        bool busyAtEnd = false;
        connect(&inet, &Inet::StateChanged, this, [&] { busyAtEnd = inet.StillExecuting(); });
        QCOMPARE(executeAndWait(inet, server), state);
        QVERIFY(busyAtEnd);
        QVERIFY(!inet.StillExecuting());
        QCOMPARE(readAll(inet).size(), answerLength);
    }

    // The code typed for a picture goes out with the cookie that came with the picture, and only
    // from the instance that fetched it.
    void cookiesPerInstance()
    {
        HttpServer server;
        server.answer = [](const HttpRequest &r) {
            return HttpAnswer{HttpAnswer::Normal, 200, "x", r.method == "GET" ? "Set-Cookie: sid=42; Path=/\r\n" : ""};
        };
        Inet inet, other;
        QVERIFY(inet.OpenURLBytes(Subscription::pictureUrl({server.host(), {}, {}})));
        QCOMPARE(executeAndWait(inet, server), 12);
        QCOMPARE(executeAndWait(other, server), 12);
        QCOMPARE(server.requests[1].header("Cookie"), "sid=42");
        QCOMPARE(server.requests[2].header("Cookie"), "");
    }

    // Split points around the 1024-byte piece border, inside a double-byte character too;
    // the joined pieces must equal a decode of the whole answer.
    void answerInPieces_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Subscription::Outcome>("outcome");
        const QByteArray thanks = QByteArray::fromHex("b8d0d0bbc4fab6a9d4c4"); // 感谢您订阅 in GBK
        for (int prefix : {1014, 1015, 1019, 1022, 1023, 1024, 2047}) {
            QTest::addRow("phrase at %d", prefix)
                << QByteArray(prefix, 'a') + thanks << Subscription::Outcome::Subscribed;
        }
        QTest::newRow("odd Chinese run before it")
            << QByteArray::fromHex("d6d0").repeated(700) + "a" + thanks << Subscription::Outcome::Subscribed;
        QTest::newRow("invalid GBK before it")
            << QByteArray("\xff\x81\x20\x80", 4).repeated(300) + thanks << Subscription::Outcome::Subscribed;
        QTest::newRow("answer ends in half a character")
            << QByteArray(1500, 'a') + "\xb8" << Subscription::Outcome::Unrecognised;
    }
    void answerInPieces()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Subscription::Outcome, outcome);
        HttpServer server;
        server.answer = [&](const HttpRequest &) { return HttpAnswer{HttpAnswer::Normal, 200, bytes}; };
        Inet inet;
        QCOMPARE(executeAndWait(inet, server), 12);
        const QString answer = readAll(inet);
        QCOMPARE(answer, Gbk::decode(bytes));
        QCOMPARE(Subscription::classify(answer), outcome);
    }

    void classify_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Subscription::Outcome>("outcome");
        using O = Subscription::Outcome;
        QTest::newRow("thanks and already: thanks wins") << u"您已订阅过该栏目 感谢您订阅"_qs << O::Subscribed;
        QTest::newRow("too frequent before invalid")
            << u"您填写的邮件地址无效抱歉，栏目订阅过于频繁"_qs << O::TooFrequent;
        QTest::newRow("already before invalid") << u"您填写的邮件地址无效您已订阅过该栏目"_qs << O::AlreadySubscribed;
        QTest::newRow("invalid") << u"<p>您填写的邮件地址无效</p>"_qs << O::InvalidAddress;
        QTest::newRow("ASCII comma") << u"抱歉,栏目订阅过于频繁"_qs << O::Unrecognised;
        QTest::newRow("part of a phrase") << u"感谢您订"_qs << O::Unrecognised;
        QTest::newRow("empty") << QString() << O::Unrecognised;
    }
    void classify()
    {
        QFETCH(QString, answer);
        QFETCH(Subscription::Outcome, outcome);
        QCOMPARE(Subscription::classify(answer), outcome);
    }

    // While a blocking fetch waits, the other request's states are held back and arrive
    // afterwards, so a window never handles its answer in the middle of its own picture refresh.
    void stateHeldDuringFetch()
    {
        HttpServer server;
        server.answer = [](const HttpRequest &r) {
            return r.method == "GET" ? HttpAnswer{HttpAnswer::Stall} : HttpAnswer{HttpAnswer::Normal, 200, "a"};
        };
        Inet inet;
        inet.setRequestTimeout(1s);
        QSignalSpy states(&inet, &Inet::StateChanged);
        const Subscription::Service service{server.host(), {}, {}};
        QVERIFY(inet.Execute(Subscription::requestUrl(service), "POST", "", ""));
        QVERIFY(!inet.OpenURLBytes(Subscription::pictureUrl(service)));
        QCOMPARE(server.count("POST"), 1);
        QCOMPARE(states.size(), 0);
        QTRY_COMPARE(states.size(), 3);
        QCOMPARE(states.last().at(0).toInt(), int(Inet::icResponseCompleted));
        QCOMPARE(readAll(inet), "a");
    }
};

QTEST_GUILESS_MAIN(TestInet)
#include "tst_inet.moc"
