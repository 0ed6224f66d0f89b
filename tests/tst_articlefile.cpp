// Article files read for linking and written back, and the ledger of the links inserted, on real files.
#include "ArticleFile.h"
#include "LinkLedger.h"
#include "TestUtil.h"

#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using ArticleFile::LineEnds;
using ArticleFile::Skip;

// A file's bytes; Qt's own converter for it and its line ends when it is read, or why it is not and the words why.
using File = std::tuple<QByteArray, QByteArray, LineEnds, Skip, QString>;

class TestArticleFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    // A file read is its text with CR LF breaks and comes back byte for byte; with a link before its first "B" it is
    // the file with the link's bytes added there. "folder", "missing" and "sparse" stand for
    // what they say.
    void read_data()
    {
        QTest::addColumn<File>("row");
        const auto text = [](const char *name, const QString &t, const char *codec, LineEnds ends, bool bom = false) {
            const auto flags = bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default;
            QTest::newRow(name) << File{QStringEncoder(codec, flags).encode(t), codec, ends, Skip::None, {}};
        };
        const auto skip = [](const char *name, const QByteArray &bytes, Skip skip, const char *reason) {
            QTest::newRow(name) << File{bytes, {}, {}, skip, reason};
        };
        text("GBK CR LF", "第一段。\r\nAB 第二段\r\n", "GBK", LineEnds::CrLf);
        text("GBK LF", "第一段。\nB\n", "GBK", LineEnds::Lf);
        text("UTF-8 LF", "这是一篇文章。\n第二段 B\n", "UTF-8", LineEnds::Lf);
        text("UTF-8 with BOM, CR LF", "标题\r\nB\r\n", "UTF-8", LineEnds::CrLf, true);
        text("UTF-16LE with BOM", "标题😀\r\nB\r\n", "UTF-16LE", LineEnds::CrLf, true);
        text("UTF-16BE with BOM, LF", "标题\nB", "UTF-16BE", LineEnds::Lf, true);
        text("mixed breaks", "a\r\nb\nc\rB\r\r\nd\n\re\n", "GBK", LineEnds::Mixed);
        text("lone CR", "a\rB\r", "GBK", LineEnds::Cr);
        text("no final break", "a\r\nB", "GBK", LineEnds::CrLf);
        text("empty", "", "GBK", LineEnds::None);
        text("form feed, tab and one stray ESC", "\f第一页\t第二栏\x1B[0m B 0123456789", "GBK", LineEnds::None);
        text("GB18030 form of an emoji", "B😀", "GB18030", LineEnds::None);
        skip("folder", "folder", Skip::Unreadable, "无法读取：这是一个文件夹");
        skip("missing", "missing", Skip::Unreadable, "无法读取：文件不存在");
        skip("over 64 MiB", "sparse", Skip::TooLarge, "文件超过 64 MB");
        skip("NUL", QByteArray("text\0text", 9), Skip::Binary, "不是文本文件");
        skip("two controls in 32", "\x01\x02 第一页第二栏 0123456789", Skip::Binary, "不是文本文件");
        for (const QByteArray &lossy :
             {QByteArray("\xEF\xBB\xBFok\xFF"), QByteArray("ok\x81"), QByteArray("\xFF\xFEo\0k", 5)})
            skip(lossy.toHex().constData(), lossy, Skip::Binary, "含有无法按其编码读出的字节，写回会改变文件");
    }
    void read()
    {
        QFETCH(File, row);
        const auto &[bytes, codec, ends, skip, reason] = row;
        const QString p = bytes == "folder" ? m_dir.path() : path(QTest::currentDataTag());
        if (bytes != "folder" && bytes != "missing")
            writeFile(p, bytes);
        if (bytes == "sparse")
            QVERIFY(QFile::resize(p, ArticleFile::MaxBytes + 1));
        const ArticleFile::Read r = ArticleFile::read(p);
        QCOMPARE(r.skip, skip);
        QCOMPARE(r.reason, reason);
        if (skip != Skip::None)
            return;
        const ArticleFile::Article &a = r.article;
        QCOMPARE(a.lineEnds, ends);
        QString text = QStringDecoder(codec.constData()).decode(bytes);
        QCOMPARE(a.text, text.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n"));
        QCOMPARE(ArticleFile::bytes(a, a.text), bytes);
        const QString link = "<a href=\"http://x/\">链接</a>";
        QStringEncoder encoder(codec.constData());
        QByteArray linked = bytes;
        linked.insert(std::max<qsizetype>(linked.indexOf(QByteArray(encoder.encode(u"B"))), 0), encoder.encode(link));
        QVERIFY(ArticleFile::write(p, a, text.insert(std::max<qsizetype>(text.indexOf('B'), 0), link)));
        QCOMPARE(readFile(p), linked);
    }

    // Counts add up and come back from the file with every character; a file as an editor saves it is read too.
    void ledger()
    {
        LinkLedger ledger;
        ledger.add("绿茶", "http://a/", 2);
        ledger.add("a|b\\n", "x\\|y\r\nz");
        ledger.add("逗,号", "\"引\"", 3);
        ledger.add("绿茶", "http://a/");
        ledger.add("绿茶", "http://b/", 0);
        QVERIFY(ledger.save(path("Ledger.txt")));
        QCOMPARE(readFile(path("Ledger.txt")), "3|绿茶|http://a/\n1|a\\|b\\\\n|x\\\\\\|y\\r\\nz\n3|逗,号|\"引\"\n");
        const QByteArray csv = "\xEF\xBB\xBF关键字,链接,次数\r\n绿茶,http://a/,3\r\n\"逗,号\",\"\"\"引\"\"\",3\r\n"
                               "a|b\\n,\"x\\|y\r\nz\",1\r\n";
        QCOMPARE(ledger.csv(), csv);
        QCOMPARE(LinkLedger::load(path("Ledger.txt")).csv(), csv);
        writeFile(path("Ledger.txt"), "\xEF\xBB\xBF\r\n2|a|b\r\n\r\n1|a|b");
        QCOMPARE(LinkLedger::load(path("Ledger.txt")).count("a", "b"), 3);
        LinkLedger many; // the index grows as pairs come; each keyword has ten links, each link ten keywords
        for (int i = 0; i < 1000; ++i)
            many.add(QString::number(i % 10), QString::number(i % 100 / 10));
        QVERIFY(many.size() == 100 && many.count("9", "9") == 10);
        QString why; // a regular file where the folder should be
        QVERIFY(!ledger.save(path("Ledger.txt/Ledger.txt"), &why) && why == "文件夹不存在");
    }

    // A damaged ledger is kept whole under a name of its own, several in a second too, and the ledger starts empty.
    void damaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const char *bytes : {"x|a|b", "1|a", "1|a|b|c", "0|a|b", "1|a\\x|b", "1|a|b\\", "1|\xE7\xBB|b"})
            QTest::newRow(bytes) << "1|ok|x\n" + QByteArray(bytes);
    }
    void damaged()
    {
        QFETCH(QByteArray, bytes);
        writeFile(path("Ledger.txt"), bytes);
        const LinkLedger ledger = LinkLedger::load(path("Ledger.txt"));
        QVERIFY(ledger.size() == 0 && ledger.setAside().startsWith(path("Ledger.txt.damaged-")));
        QCOMPARE(readFile(ledger.setAside()), bytes);
    }
};

QTEST_GUILESS_MAIN(TestArticleFile)
#include "tst_articlefile.moc"
