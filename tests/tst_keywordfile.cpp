#include "KeywordFile.h"

#include "FileHelpers.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// A record as "keyword|link"; the reader never leaves a "|" inside a field.
QStringList records(const KeywordTable &table)
{
    QStringList out;
    for (qsizetype i = 1; i <= table.count(); ++i)
        out << table.keyWord(i) + u'|' + table.link(i);
    return out;
}

// The reading rules restated in the plainest way, to compare the one-pass reader with.
QStringList reference(QString text)
{
    QStringList out;
    for (QString line : text.replace("\r\n", "\r").split(u'\r')) {
        while (line.startsWith(u' '))
            line.remove(0, 1);
        while (line.endsWith(u' '))
            line.chop(1);
        const QStringList fields = line.split(u'|', Qt::SkipEmptyParts);
        if (!fields.isEmpty())
            out << fields[0] + u'|' + fields.value(1);
    }
    return out;
}

} // namespace

class TestKeywordFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".")); } // failures stay silent

    void reader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("blank and spaces-only lines") << QByteArray("\r\n\r\n   \r\n") << QStringList();
        QTest::newRow("A") << gbk("绿茶\r\n") << QStringList{"绿茶|"};
        QTest::newRow("A|B") << gbk("绿茶|http://a/\r\n") << QStringList{"绿茶|http://a/"};
        QTest::newRow("|A|B") << QByteArray("|A|B\r\n") << QStringList{"A|B"};
        QTest::newRow("A||B") << QByteArray("A||B\r\n") << QStringList{"A|B"};
        QTest::newRow("A|B|") << QByteArray("A|B|\r\n") << QStringList{"A|B"};
        QTest::newRow("A|B|C") << QByteArray("A|B|C|D\r\n") << QStringList{"A|B"};
        QTest::newRow("bars only") << QByteArray("|||\r\n  |||  \r\n") << QStringList();
        QTest::newRow("space between bars is a field") << QByteArray("| |") << QStringList{" |"};
        QTest::newRow("spaces at the ends") << QByteArray("   A|B  \r\n") << QStringList{"A|B"};
        QTest::newRow("spaces next to the bar") << QByteArray("A | B\r\n") << QStringList{"A | B"};
        QTest::newRow("tabs at the ends kept") << QByteArray("\tA|B\t\r\n\t\t\r\n") << QStringList{"\tA|B\t", "\t\t|"};
        QTest::newRow("ideographic space kept") << gbk("\u3000A\r\n") << QStringList{"\u3000A|"};
        QTest::newRow("LF only is one line") << QByteArray("K1|L1\nK2|L2\n") << QStringList{"K1|L1\nK2"};
        QTest::newRow("lone CR ends a line") << QByteArray("A|B\rC|D\r\r\nE") << QStringList{"A|B", "C|D", "E|"};
        QTest::newRow("last line without end") << QByteArray("A|B\r\nC|D") << QStringList{"A|B", "C|D"};
        QTest::newRow("NUL bytes") << QByteArray("A\0B|L\r\n", 7) << QStringList{QString::fromUtf16(u"A\0B|L", 5)};
        QTest::newRow("invalid GBK") << QByteArray("A\x81\r\nok") << QStringList{"A\uFFFD|", "ok|"};
        QTest::newRow("GB18030 four-byte form") << QByteArray::fromHex("83368433") << QStringList{"한|"};
        QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + u"绿茶|链接"_qs.toUtf8() << QStringList{"绿茶|链接"};
        QTest::newRow("UTF-8 without BOM") << u"绿茶|链接\r\n한"_qs.toUtf8() << QStringList{"绿茶|链接", "한|"};
    }
    void reader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        writeFile(path("in.txt"), bytes);
        KeywordTable table;
        table.append("old", "x");
        JiaTXT(table, path("in.txt"));
        QCOMPARE(records(table), QStringList{"old|x"} + expected); // appended, not replaced
    }

    void readerMatchesReference()
    {
        const QString alphabet = u"a中 |\r\n\t"_qs;
        QRandomGenerator random(42);
        for (int n = 0; n < 5000; ++n) {
            QString text;
            for (int len = random.bounded(30); len > 0; --len)
                text += alphabet[random.bounded(alphabet.size())];
            QStringList got;
            for (const KeywordTable::Record &r : ParseKeywordText(text))
                got << r.keyWord + u'|' + r.link;
            QCOMPARE(got, reference(text));
        }
    }

    void writer_data()
    {
        QTest::addColumn<QStringList>("keyWords");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two records") << QStringList{"K1", "K2"} << QStringList{"L1", ""}
                                     << QByteArray("K1|L1\r\nK2|\r\n\r\n");
        QTest::newRow("empty table") << QStringList() << QStringList() << QByteArray("\r\n");
        QTest::newRow("GBK and euro") << QStringList{"绿茶€"} << QStringList{"a"}
                                      << QByteArray("\xC2\xCC\xB2\xE8\x80|a\r\n\r\n");
        QTest::newRow("hangul in four bytes")
            << QStringList{"한"} << QStringList{""} << QByteArray("\x83\x36\x84\x33|\r\n\r\n");
    }
    void writer()
    {
        QFETCH(QStringList, keyWords);
        QFETCH(QStringList, links);
        QFETCH(QByteArray, bytes);
        KeywordTable table;
        for (qsizetype i = 0; i < keyWords.size(); ++i)
            table.append(keyWords[i], links[i]);
        SaveTXT(table, path("out.txt"));
        QCOMPARE(readFile(path("out.txt")), bytes);
    }

    void saveThenLoad_data()
    {
        QTest::addColumn<QStringList>("keyWords");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain records") << QStringList{"绿茶", "红茶"} << QStringList{"http://a/", ""}
                                       << QStringList{"绿茶|http://a/", "红茶|"};
        QTest::newRow("beyond GBK") << QStringList{"한국어", "😀𠀀"} << QStringList{"ü€", "—"}
                                    << QStringList{"한국어|ü€", "😀𠀀|—"};
        QTest::newRow("empty keyword") << QStringList{"", ""} << QStringList{"L", ""} << QStringList{"L|"};
        QTest::newRow("keyword with a bar") << QStringList{"A|B"} << QStringList{"C"} << QStringList{"A|B"};
        QTest::newRow("outer spaces") << QStringList{" A "} << QStringList{" B "} << QStringList{"A | B"};
    }
    void saveThenLoad()
    {
        QFETCH(QStringList, keyWords);
        QFETCH(QStringList, links);
        QFETCH(QStringList, expected);
        KeywordTable table;
        for (qsizetype i = 0; i < keyWords.size(); ++i)
            table.append(keyWords[i], links[i]);
        SaveTXT(table, path("Data.txt"));
        KeywordTable loaded;
        JiaTXT(loaded, path("Data.txt"));
        QCOMPARE(records(loaded), expected);
    }

    void fixture()
    {
        const QString file = QStringLiteral(VELOMAR_TEST_DATA "/Data.txt");
        KeywordTable table;
        JiaTXT(table, file);
        QCOMPARE(records(table),
                 (QStringList{"绿茶|http://www.example.com/lvcha", "普洱 生茶|http://www.example.com/puer?a=1&b=2",
                              "铁观音，乌龙|https://example.org/价格€", "龙井|"}));
        SaveTXT(table, path("again.txt"));
        QCOMPARE(readFile(path("again.txt")), readFile(file));
    }

    void failedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("empty path") << QString();
        QTest::newRow("missing folder") << "missing/Data.txt";
        QTest::newRow("folder in place of the file") << "Data.txt";
    }
    void failedSaveChangesNothing()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Data.txt"));
        KeywordTable table;
        table.append("k", "l");
        SaveTXT(table, target.isEmpty() ? target : dir.filePath(target));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"Data.txt"});
        QVERIFY(QFileInfo(dir.filePath("Data.txt")).isDir());
    }

#ifdef Q_OS_LINUX
    // A disk that fills up half way: the file-size limit holds for root too.
    void writeFailingPartWayKeepsOldFile()
    {
        const QByteArray old = "old|list\r\n\r\n";
        writeFile(path("full.txt"), old);
        KeywordTable table;
        for (int i = 0; i < 2000; ++i)
            table.append(QStringLiteral("关键字%1").arg(i), "http://www.example.com/");
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        SaveTXT(table, path("full.txt"));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(readFile(path("full.txt")), old);
        QCOMPARE(QDir(m_dir.path()).entryList({"full.txt*"}, QDir::Files | QDir::Hidden), QStringList{"full.txt"});
    }
#endif

    void import_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected");
        const QStringList kept{"old|1", "old|2"};
        QTest::newRow("cancelled") << QString() << kept;
        QTest::newRow("missing file") << "missing.txt" << kept;
        QTest::newRow("folder") << "." << kept;
        QTest::newRow("GBK list replaces") << "gbk.txt" << QStringList{"绿茶|a", "红茶|"};
        QTest::newRow("UTF-8 list replaces") << "utf8.txt" << QStringList{"绿茶|a", "红茶|"};
        QTest::newRow("empty file empties") << "empty.txt" << QStringList();
    }
    void import()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        writeFile(path("gbk.txt"), gbk("绿茶|a\r\n红茶\r\n"));
        writeFile(path("utf8.txt"), u"绿茶|a\r\n红茶\r\n"_qs.toUtf8());
        writeFile(path("empty.txt"), {});
        KeywordTable table;
        table.append("old", "1");
        table.append("old", "2");
        int asked = 0;
        ImportKeywords(table, [&] {
            ++asked;
            return answer.isEmpty() ? answer : path(answer);
        });
        QCOMPARE(asked, 1);
        QCOMPARE(records(table), expected);
        if (!expected.isEmpty())
            QCOMPARE(table.id(table.count()), qint64(table.count()));
    }

    void utf8ListIsSavedAsGbk()
    {
        writeFile(path("list.txt"), u"绿茶|a\r\n"_qs.toUtf8());
        KeywordTable table;
        JiaTXT(table, path("list.txt"));
        SaveTXT(table, path("list.txt"));
        QCOMPARE(readFile(path("list.txt")), gbk("绿茶|a\r\n\r\n"));
    }

    void exportWritesTheAnswerAsGiven()
    {
        QTemporaryDir dir;
        KeywordTable table;
        ExportKeywords(table, [] { return QString(); });
        QVERIFY(QDir(dir.path()).isEmpty());
        ExportKeywords(table, [&] { return dir.filePath("list"); });
        QCOMPARE(readFile(dir.filePath("list")), QByteArray("\r\n")); // no extension added
    }

    // Hostile files end with a plain answer, in time, with nothing lost from the table.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");
        QTest::newRow("50 MB") << QByteArray("k|" + QByteArray(498, 'l') + "\r\n").repeated(100'000) << 100'001;
        QTest::newRow("one 1 MB line") << QByteArray(1 << 20, 'k') + "|L" << 2;
        QTest::newRow("a million bars") << QByteArray(1 << 20, '|') + "k" << 2;
        QByteArray binary(1 << 20, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
        QTest::newRow("binary") << binary << -1;
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        writeFile(path("bad.txt"), bytes);
        KeywordTable table;
        table.append("kept", "");
        JiaTXT(table, path("bad.txt"));
        QCOMPARE(table.keyWord(1), "kept");
        if (records >= 0)
            QCOMPARE(table.count(), records);
        else
            QVERIFY(table.count() <= bytes.count('\r') + 2);
    }
};

QTEST_GUILESS_MAIN(TestKeywordFile)
#include "tst_keywordfile.moc"
