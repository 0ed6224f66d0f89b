#include "Fmail.h"
#include "HttpServer.h"
#include "Inet.h"
#include "Messages.h"

#include <QBuffer>
#include <QDir>
#include <QFileSystemWatcher>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestSubscription : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp; // the system temporary folder while the tests run
    std::unique_ptr<HttpServer> m_server;
    QList<QByteArray> m_pictures; // served in turn, the last one from then on
    QByteArray m_lastPicture;
    HttpAnswer m_postAnswer;
    QPointer<Fmail> m_dialog;
    QStringList m_messages;

    static QByteArray png(Qt::GlobalColor colour)
    {
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
    template <typename T> T *control(const char *name) const { return m_dialog->findChild<T *>(name); }
    QColor pictureColour() const { return control<QLabel>("Picture1")->pixmap().toImage().pixelColor(0, 0); }
    static void type(QLineEdit *box, const QString &text)
    {
        QInputMethodEvent typed; // as an input method commits Chinese
        typed.setCommitString(text);
        QApplication::sendEvent(box, &typed);
    }
    QByteArray bodyStart() const
    {
        return "qm_authimgs_id=1&qm_verifyimagesession=h0123&edition=" + m_server->host().toLatin1() +
               "&id=ab45&t=qf_booked_feedback&to=";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        Messages::SetHook([this](QMessageBox::Icon icon, const QString &caption, const QString &text) {
            QCOMPARE(icon, QMessageBox::Information);
            QCOMPARE(caption, "提示");
            m_messages << text;
        });
    }
    void init()
    {
        m_server = std::make_unique<HttpServer>();
        m_pictures = {png(Qt::red)};
        m_lastPicture.clear();
        m_postAnswer = HttpAnswer();
        m_server->answer = [this](const HttpRequest &r) {
            if (r.method == "POST")
                return m_postAnswer;
            if (!m_pictures.isEmpty())
                m_lastPicture = m_pictures.takeFirst();
            return HttpAnswer(HttpAnswer::Normal, 200, m_lastPicture);
        };
        m_messages.clear();
        m_dialog =
            new Fmail(QIcon(QPixmap::fromImage(QImage::fromData(png(Qt::blue)))), {m_server->host(), "h0123", "ab45"});
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    }
    void cleanup()
    {
        delete m_dialog.data();
        QVERIFY(QDir(m_tmp.path()).isEmpty()); // the picture's temporary file is gone
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("Picture1") << "Picture1" << QRect(120, 120, 2055, 735) << "";
        QTest::newRow("Label1") << "Label1" << QRect(120, 960, 1695, 255) << "邮箱地址:@qq.com";
        QTest::newRow("Text1") << "Text1" << QRect(120, 1200, 1935, 375) << "邮箱地址";
        QTest::newRow("Text2") << "Text2" << QRect(120, 1680, 1095, 375) << "验证码";
        QTest::newRow("Command1") << "Command1" << QRect(1320, 1680, 735, 375) << "确定";
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QWidget *widget = m_dialog->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        if (!text.isEmpty())
            QCOMPARE(widget->property("text").toString(), text);
    }

    void setUp()
    {
        QCOMPARE(m_dialog->windowTitle(), "订阅后自动发送");
        QCOMPARE(m_dialog->windowIcon().pixmap(16).toImage().pixelColor(0, 0), QColor(Qt::blue));
        QVERIFY(m_dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(m_dialog->size(), QSize(149, 144));
        const QRect screen = m_dialog->screen()->geometry();
        const QRect frame = m_dialog->frameGeometry();
        QVERIFY(qAbs(frame.left() - screen.left() - (screen.right() - frame.right())) <= 1);
        QVERIFY(qAbs(frame.top() - screen.top() - (screen.bottom() - frame.bottom())) <= 1);
        QCOMPARE(m_server->requests.size(), 1);
        QCOMPARE(m_server->requests[0].method + ' ' + m_server->requests[0].target,
                 "GET /cgi-bin/getverifyimage?aid=23000101&30815");
        QCOMPARE(pictureColour(), QColor(Qt::red));
        // Tab order, starting where the focus is when the dialog opens.
        QStringList chain;
        for (int i = 0; i < 4; ++i) {
            chain << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(chain.join(' '), "Text1 Text2 Command1 Picture1");
        QCOMPARE(QApplication::focusWidget()->objectName(), "Text1");
    }

    void placeholders_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byTab");
        QTest::addColumn<QString>("after");
        QTest::newRow("address clicked") << "Text1"
                                         << "邮箱地址" << false << "";
        QTest::newRow("address tabbed into") << "Text1"
                                             << "邮箱地址" << true << "邮箱地址";
        QTest::newRow("address with a space") << "Text1"
                                              << "邮箱地址 " << false << "邮箱地址 ";
        QTest::newRow("code clicked") << "Text2"
                                      << "验证码" << false << "";
        QTest::newRow("code tabbed into") << "Text2"
                                          << "验证码" << true << "";
        QTest::newRow("code differs") << "Text2"
                                      << "验证码x" << false << "验证码x";
        QTest::newRow("emptied stays empty") << "Text2"
                                             << "" << true << "";
    }
    void placeholders()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(bool, byTab);
        QFETCH(QString, after);
        auto *edit = control<QLineEdit>(qPrintable(box));
        edit->setText(text);
        if (byTab) {
            QWidget *before = box == "Text1" ? control<QWidget>("Picture1") : control<QWidget>("Text1");
            before->setFocus();
            QTest::keyClick(before, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), edit);
        } else {
            QTest::mouseClick(edit, Qt::LeftButton);
        }
        QCOMPARE(edit->text(), after);
        QTest::keyClick(edit, Qt::Key_Tab); // leaving the box puts nothing back
        QCOMPARE(edit->text(), after);
    }

    void submitOnTheWire_data()
    {
        QTest::addColumn<QString>("address"); // null: left as it stands
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("submit");
        QTest::addColumn<QByteArray>("bodyEnd");
        const QByteArray placeholders = QByteArray::fromHex("d3cacfe4b5d8d6b7") + "&verifycode_cn=" +
                                        QByteArray::fromHex("d1e9d6a4c2eb"); // 邮箱地址, 验证码 in GBK
        QTest::newRow("placeholders as they stand") << QString() << QString() << "Command1" << placeholders;
        QTest::newRow("nothing escaped or trimmed") << " a&b=c@x.cn "
                                                    << "Ab 9"
                                                    << "Command1" << QByteArray(" a&b=c@x.cn &verifycode_cn=Ab 9");
        QTest::newRow("empty boxes") << ""
                                     << ""
                                     << "Command1" << QByteArray("&verifycode_cn=");
        QTest::newRow("Chinese in the code box, Enter")
            << "q@x.cn"
            << "验证"
            << "Text2" << QByteArray("q@x.cn&verifycode_cn=") + QByteArray::fromHex("d1e9d6a4");
        QTest::newRow("Enter in the address box") << "q@x.cn"
                                                  << "1"
                                                  << "Text1" << QByteArray();
    }
    void submitOnTheWire()
    {
        QFETCH(QString, address);
        QFETCH(QString, code);
        QFETCH(QString, submit);
        QFETCH(QByteArray, bodyEnd);
        m_postAnswer = HttpAnswer(HttpAnswer::Stall);
        for (auto [name, text] : {std::pair{"Text1", address}, std::pair{"Text2", code}}) {
            auto *box = control<QLineEdit>(name);
            if (text.isNull())
                continue;
            QTest::mouseClick(box, Qt::LeftButton); // clears the placeholder
            type(box, text);
        }
        if (submit == "Command1")
            QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        else
            QTest::keyClick(control<QWidget>(qPrintable(submit)), Qt::Key_Return);
        auto *inet = m_dialog->findChild<Inet *>();
        QCOMPARE(inet->StillExecuting(), !bodyEnd.isNull());
        if (bodyEnd.isNull())
            return;
        QTRY_COMPARE(m_server->count("POST"), 1);
        const HttpRequest &post = m_server->requests.last();
        QCOMPARE(post.target, "/cgi-bin/qf_compose_send");
        QCOMPARE(post.header("Referer"), "http://" + m_server->host().toLatin1() + "/cgi-bin/qf_compose_send");
        QCOMPARE(post.header("Content-Type"), "application/x-www-form-urlencoded");
        QCOMPARE(post.body, bodyStart() + bodyEnd);
    }

    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closes");
        auto gbk = [](const char *text) { return Gbk::encode(QString::fromUtf8(text)); };
        QTest::newRow("subscribed wins over already")
            << gbk("您已订阅过该栏目感谢您订阅") << "恭喜！订阅成功，请到邮箱里面确认。" << true;
        QTest::newRow("too frequent") << gbk("<b>抱歉，栏目订阅过于频繁</b>")
                                      << "失败，现在不能订阅，请过段时间再订阅吧！" << true;
        QTest::newRow("already") << gbk("您已订阅过该栏目") << "您已经订阅过我们的邮件了！" << true;
        QTest::newRow("invalid address") << gbk("您填写的邮件地址无效") << "请输入正确的邮箱地址！" << false;
        QTest::newRow("ASCII comma") << gbk("抱歉,栏目订阅过于频繁") << "订阅失败，未知道错误，请重试！" << false;
        QTest::newRow("0-byte answer") << QByteArray() << "订阅失败，未知道错误，请重试！" << false;
        QTest::newRow("phrase after the 16 MB cap")
            << QByteArray(Inet::AnswerCap, ' ') + gbk("感谢您订阅") << "订阅失败，未知道错误，请重试！" << false;
    }
    void outcomes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, message);
        QFETCH(bool, closes);
        m_postAnswer = HttpAnswer(HttpAnswer::Normal, 200, answer);
        m_pictures << png(Qt::green);
        auto *code = control<QLineEdit>("Text2");
        QTest::mouseClick(code, Qt::LeftButton);
        QTest::keyClicks(code, "k3x9");
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(m_messages, QStringList{message});
        if (closes) {
            QTRY_VERIFY(m_dialog.isNull());
            QCOMPARE(m_server->count("GET"), 1);
            return;
        }
        QCOMPARE(m_server->count("GET"), 2);
        QCOMPARE(pictureColour(), QColor(Qt::green));
        QCOMPARE(code->text(), "k3x9");
    }

    // A failed request gives no message, and OK works again afterwards.
    void failedRequestIgnored()
    {
        m_postAnswer = HttpAnswer(HttpAnswer::CloseAtOnce);
        auto *inet = m_dialog->findChild<Inet *>();
        QSignalSpy states(inet, &Inet::StateChanged);
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QTRY_VERIFY(!inet->StillExecuting());
        QCOMPARE(states.last().at(0).toInt(), int(Inet::icError));
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(m_server->count("POST"), 2);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(m_dialog->isVisible());
    }

    void okIgnoredWhileBusy()
    {
        m_postAnswer = HttpAnswer(HttpAnswer::Stall);
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QTest::keyClick(control<QLineEdit>("Text2"), Qt::Key_Enter);
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(m_server->count("POST"), 1);
        QVERIFY(m_dialog->findChild<Inet *>()->StillExecuting());
    }

    void pictureRefresh()
    {
        m_pictures << png(Qt::green) << "<html>not a picture</html>";
        QFileSystemWatcher watcher({m_tmp.path()});
        QSignalSpy tmpChanged(&watcher, &QFileSystemWatcher::directoryChanged);
        QTest::mouseClick(control<QLabel>("Picture1"), Qt::LeftButton);
        QCOMPARE(pictureColour(), QColor(Qt::green));
        QTRY_VERIFY(!tmpChanged.isEmpty()); // the picture went through the temporary folder (emptied in cleanup)
        QTest::mouseClick(control<QLabel>("Picture1"), Qt::LeftButton); // not an image: the last one stays
        QCOMPARE(pictureColour(), QColor(Qt::green));
        QCOMPARE(m_server->count("GET"), 3);
        QCOMPARE(m_server->requests[2].target, m_server->requests[0].target);
    }

    // The box the user sees, answered as soon as it is up.
    void messageBox()
    {
        QString seen;
        std::function<void()> answer = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return QTimer::singleShot(0, answer);
            seen = box->windowTitle() + '|' + box->text() + '|' + QString::number(box->icon()) + '|' +
                   QString::number(box->standardButtons());
            box->accept();
        };
        QTimer::singleShot(0, answer);
        Messages::SetHook({});
        Messages::Show(m_dialog, QMessageBox::Information, "请输入正确的邮箱地址！");
        initTestCase();
        QCOMPARE(seen, "提示|请输入正确的邮箱地址！|" + QString::number(QMessageBox::Information) + '|' +
                           QString::number(QMessageBox::Ok));
    }

    // Events run between the pieces of the answer: closing the dialog there, or its owner deleting
    // it, ends the read quietly.
    void closedWhileReadingAnswer_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("closed") << false;
        QTest::newRow("deleted") << true;
    }
    void closedWhileReadingAnswer()
    {
        QFETCH(bool, deleted);
        m_postAnswer = HttpAnswer(HttpAnswer::Normal, 200, QByteArray(4 << 20, ' ') + Gbk::encode(u"感谢您订阅"));
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        const QList<QNetworkReply *> replies = m_dialog->findChildren<QNetworkReply *>();
        auto *reply = *std::find_if(replies.begin(), replies.end(), [](auto *r) { return !r->isFinished(); });
        // A timer, like a click on the close box, is served between two pieces; the answer's 4096
        // pieces take far longer to read than the timer's millisecond.
        connect(reply, &QNetworkReply::finished, this, [this, deleted] {
            QTimer::singleShot(1, m_dialog,
                               [this, deleted] { deleted ? delete m_dialog.data() : (void)m_dialog->close(); });
        });
        QTRY_VERIFY(m_dialog.isNull());
        QVERIFY(m_messages.isEmpty());
    }

    // Closing while the picture is being fetched closes the dialog once the fetch has returned.
    void closedWhileFetchingPicture()
    {
        m_server->onRequest = [this](const HttpRequest &) {
            QVERIFY(!m_dialog->close());
            QVERIFY(m_dialog->isHidden());
        };
        QTest::mouseClick(control<QLabel>("Picture1"), Qt::LeftButton);
        QCOMPARE(m_server->count("GET"), 2);
        QTRY_VERIFY(m_dialog.isNull());
    }
};

QTEST_MAIN(TestSubscription)
#include "tst_subscription.moc"
