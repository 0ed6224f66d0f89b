#include "ArticleEditor.h"
#include "BatchDialog.h"
#include "Form1.h"
#include "LinkLedger.h"
#include "Messages.h"
#include "QtChinese.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The 高级设置 page's link counts and the batch dialog, driven through their controls.
class TestBatchWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_w;
    QStringList m_asked; // each question and its buttons
    int m_answer = 0;

    template <typename T = QWidget> T *child(const char *name) { return m_w->findChild<T *>(name); }
    // Near the left edge, where a check box's own box is.
    void click(const char *name) { QTest::mouseClick(child(name), Qt::LeftButton, {}, {8, child(name)->height() / 2}); }
    // Chooses the path in the next file dialog.
    void choose(const QString &path)
    {
        QTimer::singleShot(0, this, [this, path] {
            auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!files)
                return choose(path);
            files->selectFile(path);
            QMetaObject::invokeMethod(files, "accept");
        });
    }
    void open()
    {
        m_w = std::make_unique<Form1>(m_dir->path());
        QVERIFY(m_w->Form_Load());
        m_w->show();
        m_w->findChild<QTabWidget *>("SSTab1")->setCurrentIndex(2);
        m_w->table().append({{"甲", "http://a/"},
                             {"乙", "http://b/"},
                             {"丙" + QString(300, u'长'), "http://c/"},
                             {"丁", "http://d/"},
                             {"戊", "http://e/"}});
    }
    // The ledger's table as it shows, one "keyword|link|count" a row.
    QStringList shownCounts()
    {
        QStringList rows;
        const QAbstractItemModel *model = child<QTableView>("Ledger")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            rows << QStringList{model->index(r, 0).data().toString(), model->index(r, 1).data().toString(),
                                model->index(r, 2).data().toString()}
                        .join('|');
        return rows;
    }
    static QStringList rows(const QList<LinkLedger::Entry> &entries)
    {
        QStringList out;
        for (const LinkLedger::Entry &e : entries)
            out << KeywordTable::shown(e.keyWord) + '|' + e.link + '|' + QString::number(e.count);
        return out;
    }
    void writeArticles(const QString &folder, const QList<std::pair<QString, int>> &files)
    {
        QDir().mkpath(folder);
        for (const auto &[name, chinese] : files)
            writeFile(folder + '/' + name, QString(chinese, u'文').toUtf8());
    }
    // Adds the folder, starts, waits for the end; the report, one "file|汉字|结果|说明" a row, a linked file's
    // keywords counted.
    void runBatch(const QString &in, const QString &out, QStringList &shown)
    {
        click("BatchButton");
        auto *dialog = m_w->findChild<BatchDialog *>();
        choose(in);
        QTest::mouseClick(dialog->findChild<QPushButton *>("AddFolder"), Qt::LeftButton);
        dialog->findChild<QLineEdit *>("Output")->setText(QDir::toNativeSeparators(out));
        auto *start = dialog->findChild<QPushButton *>("Start");
        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 20000);
        auto *report = dialog->findChild<QTableWidget *>("Report");
        for (int r = 0; r < report->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells << report->item(r, c)->text();
            if (cells[2] == "已链接")
                cells[3] = QString::number(cells[3].split("、").size());
            shown << cells.join('|');
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(LoadQtChinese());
        qputenv("HOME", m_home.path().toLocal8Bit()); // the ledger goes into this per-user folder
        QStandardPaths::setTestModeEnabled(true);
        Messages::SetHook([](QMessageBox::Icon, const QString &, const QString &text) { QFAIL(qPrintable(text)); });
        Messages::SetAnswerHook([this](const QString &text, const QStringList &buttons) {
            m_asked << text.section('\n', 0, 0) + '|' + buttons.join('/');
            return m_answer;
        });
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_asked.clear();
        // Counted before, as velomar-batch would have: 甲 most, 丙 a little, 乙 丁 戊 never.
        LinkLedger before;
        before.add("甲", "http://a/", 5);
        before.add("丁", "http://d/", 4);
        before.add("戊", "http://e/", 3);
        QVERIFY(before.save(LinkLedger::defaultPath()));
        open();
    }
    void cleanup() { m_w.reset(); }

    // A generate counts its links on top of what the file holds; the table shows them most first; the rotation
    // starts with the records linked least.
    void generateCounts()
    {
        click("CRotate"); // draws anew
        QStringList pending;
        for (const Linker::Link &link : m_w->engine().pending())
            pending << link.keyWord.left(1);
        pending.sort(); // shuffled among equals
        QCOMPARE(pending, QStringList({"丙", "乙"}));
        m_w->findChild<ArticleEditor *>("Text1")->replaceArticle(QString(100, u'文'));
        click("Command1");
        const QStringList expected = {"甲|http://a/|5", "丁|http://d/|4", "戊|http://e/|3",
                                      KeywordTable::shown("丙" + QString(300, u'长')) + "|http://c/|1",
                                      "乙|http://b/|1"};
        QCOMPARE(rows(LinkLedger::load(LinkLedger::defaultPath()).entries()), expected);
        QCOMPARE(shownCounts(), expected);
    }

    void clearAndExport()
    {
        choose(m_dir->filePath("counts.csv"));
        click("LedgerExport");
        QCOMPARE(readFile(m_dir->filePath("counts.csv")), LinkLedger::load(LinkLedger::defaultPath()).csv());
        for (int answer : {1, 0}) {
            m_answer = answer; // 取消, then 清零
            click("LedgerClear");
            QCOMPARE(shownCounts().size(), answer ? 3 : 0);
            QCOMPARE(LinkLedger::load(LinkLedger::defaultPath()).size(), answer ? 3 : 0);
        }
        QCOMPARE(m_asked, QStringList(2, "把全部链接次数清零吗？|清零/取消"));
    }

    // The answer to the question about existing outputs (-1: none are there); the report; the links counted.
    void batch_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("report");
        QTest::addColumn<int>("counted");
        const QStringList linked = {"a.txt|100|已链接|2", "b.md|120|已链接|2",
                                    "c.txt|10|已跳过|文章字数不能少于80个字，多写点吧！"};
        QTest::newRow("new") << -1 << linked << 4;
        QTest::newRow("替换") << 0 << linked << 4;
        QTest::newRow("跳过") << 1
                              << QStringList{"a.txt|0|已跳过|输出文件已存在", "b.md|0|已跳过|输出文件已存在",
                                             "c.txt|10|已跳过|文章字数不能少于80个字，多写点吧！"}
                              << 0;
        QTest::newRow("取消") << 2 << QStringList() << 0;
    }
    void batch()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, report);
        QFETCH(int, counted);
        const QString in = m_dir->filePath("in"), out = m_dir->filePath("out");
        writeArticles(in, {{"a.txt", 100}, {"b.md", 120}, {"c.txt", 10}, {"d.doc", 100}});
        if (answer >= 0)
            writeArticles(out, {{"a.txt", 1}, {"b.md", 1}});
        m_answer = answer;
        QStringList shown;
        runBatch(in, out, shown);
        QCOMPARE(shown, report);
        QCOMPARE(m_asked,
                 answer < 0 ? QStringList() : QStringList{"输出文件夹里已有 2 个同名的文件，例如：|替换/跳过/取消"});
        QCOMPARE(
            readFile(out + "/report.csv").startsWith("\xEF\xBB\xBF" + QString("文件,输出,汉字,结果,说明\r\n").toUtf8()),
            answer != 2);
        const QList<LinkLedger::Entry> counts = LinkLedger::load(LinkLedger::defaultPath()).entries();
        qint64 total = 0;
        for (const LinkLedger::Entry &e : counts)
            total += e.count;
        QCOMPARE(total, 12 + counted);
        QCOMPARE(shownCounts(), rows(counts));
    }

    // Cancelled while it runs: it says so at once, and the outputs written are whole.
    void cancel()
    {
        const QString in = m_dir->filePath("in"), out = m_dir->filePath("out");
        QList<std::pair<QString, int>> files;
        for (int i = 0; i < 400; ++i)
            files.append({QString("%1.txt").arg(i, 3, 10, QChar('0')), 50000});
        writeArticles(in, files);
        click("BatchButton");
        auto *dialog = m_w->findChild<BatchDialog *>();
        choose(in);
        QTest::mouseClick(dialog->findChild<QPushButton *>("AddFolder"), Qt::LeftButton);
        dialog->findChild<QLineEdit *>("Output")->setText(out);
        QTest::mouseClick(dialog->findChild<QPushButton *>("Start"), Qt::LeftButton);
        QTRY_VERIFY(dialog->findChild<QProgressBar *>("Progress")->value() > 0);
        QTest::mouseClick(dialog->findChild<QPushButton *>("Cancel"), Qt::LeftButton);
        QCOMPARE(dialog->findChild<QLabel *>("Status")->text(), "已取消");
        QTRY_VERIFY_WITH_TIMEOUT(dialog->findChild<QPushButton *>("Start")->isEnabled(), 20000);
        const QStringList written = QDir(out).entryList({"*.txt"});
        QVERIFY2(written.size() < 400, qPrintable(QString::number(written.size())));
        QCOMPARE(dialog->findChild<QTableWidget *>("Report")->rowCount(), written.size());
        const QRegularExpression link(R"(<a href="[^"]*" alt="[^"]*">[^<]*</a>)");
        for (const QString &name : written)
            QCOMPARE(QString::fromUtf8(readFile(out + '/' + name)).remove(link), QString(50000, u'文'));
    }
};

QTEST_MAIN(TestBatchWindow)
#include "tst_batchwindow.moc"
