#include "ArticleEditor.h"
#include "Form1.h"
#include "Gbk.h"
#include "Insertion.h"
#include "Messages.h"
#include "Notice.h"
#include "Statistics.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Shown
{
    QMessageBox::Icon icon;
    QString caption;
    QString text;
};

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString chinese(int n)
{
    return QString(n, QChar(0x6587));
}

// Types text the way a keyboard with an input method does: one key event per character.
void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    std::unique_ptr<Form1> m_w;
    QList<Shown> m_shown;

    template <typename T> T *child(const char *name)
    {
        T *w = m_w->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    ArticleEditor *Text1() { return child<ArticleEditor>("Text1"); }
    QLabel *Label5() { return child<QLabel>("Label5"); }

    void open(Form1::VersionCheck check = {})
    {
        m_w = std::make_unique<Form1>(m_dir->path(), std::move(check));
        QVERIFY(m_w->Form_Load());
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
    }
    void showPage(int page) { child<QTabWidget>("SSTab1")->setCurrentIndex(page); }
    void click(const char *name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    void addRecords(int n)
    {
        for (int i = 1; i <= n; ++i)
            m_w->table().append(QStringLiteral("词%1").arg(i), QStringLiteral("http://k%1.example/").arg(i));
    }

private Q_SLOTS:
    void initTestCase()
    {
        Messages::SetHook([this](QMessageBox::Icon icon, const QString &caption, const QString &text) {
            m_shown.append({icon, caption, text});
        });
    }
    void init()
    {
        m_dir = new QTemporaryDir;
        m_shown.clear();
        open();
    }
    void cleanup()
    {
        m_w.reset();
        delete m_dir;
    }

    void startUp()
    {
        QCOMPARE(Text1()->articleText(), Form1::UsageText());
        QVERIFY(Form1::UsageText().endsWith(QStringLiteral("将做为改进软件的参。\r\n\r\n")));
        QCOMPARE(m_w->windowTitle(),
                 QStringLiteral("Velomarv1.0  ") + StatisticsText(CountArticle(Form1::UsageText())));
        QCOMPARE(Label5()->text(), QStringLiteral("关键字少于2个"));
        QCOMPARE(child<QTabWidget>("SSTab1")->currentIndex(), 0);
        QVERIFY(!child<QWidget>("P1")->isVisible()); // loading the usage text is no edit
        QVERIFY(m_shown.isEmpty());
    }

    void geometryInTwips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Text1") << "Text1" << QRect(120, 1200, 8055, 4275);
        QTest::newRow("Command1") << "Command1" << QRect(120, 5600, 975, 375);
        QTest::newRow("Frame2") << "Frame2" << QRect(5040, 360, 3135, 735);
        QTest::newRow("Label1") << "Label1" << QRect(5760, 5760, 2415, 255);
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
        const QPoint topLeft = w->mapTo(tab, QPoint());
        auto px = [](int t) { return (2 * t + 15) / 30; };
        QCOMPARE(topLeft, QPoint(px(twips.x()), px(twips.y())));
        QCOMPARE(w->size(), QSize(px(twips.width()), px(twips.height())));
        QCOMPARE(m_w->size(), QSize(558, 408));
        QCOMPARE(tab->geometry(), m_w->rect());
    }

    void generate_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("chineseChars");
        QTest::addColumn<QString>("message");
        QTest::newRow("no records") << 0 << 100 << QStringLiteral("关键字少于两个？多加点吧！");
        QTest::newRow("one record") << 1 << 100 << QStringLiteral("关键字少于两个？多加点吧！");
        QTest::newRow("79 chinese") << 2 << 79 << QStringLiteral("文章字数不能少于80个字，多写点吧！");
        QTest::newRow("80 chinese") << 2 << 80 << QString();
    }
    void generate()
    {
        QFETCH(int, records);
        QFETCH(int, chineseChars);
        QFETCH(QString, message);
        addRecords(records);
        click("Label5"); // draw a pair with the records there now
        const QString article = chinese(chineseChars) + QStringLiteral("\r\nEnd");
        Text1()->replaceArticle(article);
        const QString pending1 = m_w->engine().PendingLink1();
        const QString pending2 = m_w->engine().PendingLink2();
        click("Command1");
        if (message.isEmpty()) {
            QVERIFY(m_shown.isEmpty());
            QVERIFY(!pending1.isEmpty());
            const QString expected = InsertPair(article, pending1, pending2);
            QVERIFY(expected.startsWith(chinese(28) + pending1));
            QCOMPARE(Text1()->articleText(), expected);
            QCOMPARE(child<QLabel>("Label4")->text(), QString::number(CountArticle(expected).chinese));
            QVERIFY(m_w->windowTitle().endsWith(StatisticsText(CountArticle(expected))));
        } else {
            QCOMPARE(m_shown.size(), 1);
            QCOMPARE(m_shown[0].icon, QMessageBox::Warning);
            QCOMPARE(m_shown[0].caption, QStringLiteral("提示"));
            QCOMPARE(m_shown[0].text, message);
            QCOMPARE(Text1()->articleText(), article);
        }
    }

    void copyOption_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::newRow("copy on") << true;
        QTest::newRow("copy off") << false;
    }
    void copyOption()
    {
        QFETCH(bool, tick);
        addRecords(2);
        QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
        if (tick)
            click("CCopy");
        QCOMPARE(child<QCheckBox>("CCopy")->isChecked(), tick);
        Text1()->replaceArticle(chinese(90) + QStringLiteral("\r\n") + chinese(10));
        click("Command1");
        QVERIFY(m_shown.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), tick ? Text1()->articleText() : QStringLiteral("sentinel"));
        if (tick)
            QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\r\n")));
    }

    void addAndDeleteKeepIds()
    {
        showPage(1);
        for (int i = 0; i < 3; ++i)
            click("Command2");
        QCOMPARE(m_w->table().count(), 3);
        QCOMPARE(m_w->table().keyWord(1), QStringLiteral("关键字"));
        QCOMPARE(m_w->table().link(1), Form1::DefaultLink());
        QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("填加成功"));
        QVERIFY(child<QWidget>("P1")->isVisible());
        QVERIFY(Label5()->text().startsWith(QStringLiteral("①关键字  ②关键字")));

        auto *list = child<QTableView>("ListView1");
        list->setFocus();
        list->selectRow(0);
        click("Del");
        click("Command2");
        QStringList ids;
        for (int r = 0; r < m_w->table().count(); ++r)
            ids << m_w->table().index(r, KeywordTable::ColumnId).data().toString();
        QCOMPARE(ids, (QStringList{"2", "3", "3"}));

        // The Delete key removes the selected record whatever modifiers are held.
        list->selectRow(1);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(m_w->table().count(), 2);
        // Nothing selected: nothing removed, the preview still refreshes.
        list->clearSelection();
        Label5()->setText(QString());
        click("Del");
        QCOMPARE(m_w->table().count(), 2);
        QVERIFY(Label5()->text().startsWith(QStringLiteral("①")));
        m_w->table().remove(1);
        click("Del");
        QCOMPARE(Label5()->text(), QStringLiteral("关键字少于2个"));
    }

    void placeholdersAndEnter()
    {
        showPage(1);
        m_w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        auto *twords = child<QLineEdit>("Twords");
        auto *tlink = child<QLineEdit>("Tlink");
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), QString());
        QTest::mouseClick(tlink, Qt::LeftButton);
        QCOMPARE(twords->text(), QStringLiteral("关键字"));
        QCOMPARE(tlink->text(), QString());
        // Enter in the empty link box adds a record with an empty link; the box stays empty.
        QTest::keyClick(tlink, Qt::Key_Return);
        QCOMPARE(m_w->table().count(), 1);
        QCOMPARE(m_w->table().link(1), QString());
        QVERIFY(tlink->hasFocus());
        QCOMPARE(tlink->text(), QString());
        QTest::keyClick(tlink, Qt::Key_Enter);
        QCOMPARE(m_w->table().count(), 2);

        // Typed text survives leaving and returning; the limits hold.
        QTest::mouseClick(twords, Qt::LeftButton);
        typeText(twords, QStringLiteral("一二三四五六七八九十十一"));
        QCOMPARE(twords->text(), QStringLiteral("一二三四五六七八九十"));
        QTest::mouseClick(tlink, Qt::LeftButton);
        QTest::keyClicks(tlink, QString(120, QLatin1Char('x')));
        QCOMPARE(tlink->text().size(), 100);
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), QStringLiteral("一二三四五六七八九十"));
        // A box holding the placeholder plus a space is left alone.
        twords->setText(QStringLiteral("关键字 "));
        QTest::mouseClick(tlink, Qt::LeftButton);
        QTest::mouseClick(twords, Qt::LeftButton);
        QCOMPARE(twords->text(), QStringLiteral("关键字 "));
        // Emptied and then the add button: the placeholder is back before the add reads it.
        twords->clear();
        click("Command2");
        QCOMPARE(m_w->table().keyWord(3), QStringLiteral("关键字"));
    }

    void ctrlA_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("held");
        QTest::addColumn<bool>("selects");
        QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Ctrl+Shift") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Alt") << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("released after Ctrl") << Qt::KeyboardModifiers() << false;
    }
    void ctrlA()
    {
        QFETCH(Qt::KeyboardModifiers, held);
        QFETCH(bool, selects);
        ArticleEditor *editor = Text1();
        editor->setFocus();
        QTest::keyPress(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyRelease(editor, Qt::Key_A, held);
        const QString selected = editor->textCursor().selectedText();
        QCOMPARE(selected.size() == editor->toPlainText().size(), selects);
        QCOMPARE(editor->articleText(), Form1::UsageText()); // nothing typed
    }

    void doubleClickClearsAndUndoBringsBack()
    {
        ArticleEditor *editor = Text1();
        QTest::mouseDClick(editor->viewport(), Qt::LeftButton);
        QCOMPARE(editor->articleText(), QString());
        QVERIFY(m_w->windowTitle().endsWith(QStringLiteral("（全文共0个汉字-大小：0字节）")));
        QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("0"));
        editor->undo();
        QCOMPARE(editor->articleText(), Form1::UsageText());

        addRecords(2);
        click("Label5");
        const QString article = chinese(100);
        editor->replaceArticle(article);
        click("Command1");
        QVERIFY(editor->articleText() != article);
        editor->undo();
        QCOMPARE(editor->articleText(), article);
    }

    void noticeRiseAndEnd()
    {
        Notice &n = m_w->notice();
        QWidget *p1 = child<QWidget>("P1");
        n.Xianshi();
        for (int i = 0; i < 50; ++i)
            n.Timer1_Timer();
        QVERIFY(p1->isVisible());
        QCOMPARE(n.panelTopTwips(), 2760.0f - 1275.0f);
        QCOMPARE(p1->y(), 99); // 1485 twips
        n.Timer1_Timer();
        QVERIFY(!p1->isVisible());
        QVERIFY(!n.Timer1().isActive() && !n.Timer2().isActive());
        QCOMPARE(n.RiseStep(), 0);
        QCOMPARE(n.FadeLevel(), 0);
    }

    void noticeRestartKeepsCounting()
    {
        Notice &n = m_w->notice();
        auto *label4 = child<QLabel>("Label4");
        n.Xianshi();
        for (int i = 0; i < 30; ++i) {
            n.Timer1_Timer();
            n.Timer2_Timer();
        }
        n.Xianshi();
        QCOMPARE(n.panelTopTwips(), 2760.0f);
        QCOMPARE(n.FadeLevel(), 0);
        n.Timer1_Timer();
        QCOMPARE(n.panelTopTwips(), 2760.0f - 31.0f);
        for (int i = 0; i < 19; ++i)
            n.Timer1_Timer();
        QVERIFY(child<QWidget>("P1")->isVisible());
        for (int i = 0; i < 60; ++i)
            n.Timer2_Timer(); // the fade never passes white
        QCOMPARE(label4->palette().color(QPalette::WindowText), QColor(255, 255, 255));
        n.Timer1_Timer();
        QVERIFY(!child<QWidget>("P1")->isVisible());
    }

    void tabStaysOnItsPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("start");
        QTest::newRow("page 0") << 0 << "Command1";
        QTest::newRow("page 1") << 1 << "ListView1";
    }
    void tabStaysOnItsPage()
    {
        QFETCH(int, page);
        QFETCH(QString, start);
        m_w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        showPage(page);
        QWidget *pageWidget = child<QTabWidget>("SSTab1")->widget(page);
        m_w->findChild<QWidget *>(start)->setFocus();
        QStringList seen;
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *f = QApplication::focusWidget();
            QVERIFY(f);
            seen << f->objectName();
            QVERIFY2(pageWidget->isAncestorOf(f) || f->objectName() == QStringLiteral("qt_tabwidget_tabbar"),
                     qPrintable(seen.join(u',')));
        }
        if (page == 0)
            QVERIFY(seen.contains(QStringLiteral("Text1")) && seen.contains(QStringLiteral("Cnew")));
        else
            QVERIFY(seen.contains(QStringLiteral("Twords")) && seen.contains(QStringLiteral("Del")));
    }

    void maximiseRefused()
    {
        m_w->setWindowState(Qt::WindowMaximized);
        QCOMPARE(m_w->windowState(), Qt::WindowNoState);
        QCOMPARE(m_w->size(), QSize(558, 408));
        m_w->setWindowState(Qt::WindowMinimized);
        QVERIFY(m_w->windowState() & Qt::WindowMinimized);
    }

    void promotionLabelColours()
    {
        auto *label1 = child<QLabel>("Label1");
        QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(label1->font().underline());
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), label1->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label1, &move);
        QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QWidget *page = child<QTabWidget>("SSTab1")->widget(0);
        QMouseEvent over(QEvent::MouseMove, QPointF(300, 60), page->mapToGlobal(QPointF(300, 60)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(page, &over);
        QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    void promotionLabelOpensOneDialog()
    {
        // A closed port: the picture fails at once and the dialog opens without one.
        m_w->setSubscriptionService({QStringLiteral("127.0.0.1:9"), QStringLiteral("h0"), QStringLiteral("0")});
        auto dialogs = [] {
            int n = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                n += w->inherits("Fmail") && w->isVisible();
            return n;
        };
        click("Label1");
        QTRY_COMPARE(dialogs(), 1);
        QPointer<QWidget> first = m_w->subscriptionDialog();
        click("Label1");
        QCOMPARE(dialogs(), 1);
        QCOMPARE(m_w->subscriptionDialog(), first.data());
        QCOMPARE(first->windowTitle(), QStringLiteral("订阅后自动发送"));
        // The main window stays usable while the dialog is open.
        Text1()->replaceArticle(QStringLiteral("中文"));
        QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("2"));
        first->close();
        QTRY_VERIFY(first.isNull());
        click("Label1");
        QTRY_COMPARE(dialogs(), 1);
        QVERIFY(m_w->subscriptionDialog() != nullptr);
        m_w->subscriptionDialog()->close();
    }

    void filesAtStartUpAndShutDown()
    {
        m_w.reset();
        const QString data = m_dir->filePath(QStringLiteral("Data.txt"));
        const QString ini = m_dir->filePath(QStringLiteral("Setting.ini"));
        writeFile(data, Gbk::encode(u"绿茶|http://g.example/\r\n红茶|http://r.example/\r\n"));
        writeFile(ini, Gbk::encode(u"[Setting]\r\n粗体=1\r\n斜体=2\r\n新窗口打开=x\r\n"));
        open();
        QCOMPARE(m_w->table().count(), 2);
        QVERIFY(child<QCheckBox>("CB")->checkState() == Qt::Checked);
        QVERIFY(child<QCheckBox>("CI")->checkState() == Qt::PartiallyChecked);
        QVERIFY(child<QCheckBox>("Cnew")->checkState() == Qt::Unchecked);
        QVERIFY(Label5()->text() == QStringLiteral("①绿茶  ②红茶") ||
                Label5()->text() == QStringLiteral("①红茶  ②绿茶"));
        QVERIFY(m_w->engine().PendingLink1().startsWith(QStringLiteral("<B><a href=")));

        m_w->table().append(QStringLiteral("白茶"), QString());
        click("CCopy");
        m_w->close();
        QCOMPARE(readFile(data), Gbk::encode(u"绿茶|http://g.example/\r\n红茶|http://r.example/\r\n白茶|\r\n\r\n"));
        const QString settings = Gbk::decode(readFile(ini));
        for (const char *line : {"粗体=1", "斜体=2", "新窗口打开=0", "生成后复制=1"})
            QVERIFY2(settings.contains(QString::fromUtf8(line)), qPrintable(settings));
    }

    void newerVersionEndsWithoutSaving()
    {
        m_w.reset();
        auto w = std::make_unique<Form1>(m_dir->path(), [](Form1 &) { return true; });
        QVERIFY(!w->Form_Load());
        w.reset();
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("Data.txt"))));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("Setting.ini"))));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
