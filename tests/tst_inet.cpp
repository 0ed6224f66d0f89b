#include "HttpServer.h"
#include "Inet.h"
#include "Subscription.h"
#include "VersionCheck.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestInet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each answer goes through both kinds of request. The version check's blocking fetch takes any
    // failure, an error status too, as no news. Execute reads an error page as a page, has no answer
    // when the request breaks off or times out, and reads an answer over the cap up to the cap.
    void answers_data()
    {
        QTest::addColumn<HttpAnswer>("answer");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("newer");
        QTest::addColumn<int>("state");
        auto row = [](const char *name, const HttpAnswer &answer, bool newer, int state, bool refused = false) {
            QTest::newRow(name) << answer << refused << newer << state;
        };
        // Nothing is trimmed or folded: only the exact own version and an empty document are no news.
        row("own version", {.body = "v1.0"}, false, Inet::icResponseCompleted);
        row("line break after it", {.body = "v1.0\r\n"}, true, Inet::icResponseCompleted);
        row("capital V", {.body = "V1.0"}, true, Inet::icResponseCompleted);
        row("empty document", {}, false, Inet::icResponseCompleted);
        row("404 page", {.status = 404, .body = "v2.0"}, false, Inet::icResponseCompleted);
        row("bad GBK, half a character at the end", {.body = QByteArray("\xff\x81\x20\x80", 4).repeated(300) + "\xb8"},
            true, Inet::icResponseCompleted);
        row("over the answer cap", {.body = QByteArray(Inet::AnswerCap + 1, 'x')}, false, Inet::icResponseCompleted);
        row("closed mid-answer", {.mode = HttpAnswer::Cut, .body = "v2.0"}, false, Inet::icError);
        row("never answers", {.mode = HttpAnswer::Stall}, false, Inet::icError);
        row("refused", {}, false, Inet::icError, true);
    }
    void answers()
    {
        QFETCH(HttpAnswer, answer);
        QFETCH(bool, refused);
        QFETCH(bool, newer);
        QFETCH(int, state);
        HttpServer server;
        server.answer = [&](const HttpRequest &) { return answer; };
        // Refused: the port of a server that has gone again.
        const QString host = refused ? [] { return HttpServer().host(); }() : server.host();
        const bool stall = answer.mode == HttpAnswer::Stall;
        Inet inet;
        inet.setRequestTimeout(stall ? 300ms : 20s);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Version::checkV(inet, host).newer, newer);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!stall || clock.elapsed() >= 250);
        const HttpRequest request = server.requests.value(0);
        QCOMPARE(request.method + ' ' + request.target, refused ? " " : "GET /rar/seoFile/seofile.txt");

        QSignalSpy states(&inet, &Inet::StateChanged);
        bool busyAtEnd = false;
        connect(&inet, &Inet::StateChanged, this, [&] { busyAtEnd = inet.StillExecuting(); });
        QVERIFY(inet.Execute("http://" + host + "/", "POST", "", ""));
        QTRY_VERIFY_WITH_TIMEOUT(!inet.StillExecuting(), 30000);
        QVERIFY(busyAtEnd); // until its last state has been handled
        QCOMPARE(states.last().at(0).toInt(), state);
        QCOMPARE(Subscription::readAnswer(inet, [] { return true; }),
                 state == Inet::icError ? QString() : Gbk::decode(answer.body.left(Inet::AnswerCap)));
    }

    // While a blocking fetch waits, the other request's states are held back and arrive
    // afterwards, so a window never handles its answer in the middle of its own picture refresh.
    void stateHeldDuringFetch()
    {
        HttpServer server;
        server.answer = [](const HttpRequest &r) {
            return HttpAnswer{.mode = r.method == "GET" ? HttpAnswer::Stall : HttpAnswer::Normal, .body = "a"};
        };
        Inet inet;
        inet.setRequestTimeout(1s);
        QSignalSpy states(&inet, &Inet::StateChanged);
        QVERIFY(inet.Execute("http://" + server.host() + "/", "POST", "", ""));
        QVERIFY(!inet.OpenURLBytes("http://" + server.host() + "/"));
        QCOMPARE(server.count("POST"), 1);
        QCOMPARE(states.size(), 0);
        QTRY_COMPARE(states.size(), 3);
        QCOMPARE(Subscription::readAnswer(inet, [] { return true; }), u"a"_qs);
    }
};

QTEST_GUILESS_MAIN(TestInet)
#include "tst_inet.moc"
