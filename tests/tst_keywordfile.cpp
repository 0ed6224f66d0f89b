#include "KeywordFile.h"

#include "FileHelpers.h"

#include <QRandomGenerator>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

class TestKeywordFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A record as "keyword|link" (the reader never leaves a "|" inside a field), with its ID only
    // when that is not its position.
    static QStringList records(const KeywordTable &table)
    {
        QStringList out;
        for (qsizetype i = 1; i <= table.count(); ++i)
            out << table.keyWord(i) + u'|' + table.link(i) +
                       (table.id(i) == i ? "" : " #" + QString::number(table.id(i)));
        return out;
    }

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(".")); } // failures stay silent

    // The file is read into a table (appended) and imported (replacing the table); where "saved"
    // is given, the imported table is exported and must come out as exactly those bytes, so those
    // rows are save/load round trips as well.
    void readAndWrite_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QByteArray>("saved"); // null: not checked
        const auto row = [](const char *name, const QByteArray &bytes, const QStringList &expected,
                            const QByteArray &saved = {}) { QTest::newRow(name) << bytes << expected << saved; };
        row("blank and spaces-only lines, saved as an empty table", "\r\n\r\n   \r\n", {}, "\r\n");
        row("A", gbk("绿茶\r\n"), {"绿茶|"});
        row("A|B", gbk("绿茶|http://a/\r\n"), {"绿茶|http://a/"});
        row("|A|B", "|A|B\r\n", {"A|B"});
        row("A||B", "A||B\r\n", {"A|B"});
        row("A|B|", "A|B|\r\n", {"A|B"});
        row("A|B|C", "A|B|C|D\r\n", {"A|B"});
        row("bars only", "|||\r\n  |||  \r\n", {});
        row("spaces trimmed at the line ends only", "   A | B  \r\n", {"A | B"});
        row("tabs and ideographic spaces kept", gbk("\tA|B\t\r\n\t\u3000\r\n"), {"\tA|B\t", "\t\u3000|"});
        row("LF only is one line", "K1|L1\nK2|L2\n", {"K1|L1\nK2"});
        row("lone CR ends a line", "A|B\rC|D\r\r\nE|F\r\n", {"A|B", "C|D", "E|F"});
        row("two records, the last line without an end", "K1|L1\r\nK2", {"K1|L1", "K2|"}, "K1|L1\r\nK2|\r\n\r\n");
        row("NUL bytes", QByteArray("A\0B|L\r\n", 7), {QString::fromUtf16(u"A\0B|L", 5)});
        row("invalid GBK", "A\x81\r\nok", {"A\uFFFD|", "ok|"});
        row("GB18030 four-byte form, the euro as 0x80", "\x83\x36\x84\x33|\x80\r\n\r\n", {"한|€"},
            "\x83\x36\x84\x33|\x80\r\n\r\n");
        row("UTF-8 with BOM", "\xEF\xBB\xBF" + u"绿茶|链接"_qs.toUtf8(), {"绿茶|链接"});
        row("UTF-8 without BOM, saved as GBK", u"绿茶|链接\r\n"_qs.toUtf8(), {"绿茶|链接"}, gbk("绿茶|链接\r\n\r\n"));
        row("50 MB", QByteArray("k|" + QByteArray(498, 'l') + "\r\n").repeated(100'000),
            QStringList(100'000, "k|" + QString(498, u'l')));
        row("one 1 MB line", QByteArray(1 << 20, 'k') + "|L", {QString(1 << 20, u'k') + "|L"});
        row("a million bars", QByteArray(1 << 20, '|') + "k", {"k|"});
    }
    void readAndWrite()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QFETCH(QByteArray, saved);
        writeFile(path("in.txt"), bytes);
        KeywordTable table;
        table.append("old", "x");
        JiaTXT(table, path("in.txt"));
        QCOMPARE(records(table), QStringList{"old|x"} + expected);
        ImportKeywords(table, [&] { return path("in.txt"); });
        QCOMPARE(records(table), expected); // replaced, IDs 1 to N again
        ExportKeywords(table, [&] { return path("out"); });
        if (!saved.isNull())
            QCOMPARE(readFile(path("out")), saved); // under the name as given, no extension added
    }

    // Random bytes: no crash, and no more records than lines.
    void binaryFile()
    {
        QByteArray bytes(1 << 20, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        writeFile(path("binary"), bytes);
        KeywordTable table;
        JiaTXT(table, path("binary"));
        QVERIFY(table.count() <= bytes.count('\r') + 1);
    }

    // Nothing is read, the table stays as it was, and the save fails leaving the folder as it was:
    // the old list whole and no temporary file.
    void unusablePath_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("cancelled dialogs: empty path") << QString();
        QTest::newRow("missing folder") << "missing/Data.txt";
        QTest::newRow("a folder in place of the file") << "folder";
#ifdef Q_OS_LINUX
        // The old list is written after the reading; the file-size limit holds for root too.
        QTest::newRow("disk full part way") << "Data.txt";
#endif
    }
    void unusablePath()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString file = target.isEmpty() ? target : dir.filePath(target);
        KeywordTable table;
        table.append(QList<KeywordTable::Record>(2000, {"关键字", "http://www.example.com/"}));
        JiaTXT(table, file);
        ImportKeywords(table, [&] { return file; });
        QCOMPARE(records(table), QStringList(2000, "关键字|http://www.example.com/"));
        writeFile(dir.filePath("Data.txt"), "old|list\r\n\r\n");
#ifdef Q_OS_LINUX
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{4096, saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
#endif
        ExportKeywords(table, [&] { return file; });
#ifdef Q_OS_LINUX
        setrlimit(RLIMIT_FSIZE, &saved);
#endif
        QCOMPARE(readFile(dir.filePath("Data.txt")), "old|list\r\n\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"Data.txt", "folder"}));
        QVERIFY(QFileInfo(dir.filePath("folder")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestKeywordFile)
#include "tst_keywordfile.moc"
