#include "ArticleEditor.h"
#include "Form1.h"
#include "Gbk.h"
#include "Insertion.h"
#include "Messages.h"
#include "Notice.h"
#include "Qirvan.h"
#include "Statistics.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

namespace {
QString chinese(int n)
{
    return QString(n, QChar(0x6587));
}

// Sends a pointer move straight to one widget, as the pointer passing over it would.
void moveOver(QWidget *w)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_w;
    QStringList m_shown; // "icon|caption|text" of every message box

    template <typename T = QWidget> T *child(const char *name) { return m_w->findChild<T *>(name); }
    ArticleEditor *Text1() { return child<ArticleEditor>("Text1"); }
    QString label(const char *name) { return child<QLabel>(name)->text(); }
    void click(const char *name) { QTest::mouseClick(child(name), Qt::LeftButton); }
    QColor label1Colour() { return child("Label1")->palette().color(QPalette::WindowText); }
    void open(Form1::VersionCheck check = {})
    {
        m_w = std::make_unique<Form1>(m_dir->path(), std::move(check));
        QVERIFY(m_w->Form_Load());
        m_w->show();
        m_w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    }
    void addRecords(int n)
    {
        for (int i = 1; i <= n; ++i)
            m_w->table().append(QString("词%1").arg(i), QString("http://k%1.example/").arg(i));
    }

private Q_SLOTS:
    void initTestCase()
    {
        Messages::SetHook([this](QMessageBox::Icon icon, const QString &caption, const QString &text) {
            m_shown << QString("%1|%2|%3").arg(icon).arg(caption, text);
        });
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_shown.clear();
        open();
    }
    void cleanup() { m_w.reset(); }

    void startUp()
    {
        QCOMPARE(Text1()->articleText(), Form1::UsageText());
        QVERIFY(Form1::UsageText().endsWith("将做为改进软件的参。\r\n\r\n"));
        QCOMPARE(m_w->windowTitle(), "Velomarv1.0  " + StatisticsText(CountArticle(Form1::UsageText())));
        QCOMPARE(label("Label5"), "关键字少于2个");
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QVERIFY(!child("P1")->isVisible()); // the usage text is no edit
        QCOMPARE(m_w->size(), QSize(558, 408));
    }

    // Chinese must render as characters, not as the empty boxes of a missing font.
    void chineseGlyphsExist()
    {
        for (QWidget *w : {child("Label4"), child("Label5"), static_cast<QWidget *>(Text1())}) {
            QTextLayout layout("关键字插入：（全文共）", w->font());
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun &run : layout.glyphRuns())
                QVERIFY2(!run.glyphIndexes().contains(0), qPrintable(run.rawFont().familyName()));
            QVERIFY(!layout.glyphRuns().isEmpty());
        }
    }

    void geometryInTwips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Text1") << "Text1" << QRect(120, 1200, 8055, 4275);
        QTest::newRow("Command1") << "Command1" << QRect(120, 5600, 975, 375);
        QTest::newRow("Frame2") << "Frame2" << QRect(5040, 360, 3135, 735);
        QTest::newRow("ListView1") << "ListView1" << QRect(120, 420, 8055, 4455);
        QTest::newRow("Command4") << "Command4" << QRect(6960, 5460, 1095, 375);
    }
    void geometryInTwips()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        auto *tab = child<QTabWidget>("SSTab1");
        QWidget *w = m_w->findChild<QWidget *>(name);
        tab->setCurrentWidget(w->parentWidget());
        QTRY_VERIFY(w->isVisible());
        auto px = [](int t) { return (2 * t + 15) / 30; };
        QCOMPARE(QRect(w->mapTo(tab, QPoint()), w->size()),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    }

    void generate_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("chineseChars");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("message");
        QTest::newRow("no records") << 0 << 100 << false << "关键字少于两个？多加点吧！";
        QTest::newRow("one record") << 1 << 100 << false << "关键字少于两个？多加点吧！";
        QTest::newRow("79 chinese") << 2 << 79 << true << "文章字数不能少于80个字，多写点吧！";
        QTest::newRow("80 chinese, copy off") << 2 << 80 << false << QString();
        QTest::newRow("80 chinese, copy on") << 2 << 80 << true << QString();
    }
    void generate()
    {
        QFETCH(int, records);
        QFETCH(int, chineseChars);
        QFETCH(bool, copy);
        QFETCH(QString, message);
        addRecords(records);
        click("Label5"); // draw a pair with the records there now
        if (copy)
            click("CCopy");
        QGuiApplication::clipboard()->setText("sentinel");
        const QString article = chinese(chineseChars) + "\r\nEnd";
        Text1()->replaceArticle(article);
        const QString expected = InsertPair(article, m_w->engine().PendingLink1(), m_w->engine().PendingLink2());
        click("Command1");
        if (!message.isEmpty()) {
            QCOMPARE(m_shown, QStringList{QString("%1|提示|").arg(QMessageBox::Warning) + message});
            QCOMPARE(Text1()->articleText(), article);
            QCOMPARE(QGuiApplication::clipboard()->text(), "sentinel");
            return;
        }
        QVERIFY(m_shown.isEmpty());
        QVERIFY(expected.startsWith(chinese(28) + "<a href=\"http://k"));
        QCOMPARE(Text1()->articleText(), expected);
        QCOMPARE(label("Label4"), QString::number(CountArticle(expected).chinese));
        QVERIFY(m_w->windowTitle().endsWith(StatisticsText(CountArticle(expected))));
        QCOMPARE(QGuiApplication::clipboard()->text(), copy ? expected : "sentinel");
    }

    void addAndDeleteKeepIds()
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        for (int i = 0; i < 3; ++i)
            click("Command2");
        QCOMPARE(m_w->table().keyWord(1), "关键字");
        QCOMPARE(m_w->table().link(1), Form1::DefaultLink());
        QCOMPARE(label("Label4"), "填加成功");
        QVERIFY(child("P1")->isVisible());
        QVERIFY(label("Label5").startsWith("①关键字  ②关键字"));

        auto *list = child<QTableView>("ListView1");
        list->selectRow(0);
        click("Del");
        click("Command2");
        QStringList ids;
        for (int r = 0; r < m_w->table().count(); ++r)
            ids << m_w->table().index(r, KeywordTable::ColumnId).data().toString();
        QCOMPARE(ids, (QStringList{"2", "3", "3"}));

        list->selectRow(1); // the Delete key works whatever modifiers are held
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(m_w->table().count(), 2);
        list->clearSelection(); // nothing selected: nothing removed, the preview still refreshes
        child<QLabel>("Label5")->clear();
        click("Del");
        QCOMPARE(m_w->table().count(), 2);
        QVERIFY(label("Label5").startsWith("①"));
    }

    void placeholdersAndEnter()
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(1);
        auto *twords = child<QLineEdit>("Twords");
        auto *tlink = child<QLineEdit>("Tlink");
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), QString());
        QTest::mouseClick(tlink, Qt::LeftButton);
        QCOMPARE(twords->text(), "关键字");
        QCOMPARE(tlink->text(), QString());
        QTest::keyClick(tlink, Qt::Key_Return); // adds with the empty link; the box stays empty
        QCOMPARE(m_w->table().count(), 1);
        QCOMPARE(m_w->table().link(1), QString());
        QVERIFY(tlink->hasFocus() && tlink->text().isEmpty());
        QTest::keyClicks(tlink, QString(120, 'x'));
        QCOMPARE(tlink->text().size(), 100);
        QTest::mouseClick(twords, Qt::LeftButton);
        QTest::keyClicks(twords, "abcdefghijkl");
        QCOMPARE(twords->text(), "abcdefghij");
        twords->setText("关键字 "); // not the placeholder: left alone
        QTest::mouseClick(tlink, Qt::LeftButton);
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), "关键字 ");
        twords->clear(); // the placeholder is back before the add button reads the box
        click("Command2");
        QCOMPARE(m_w->table().keyWord(2), "关键字");
    }

    void ctrlA_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("held");
        QTest::addColumn<bool>("selects");
        QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Alt") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("Ctrl released first") << Qt::KeyboardModifiers() << false;
    }
    void ctrlA()
    {
        QFETCH(Qt::KeyboardModifiers, held);
        QFETCH(bool, selects);
        QTest::keyPress(Text1(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyRelease(Text1(), Qt::Key_A, held);
        QCOMPARE(Text1()->textCursor().selectedText().size() == Text1()->toPlainText().size(), selects);
        QCOMPARE(Text1()->articleText(), Form1::UsageText());
    }

    void doubleClickClearsAndUndoBringsBack()
    {
        QTest::mouseDClick(Text1()->viewport(), Qt::LeftButton);
        QCOMPARE(Text1()->articleText(), QString());
        QVERIFY(m_w->windowTitle().endsWith("（全文共0个汉字-大小：0字节）"));
        QCOMPARE(label("Label4"), "0");
        Text1()->undo();
        QCOMPARE(Text1()->articleText(), Form1::UsageText());

        addRecords(2);
        click("Label5");
        Text1()->replaceArticle(chinese(100));
        click("Command1");
        QVERIFY(Text1()->articleText() != chinese(100));
        Text1()->undo();
        QCOMPARE(Text1()->articleText(), chinese(100));
    }

    // From rest: 51 rise ticks. A restart after 30 puts the panel back, but the count goes on.
    void notice_data()
    {
        QTest::addColumn<int>("restartAfter");
        QTest::addColumn<float>("topBeforeEnd");
        QTest::addColumn<int>("ticksToEnd");
        QTest::newRow("from rest") << -1 << 2760.0f - 1275 << 51;
        QTest::newRow("restart after 30") << 30 << 2760.0f - 810 /* 31 + ... + 50 */ << 21;
    }
    void notice()
    {
        QFETCH(int, restartAfter);
        QFETCH(float, topBeforeEnd);
        QFETCH(int, ticksToEnd);
        Notice &n = m_w->notice();
        QWidget *p1 = child("P1");
        n.Xianshi();
        for (int i = 0; i < restartAfter; ++i)
            n.Timer1_Timer(), n.Timer2_Timer();
        if (restartAfter >= 0) {
            n.Xianshi();
            QCOMPARE(n.panelTopTwips(), 2760.0f);
            QCOMPARE(n.FadeLevel(), 0);
        }
        for (int i = 1; i < ticksToEnd; ++i)
            n.Timer1_Timer();
        QCOMPARE(n.panelTopTwips(), topBeforeEnd);
        QCOMPARE(p1->y(), qRound(topBeforeEnd / 15));
        QVERIFY(p1->isVisible());
        for (int i = 0; i < 60; ++i)
            n.Timer2_Timer(); // the fade never passes white
        QCOMPARE(child("Label4")->palette().color(QPalette::WindowText), QColor(Qt::white));
        n.Timer1_Timer();
        QVERIFY(!p1->isVisible() && !n.Timer1().isActive() && !n.Timer2().isActive());
        QCOMPARE(n.RiseStep() + n.FadeLevel(), 0);
    }

    void tabStaysOnItsPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("last");
        QTest::newRow("page 0") << 0 << "Command1"
                                << "Cnew";
        QTest::newRow("page 1") << 1 << "ListView1"
                                << "Del";
    }
    void tabStaysOnItsPage()
    {
        QFETCH(int, page);
        QFETCH(QString, start);
        QFETCH(QString, last);
        auto *tab = child<QTabWidget>("SSTab1");
        tab->setCurrentIndex(page);
        m_w->findChild<QWidget *>(start)->setFocus();
        QStringList seen;
        for (int i = 0; i < 16; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *f = QApplication::focusWidget();
            seen << f->objectName();
            QVERIFY2(tab->widget(page)->isAncestorOf(f) || f == tab->tabBar(), qPrintable(seen.join(',')));
        }
        QVERIFY(seen.contains(last));
    }

    // The real box, answered as soon as it is up: one OK, the caption, CR-separated lines shown as lines.
    void messageBox()
    {
        QString seen;
        std::function<void()> answer = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return QTimer::singleShot(0, answer);
            seen = QString("%1|%2|%3|%4")
                       .arg(box->icon())
                       .arg(box->windowTitle(), box->text())
                       .arg(box->standardButtons());
            box->accept();
        };
        QTimer::singleShot(0, answer);
        Messages::SetHook({});
        Messages::Show(m_w.get(), QMessageBox::Information, "一\r二\r\nQQ:1");
        initTestCase();
        QCOMPARE(seen, QString("%1|提示|一\n二\nQQ:1|%2").arg(QMessageBox::Information).arg(QMessageBox::Ok));
    }

    void fileDialogFilter()
    {
        QCOMPARE(Qirvan::QtFilter("文本文件|*.txt|"), "文本文件 (*.txt)");
        QCOMPARE(Qirvan::QtFilter("Text|*.txt;*.log|All|*.*|"), "Text (*.txt *.log);;All (*.*)");
    }

    void maximiseRefused()
    {
        m_w->setWindowState(Qt::WindowMaximized);
        QCOMPARE(m_w->windowState(), Qt::WindowNoState);
        m_w->setWindowState(Qt::WindowMinimized);
        QVERIFY(m_w->windowState() & Qt::WindowMinimized);
    }

    void promotionLabel()
    {
        QCOMPARE(label1Colour(), QColor(0, 0, 255));
        QVERIFY(child("Label1")->font().underline());
        moveOver(child("Label1"));
        QCOMPARE(label1Colour(), QColor(255, 0, 0));
        moveOver(child<QTabWidget>("SSTab1")->widget(0));
        QCOMPARE(label1Colour(), QColor(0, 0, 255));

        // One dialog at a time. A closed port: the picture fails at once, the dialog still opens.
        m_w->setSubscriptionService({"127.0.0.1:9", "h0", "0"});
        click("Label1");
        QPointer<QWidget> first = m_w->subscriptionDialog();
        QVERIFY(first && first->isVisible());
        click("Label1");
        QCOMPARE(m_w->subscriptionDialog(), first.data());
        Text1()->replaceArticle("中文"); // the main window stays usable
        QCOMPARE(label("Label4"), "2");
        first->close();
        QTRY_VERIFY(first.isNull());
        click("Label1");
        QVERIFY(m_w->subscriptionDialog() && m_w->subscriptionDialog()->isVisible());
        m_w->subscriptionDialog()->close();
    }

    void filesAtStartUpAndShutDown()
    {
        m_w.reset();
        QFile data(m_dir->filePath("Data.txt")), ini(m_dir->filePath("Setting.ini"));
        QVERIFY(data.open(QIODevice::WriteOnly) && ini.open(QIODevice::WriteOnly));
        data.write(Gbk::encode(u"绿茶|http://g.example/\r\n红茶|http://r.example/\r\n"));
        ini.write(Gbk::encode(u"[Setting]\r\n粗体=1\r\n斜体=2\r\n新窗口打开=x\r\n"));
        data.close(), ini.close();
        open();
        QCOMPARE(m_w->table().count(), 2);
        QCOMPARE(child<QCheckBox>("CB")->checkState(), Qt::Checked);
        QCOMPARE(child<QCheckBox>("CI")->checkState(), Qt::PartiallyChecked);
        QCOMPARE(child<QCheckBox>("Cnew")->checkState(), Qt::Unchecked);
        QVERIFY(label("Label5") == "①绿茶  ②红茶" || label("Label5") == "①红茶  ②绿茶");
        QVERIFY(m_w->engine().PendingLink1().startsWith("<B><a href=")); // drawn after the options

        m_w->table().append("白茶", QString());
        click("CCopy");
        m_w->close();
        QVERIFY(data.open(QIODevice::ReadOnly) && ini.open(QIODevice::ReadOnly));
        QCOMPARE(data.readAll(), Gbk::encode(u"绿茶|http://g.example/\r\n红茶|http://r.example/\r\n白茶|\r\n\r\n"));
        const QString settings = Gbk::decode(ini.readAll());
        for (const char *line : {"粗体=1", "斜体=2", "新窗口打开=0", "生成后复制=1"})
            QVERIFY2(settings.contains(line), qPrintable(settings));
    }

    void newerVersionEndsWithoutSaving()
    {
        m_w = std::make_unique<Form1>(m_dir->path(), [](Form1 &) { return true; });
        QVERIFY(!m_w->Form_Load());
        m_w.reset();
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
