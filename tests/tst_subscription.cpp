#include "Centring.h"
#include "Fmail.h"
#include "Inet.h"
#include "Messages.h"
#include "Subscription.h"
#include "VersionCheck.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkReply>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

// A small HTTP/1.1 server on loopback, inside the test process: it records every request and
// answers each by the test's rule, well-behaved or not.
struct HttpRequest
{
    QByteArray method, target, head, body;

    QByteArray header(const QByteArray &name) const
    {
        const qsizetype at = head.toLower().indexOf("\r\n" + name.toLower() + ':');
        return at < 0 ? QByteArray() : head.mid(at + name.size() + 3).split('\r').first().trimmed();
    }
};

struct HttpAnswer
{
    // Cut: one byte more is promised than is sent before the connection closes. Refused: the test
    // asks a port nobody listens on.
    enum Mode { Normal, Stall, Cut, Refused } mode = Normal;
    int status = 200;
    QByteArray body{}, headers{}; // headers: whole lines, each ended by CR LF
};

struct HttpServer
{
    std::function<HttpAnswer(const HttpRequest &)> answer = [](const HttpRequest &) { return HttpAnswer{}; };
    QList<HttpRequest> requests;

    HttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    qsizetype count(const QByteArray &m) const { return std::ranges::count(requests, m, &HttpRequest::method); }

    void serve(QTcpSocket *socket)
    {
        // The bytes stay in the socket until the whole request has come.
        const QByteArray data = socket->peek(socket->bytesAvailable());
        const qsizetype headEnd = data.indexOf("\r\n\r\n");
        const QList<QByteArray> first = data.left(data.indexOf('\r')).split(' ');
        HttpRequest r{first.value(0), first.value(1), data.left(headEnd), {}};
        const qsizetype end = headEnd + 4 + r.header("Content-Length").toLongLong();
        if (headEnd < 0 || data.size() < end)
            return;
        r.body = socket->read(end).mid(headEnd + 4);
        const HttpAnswer a = answer(requests.emplace_back(r));
        if (a.mode == HttpAnswer::Stall)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(a.status) + " X\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(a.body.size() + (a.mode == HttpAnswer::Cut)) + "\r\n" + a.headers + "\r\n" +
                      a.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

// What is typed (null: the box is left alone), where it is sent from (OK clicked, or Enter in that
// box), how the body ends (null: nothing is sent), the answer, the message shown, whether the
// dialog closes.
using Submission = std::tuple<QString, QString, QString, QByteArray, HttpAnswer, QString, bool>;

class TestSubscription : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp; // the system temporary folder while the tests run (were it unusable, cleanup fails)
    QTimer m_watchdog;   // a hang names its case within seconds, long before CTest's own limit ends the program
    std::unique_ptr<HttpServer> m_server;
    QList<QByteArray> m_pictures; // the first is served; each later fetch moves on while there are more
    HttpAnswer m_postAnswer;
    QPointer<Fmail> m_dialog;
    QStringList m_messages;

    // A one-pixel grey picture; the dialog stores it under a ".jpg" name all the same.
    static QByteArray picture(int grey) { return "P5 1 1 255\n" + QByteArray(1, char(grey)); }
    int shown() const { return qGray(control<QLabel>("Picture1")->pixmap().toImage().pixel(0, 0)); }
    template <typename T = QWidget> T *control(const char *name) const { return m_dialog->findChild<T *>(name); }
    void click(const char *name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

private Q_SLOTS:
    void initTestCase()
    {
        m_watchdog.setSingleShot(true);
        connect(&m_watchdog, &QTimer::timeout, [] {
            qFatal("%s(%s) hangs", QTest::currentTestFunction(),
                   QTest::currentDataTag() ? QTest::currentDataTag() : "");
        });
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        Messages::SetHook([this](QMessageBox::Icon icon, const QString &, const QString &text) {
            m_messages << (icon == QMessageBox::Information ? text : "wrong icon: " + text);
        });
    }
    void init()
    {
        m_watchdog.start(20s);
        m_server = std::make_unique<HttpServer>();
        m_pictures = {picture(10)};
        m_server->answer = [this](const HttpRequest &r) {
            if (r.method == "POST")
                return m_postAnswer;
            if (m_pictures.size() > 1)
                m_pictures.removeFirst();
            return HttpAnswer{.body = m_pictures.first(), .headers = "Set-Cookie: sid=42; Path=/\r\n"};
        };
        m_messages.clear();
        m_dialog = new Fmail(QIcon(), {m_server->host(), "h0123", "ab45"});
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    }
    void cleanup()
    {
        m_watchdog.stop();
        delete m_dialog.data();
        QVERIFY(QDir(m_tmp.path()).isEmpty()); // the picture's temporary file is gone
    }

    // Opens with the picture fetched, centred by its frame, the address box focused. Each click on
    // the picture fetches it again through a temporary file; bytes that are no picture leave the
    // last one in place. Closing it while a fetch waits takes effect when the fetch returns.
    void opensAndRefreshesPicture()
    {
        QCOMPARE(m_server->requests.value(0).target, "/cgi-bin/getverifyimage?aid=23000101&30815");
        QCOMPARE(m_dialog->size(), QSize(149, 144));
        QTRY_COMPARE(m_dialog->frameGeometry().topLeft(), // by the frame, once it is known
                     Centring::framePosition(m_dialog->screen()->geometry(), m_dialog->frameGeometry().size()));
        QStringList chain; // from where the focus is when the dialog opens
        for (int i = 0; i < 5; ++i)
            chain << QApplication::focusWidget()->objectName(),
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(chain.join(' '), "Text1 Text2 Command1 Picture1 Text1");

        m_pictures << picture(200) << "<html>not a picture</html>";
        QFileSystemWatcher watcher({m_tmp.path()});
        QSignalSpy tmpChanged(&watcher, &QFileSystemWatcher::directoryChanged);
        QList<int> shownGreys{shown()};
        for (int i = 0; i < 2; ++i)
            click("Picture1"), shownGreys << shown();
        QCOMPARE(shownGreys, (QList<int>{10, 200, 200}));
        QTRY_VERIFY(!tmpChanged.isEmpty()); // written and emptied again, as cleanup checks
        QCOMPARE(m_server->count("GET"), 3);
        QCOMPARE(m_server->requests[2].target, m_server->requests[0].target);

        // Closed while its picture is fetched, the dialog hides at once and goes when the fetch returns.
        bool closedAtOnce = true;
        m_server->answer = [&](const HttpRequest &) {
            closedAtOnce = m_dialog->close() || !m_dialog->isHidden();
            return HttpAnswer{};
        };
        click("Picture1");
        QVERIFY(!closedAtOnce);
        QTRY_VERIFY(m_dialog.isNull());
    }

    // A click into the address box and a Tab into the code box clear the placeholders; what is typed
    // then goes out in GBK as it stands, nothing escaped or trimmed, with the picture's cookie.
    // Of the answer, the first phrase in this order decides: thanks, too frequent, already, invalid
    // address. The first three close the dialog; the others bring a new picture. A failed request
    // does nothing.
    void submit_data()
    {
        QTest::addColumn<Submission>("row");
        const QByteArray placeholders = QByteArray::fromHex("d3cacfe4b5d8d6b7") + "&verifycode_cn=" +
                                        QByteArray::fromHex("d1e9d6a4c2eb"); // 邮箱地址, 验证码 in GBK
        auto sent = [](const char *name, const QString &address, const QString &code, const char *submit,
                       const QByteArray &bodyEnd) {
            QTest::newRow(name) << Submission{address, code, submit, bodyEnd, {.mode = HttpAnswer::Stall}, {}, false};
        };
        sent("placeholders as they stand", {}, {}, "Command1", placeholders);
        sent("& and =", " a&b=c@x.cn ", "Ab 9", "Command1", " a&b=c@x.cn &verifycode_cn=Ab 9");
        sent("empty boxes", "", "", "Command1", "&verifycode_cn=");
        sent("Chinese code, Enter", "q@x.cn", "验证", "Text2",
             "q@x.cn&verifycode_cn=" + QByteArray::fromHex("d1e9d6a4"));
        sent("Enter in the address box", "q@x.cn", "1", "Text1", {});

        const QByteArray thanks = Gbk::encode(u"感谢您订阅"), frequent = Gbk::encode(u"抱歉，栏目订阅过于频繁"),
                         already = Gbk::encode(u"您已订阅过该栏目"), invalid = Gbk::encode(u"您填写的邮件地址无效");
        const QString subscribed = "恭喜！订阅成功，请到邮箱里面确认。", unknown = "订阅失败，未知道错误，请重试！";
        auto answered = [](const char *name, const HttpAnswer &answer, const QString &message, bool closes,
                           const char *submit = "Command1") {
            QTest::newRow(name) << Submission{"q@x.cn", "k3x9",  submit, "q@x.cn&verifycode_cn=k3x9",
                                              answer,   message, closes};
        };
        answered("thanks after already", {.body = already + thanks}, subscribed, true);
        answered("too frequent", {.body = invalid + frequent}, "失败，现在不能订阅，请过段时间再订阅吧！", true);
        answered("already", {.body = invalid + already}, "您已经订阅过我们的邮件了！", true);
        answered("invalid address", {.body = "<p>" + invalid + "</p>"}, "请输入正确的邮箱地址！", false);
        answered("ASCII comma", {.body = Gbk::encode(u"抱歉,栏目订阅过于频繁")}, unknown, false);
        answered("0-byte answer", {}, unknown, false);
        // Read in 1024-byte pieces: the phrase's first character straddles the border.
        answered("phrase split inside a character", {.body = QByteArray(1023, 'a') + thanks}, subscribed, true);
        answered("transfer broken off", {.mode = HttpAnswer::Cut, .body = thanks}, "", false);
        // Events run between the pieces of the answer: closing the dialog there, or its owner deleting it, ends the
        // read quietly.
        const HttpAnswer huge{.body = QByteArray(4 << 20, ' ') + thanks};
        answered("closed while the answer is read", huge, "", true, "Command1, then closed");
        answered("deleted while the answer is read", huge, "", true, "Command1, then deleted");
    }
    void submit()
    {
        QFETCH(Submission, row);
        const auto &[address, code, submit, bodyEnd, answer, message, closes] = row;
        m_postAnswer = answer;
        m_pictures << picture(200);
        if (!address.isNull())
            click("Text1"), control<QLineEdit>("Text1")->insert(address);
        if (!code.isNull())
            QTest::keyClick(control("Text1"), Qt::Key_Tab), control<QLineEdit>("Text2")->insert(code);
        const QPointer<Inet> inet = m_dialog->findChild<Inet *>();
        auto running = [this] {
            return std::ranges::count_if(m_dialog->findChildren<QNetworkReply *>(), &QNetworkReply::isRunning);
        };
        submit.startsWith("Command1") ? click("Command1")
                                      : QTest::keyClick(control(qPrintable(submit)), Qt::Key_Return);
        // A timer, like a click on the close box, is served between two pieces; the answer's 4096 pieces take far
        // longer to read than the timer's millisecond. The newest reply is the request's.
        if (const bool deleted = submit.endsWith("deleted"); submit.contains("then"))
            connect(m_dialog->findChildren<QNetworkReply *>().last(), &QNetworkReply::finished, this, [this, deleted] {
                QTimer::singleShot(1, m_dialog,
                                   [this, deleted] { deleted ? delete m_dialog.data() : (void)m_dialog->close(); });
            });
        QCOMPARE(running(), bodyEnd.isNull() ? 0 : 1);
        if (bodyEnd.isNull())
            return;
        click("Command1"); // busy: OK and Enter do nothing
        QTest::keyClick(control("Text2"), Qt::Key_Return);
        QCOMPARE(running(), 1);
        QTRY_COMPARE(m_server->count("POST"), 1);
        const HttpRequest post = m_server->requests.value(1); // after the picture's
        QCOMPARE(post.method + ' ' + post.target, "POST /cgi-bin/qf_compose_send");
        QCOMPARE(post.header("Referer"), "http://" + m_server->host().toLatin1() + "/cgi-bin/qf_compose_send");
        QCOMPARE(post.header("Content-Type"), "application/x-www-form-urlencoded");
        QCOMPARE(post.header("Cookie"), "sid=42");
        QCOMPARE(post.body, "qm_authimgs_id=1&qm_verifyimagesession=h0123&edition=" + m_server->host().toLatin1() +
                                "&id=ab45&t=qf_booked_feedback&to=" + bodyEnd);
        if (answer.mode == HttpAnswer::Stall)
            return;
        QTRY_VERIFY(!inet || !inet->StillExecuting());
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_server->count("GET"), closes || message.isEmpty() ? 1 : 2);
        QTRY_COMPARE(m_dialog.isNull(), closes);
        if (closes)
            return;
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(shown(), message.isEmpty() ? 10 : 200); // a new picture unless the request failed
        QCOMPARE(control<QLineEdit>("Text2")->text(), code);
    }

    // Each answer goes through both kinds of request. The version check's blocking fetch takes any
    // failure, an error status too, as no news. Execute reads an error page as a page, has no answer
    // when the request breaks off, times out or is refused, and reads an answer over the cap up to the cap.
    void inetAnswers_data()
    {
        QTest::addColumn<HttpAnswer>("answer");
        QTest::addColumn<bool>("newer");
        // Nothing is trimmed or folded: only the exact own version and an empty document are no news.
        QTest::newRow("own version") << HttpAnswer{.body = "v" VELOMAR_PROJECT_VERSION} << false;
        QTest::newRow("line break after it") << HttpAnswer{.body = "v" VELOMAR_PROJECT_VERSION "\r\n"} << true;
        QTest::newRow("capital V") << HttpAnswer{.body = "V1.0"} << true;
        QTest::newRow("empty document") << HttpAnswer{} << false;
        QTest::newRow("404 page") << HttpAnswer{.status = 404, .body = "v2.0"} << false;
        QTest::newRow("bad GBK, half a character at the end")
            << HttpAnswer{.body = QByteArray("\xff\x81\x20\x80", 4).repeated(300) + "\xb8"} << true;
        QTest::newRow("over the answer cap") << HttpAnswer{.body = QByteArray(Inet::AnswerCap + 1, 'x')} << false;
        QTest::newRow("closed mid-answer") << HttpAnswer{.mode = HttpAnswer::Cut, .body = "v2.0"} << false;
        QTest::newRow("never answers") << HttpAnswer{.mode = HttpAnswer::Stall} << false;
        QTest::newRow("refused") << HttpAnswer{.mode = HttpAnswer::Refused} << false;
    }
    void inetAnswers()
    {
        QFETCH(HttpAnswer, answer);
        QFETCH(bool, newer);
        HttpServer server;
        server.answer = [&](const HttpRequest &) { return answer; };
        // Refused: the port of a server that has gone again.
        const bool refused = answer.mode == HttpAnswer::Refused, stall = answer.mode == HttpAnswer::Stall;
        const QString host = refused ? [] { return HttpServer().host(); }() : server.host();
        Inet inet;
        inet.setRequestTimeout(stall ? 300ms : 20s);
        const auto started = std::chrono::steady_clock::now();
        QCOMPARE(Version::checkV(inet, host).newer, newer);
        const auto took = std::chrono::steady_clock::now() - started; // the time-out holds
        QVERIFY(took < 10s && (!stall || took >= 250ms));
        const HttpRequest request = server.requests.value(0);
        QCOMPARE(request.method + ' ' + request.target, refused ? " " : "GET /rar/seoFile/seofile.txt");

        int last = 0;
        bool busyAtEnd = false; // busy until its last state has been handled
        connect(&inet, &Inet::StateChanged, this, [&](int state) { last = state, busyAtEnd = inet.StillExecuting(); });
        QVERIFY(inet.Execute("http://" + host + "/", "POST", "", ""));
        QTRY_VERIFY_WITH_TIMEOUT(!inet.StillExecuting(), 30000);
        QVERIFY(busyAtEnd);
        const bool failed = answer.mode != HttpAnswer::Normal;
        QCOMPARE(last, failed ? Inet::icError : Inet::icResponseCompleted);
        QCOMPARE(Subscription::readAnswer(inet, [] { return true; }),
                 failed ? QString() : Gbk::decode(answer.body.left(Inet::AnswerCap)));
    }

    // While a blocking fetch waits, the other request's states are held back and arrive
    // afterwards, so a window never handles its answer in the middle of its own picture refresh.
    void inetStateHeldDuringFetch()
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

QTEST_MAIN(TestSubscription)
#include "tst_subscription.moc"
