#include "ArticleFile.h"
#include "Batch.h"
#include "TestUtil.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using Enc = StoredFile::Encoding;

// An article of `hanzi` Chinese characters, 乙 and 丙 among them, in lines of 20 ended by `br` in turn.
static QByteArray article(Enc enc, const QStringList &br, int hanzi = 200)
{
    QString text;
    for (int i = 0; i < hanzi; ++i) {
        text += QChar(i % 30 == 7 ? u'乙' : i % 30 == 17 ? u'丙' : char16_t(0x4e00 + (i * 37) % 2000));
        text += i % 20 == 19 ? br[i / 20 % br.size()] : QString();
    }
    return StoredFile::byteOrderMark(enc).toByteArray() + StoredFile::encode(text, enc);
}

static const QList<KeywordTable::Record> Records = {
    {"甲", "http://a.example/"}, {"乙", "http://b.example/"}, {"丙", "http://c.example/"}};

// path → bytes and modification time of every file under a folder.
static QMap<QString, QPair<QByteArray, QDateTime>> snapshot(const QString &folder)
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files[path] = {readFile(path), QFileInfo(path).lastModified()};
    }
    return files;
}

class TestBatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // Every output is its input with the links and nothing else, in its encoding and line ends;
    // what is not linked says why; the inputs stay as they were.
    void folder()
    {
        const QString in = m_dir->filePath("in"), out = m_dir->filePath("out");
        QMap<QString, QString> expected; // file → the reason it is skipped; empty: linked
        const QList<QStringList> breaks = {{"\r\n"}, {"\n"}, {"\r"}, {"\n", "\r\n", "\r"}};
        QVERIFY(QDir().mkpath(in + "/sub"));
        for (int k = 0; k < 20; ++k) { // every encoding with every kind of line ends
            writeFile(in + QString("/sub/%1.txt").arg(k), article(Enc(k / 4), breaks[k % 4]));
            expected[QString("sub/%1.txt").arg(k)] = "";
        }
        const QList<std::array<QByteArray, 3>> skipped = {
            {"short.md", article(Enc::Utf8, {"\n"}, 79), "文章字数不能少于80个字，多写点吧！"},
            {"binary.htm", QByteArray("ab\0cd", 5), "不是文本文件"},
            {"exists.html", article(Enc::Gbk, {"\r\n"}), "输出文件已存在"},
            {"other.bin", article(Enc::Gbk, {"\r\n"}), ""}}; // not taken
        for (const auto &[name, bytes, reason] : skipped) {
            writeFile(in + '/' + name, bytes);
            if (!reason.isEmpty())
                expected[name] = reason;
        }
        QDir().mkpath(out);
        writeFile(out + "/exists.html", "kept");
        const auto before = snapshot(in);

        const Batch::Settings settings{{in}, true, Batch::DefaultPatterns, out, false, {}, 7, 2};
        const Batch::Collected collected = Batch::Collect(settings);
        QCOMPARE(collected.existing, QStringList{out + "/exists.html"});
        const Batch::Report report = Batch::Run(settings, collected, Records);
        QCOMPARE(report.files.size(), expected.size());
        for (const Batch::FileResult &file : report.files) {
            const QString name = QDir(in).relativeFilePath(file.path);
            QCOMPARE(file.output, out + '/' + name);
            QVERIFY2(file.reason.contains(expected[name]), qPrintable(name + ": " + file.reason));
            QCOMPARE(file.status, expected[name].isEmpty() ? Batch::Status::Linked : Batch::Status::Skipped);
            if (file.status != Batch::Status::Linked)
                continue;
            const ArticleFile::Read original = ArticleFile::read(file.path), linked = ArticleFile::read(file.output);
            QCOMPARE(readFile(file.output), ArticleFile::bytes(original.article, linked.article.text));
            static const QRegularExpression link("<a href=\"http://[a-c].example/\" alt=\"[甲乙丙]\">[甲乙丙]</a>");
            QCOMPARE(linked.article.text.count(link), 2);
            QCOMPARE(QString(linked.article.text).remove(link), original.article.text);
        }
        QCOMPARE(readFile(out + "/exists.html"), "kept");
        QCOMPARE(snapshot(in), before);
        QVERIFY(Batch::ReportCsv(report).startsWith("\xEF\xBB\xBF文件,输出,汉字,结果,说明\r\n"));
    }

    // The same seed gives the same bytes with any number of threads, the rotation and the ledger
    // included; cancelling leaves the files done so far, each complete, and nothing else.
    void jobsAndCancel()
    {
        const QString in = m_dir->filePath("in");
        QDir().mkpath(in);
        for (int i = 0; i < 70; ++i)
            writeFile(QString("%1/%2.txt").arg(in).arg(i, 2, 10, QChar('0')), article(Enc::Utf8, {"\n"}, 100 + i));
        Batch::Settings settings{{in}, false, Batch::DefaultPatterns, {}, false, {}, 11, 1};
        settings.options.rotateKeywords = settings.options.inPlace = true;
        QMap<QString, QByteArray> first;
        LinkLedger start; // 乙 comes last in every new cycle
        start.add("乙", "http://b.example/", 5);
        for (int jobs : {1, 2}) {
            settings.jobs = jobs;
            settings.outputFolder = m_dir->filePath(QString("out%1").arg(jobs));
            LinkLedger ledger = start;
            const Batch::Report report = Batch::Run(settings, Batch::Collect(settings), Records, &ledger);
            QCOMPARE(report.files.size(), 70);
            for (const LinkLedger::Entry &made : report.counts)
                QCOMPARE(ledger.count(made.keyWord, made.link), start.count(made.keyWord, made.link) + made.count);
            for (const Batch::FileResult &file : report.files) {
                const QByteArray bytes = readFile(file.output);
                QCOMPARE(bytes, first.value(QFileInfo(file.output).fileName(), bytes));
                first[QFileInfo(file.output).fileName()] = bytes;
            }
        }
        std::atomic_bool cancel = false;
        LinkLedger ledger = start;
        settings.outputFolder = m_dir->filePath("cancelled");
        const Batch::Report report = Batch::Run(
            settings, Batch::Collect(settings), Records, &ledger,
            [&](qsizetype done, qsizetype, const QString &) { cancel = cancel || done == 40; }, &cancel);
        QVERIFY(report.cancelled); // during the second chunk of 32: none of it is written
        QCOMPARE(report.files.size(), 32);
        const auto written = snapshot(settings.outputFolder);
        QCOMPARE(written.size(), 32);
        for (const auto &[path, file] : written.asKeyValueRange())
            QCOMPARE(file.first, first[QFileInfo(path).fileName()]);
    }

    // velomar-batch's exit status, what it says, and the links it counts into the ledger.
    void cli_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        const auto row = [](const char *name, const QString &args, int exitCode, const QString &says = "") {
            QTest::newRow(name) << args.split(' ') << exitCode << says;
        };
        row("linked", "-o out in/a.txt", 0);
        row("one skipped", "-o out in", 1, "文章字数不能少于80个字");
        row("output inside input", "-o in/out in", 1);
        row("outputs exist", "-o in/b in/a.txt", 2, "1 个输出文件已存在");
        row("overwrite", "--overwrite -o in/b in/a.txt", 0);
        row("no output", "in", 2, "需要输出文件夹");
        row("bad links", "--links 11 -o out in", 2, "--links");
        row("one keyword", "--keywords one.txt -o out in", 2, "关键字少于两个");
        row("missing", "-o out in/nothing", 2, "找不到输入");
        row("output is input", "-o in/. in", 2, "不能是输入文件夹");
        row("output inside input, recursive", "-r -o in/out in", 2, "不能在输入文件夹之内");
        row("output over input", "-o in/b in/b/a.txt", 2, "输出文件会覆盖输入文件");
        row("two inputs, one output", "-o out in/a.txt in/b/a.txt", 2, "会写到同一个输出文件");
    }
    void cli()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QDir().mkpath(m_dir->filePath("in/b"));
        writeFile(m_dir->filePath("in/a.txt"), article(Enc::Gbk, {"\r\n"}));
        writeFile(m_dir->filePath("in/short.txt"), article(Enc::Gbk, {"\r\n"}, 10));
        writeFile(m_dir->filePath("in/b/a.txt"), "old");
        writeFile(m_dir->filePath("keys.txt"), gbk("甲|http://a.example/\r\n乙|http://b.example/\r\n"));
        writeFile(m_dir->filePath("one.txt"), gbk("甲|http://a.example/\r\n"));
        QProcess cli;
        cli.setWorkingDirectory(m_dir->path());
        qputenv("XDG_DATA_HOME", m_dir->filePath("data").toLocal8Bit()); // the ledger's folder
        cli.start(VELOMAR_BATCH, QStringList{"--keywords", "keys.txt", "--settings", "/dev/null"} + args);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), exitCode);
        QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(says));
        const LinkLedger ledger = LinkLedger::load(m_dir->filePath("data/Velomar/Ledger.txt"));
        QCOMPARE(ledger.count("甲", "http://a.example/") + ledger.count("乙", "http://b.example/"),
                 exitCode == 2 ? 0 : 2);
        if (exitCode != 2)
            QVERIFY(readFile(m_dir->filePath(args[args.indexOf("-o") + 1] + "/report.csv")).startsWith("\xEF\xBB\xBF"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir; // a fresh one for every test and row
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
