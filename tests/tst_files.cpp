// The program's files: the GBK layer, the keyword list and the settings, on real files.
#include "Gbk.h"
#include "IniFile.h"
#include "KeywordFile.h"
#include "Settings.h"
#include "StoredFile.h"
#include "TestUtil.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <tuple>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray utf16(const QString &text, QStringConverter::Encoding e)
{
    return QStringEncoder(e, QStringConverter::Flag::WriteBom).encode(text);
}

// A record as "keyword|link" (the reader never leaves a "|" inside a field), with its ID only when
// that is not its position.
QStringList records(const KeywordTable &table)
{
    QStringList out;
    for (qsizetype i = 1; i <= table.count(); ++i)
        out << table.keyWord(i) + u'|' + table.link(i) + (table.id(i) == i ? "" : " #" + QString::number(table.id(i)));
    return out;
}

constexpr int None = 99999;

// The options as a hex digit a key, in the file's order: 粗体, 斜体, 新窗口打开, 生成后复制 (0 off, 1 on,
// 2 grayed), 链接格式, 避开标签, 轮换关键字, 文中匹配, 句末插入, 链接数量.
StoredOptions storedFrom(const QString &digits)
{
    auto d = [&](int i) { return QStringView(digits).sliced(i, 1).toInt(nullptr, 16); };
    return {{d(0) == 1, d(1) == 1, d(2) == 1, d(3) == 1, LinkFormat(d(4)), d(5) == 1, d(6) == 1, d(7) == 1, d(8) == 1,
             d(9)},
            d(0) == 2,
            d(1) == 2,
            d(2) == 2,
            d(3) == 2};
}

// What LoadSet reads from a file, as digits; 7 where the file sets nothing, so what was there stays.
QString loadedFrom(const QString &file)
{
    StoredOptions low = storedFrom("0000000001"), high = storedFrom("222221111A");
    LoadSet(low, file);
    LoadSet(high, file);
    const auto digits = [](const StoredOptions &s) {
        const Options &o = s.options;
        QString out;
        for (auto [on, grayed] :
             {std::pair(o.bold, s.boldGrayed), std::pair(o.italic, s.italicGrayed),
              std::pair(o.newWindow, s.newWindowGrayed), std::pair(o.copyAfterGenerate, s.copyGrayed)})
            out += QChar(u'0' + (grayed ? 2 : on));
        for (int n : {int(o.format), int(o.avoidMarkup), int(o.rotateKeywords), int(o.inPlace), int(o.sentenceEnd),
                      o.linkCount})
            out += QString::number(n, 16).toUpper();
        return out;
    };
    QString a = digits(low);
    const QString b = digits(high);
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            a[i] = u'7';
    return a;
}

// A text, its bytes in code page 936, and in the files' lossless form.
using Encoded = std::tuple<QString, QByteArray, QByteArray>;
// The file's bytes, the records read, the bytes exported (null: not checked).
using ReadWrite = std::tuple<QByteArray, QStringList, QByteArray>;
// The path under a new folder, the limit (size or disk), the records, the reason the save gives.
using Unusable = std::tuple<QString, QString, int, QString>;
// The file before (null: none), the states loaded, the file after the save, the states saved.
using Saved = std::tuple<QByteArray, QString, QByteArray, QString>;

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir, m_home;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString userFolder() const { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Gbk::available());
        qputenv("HOME", m_home.path().toLocal8Bit()); // the per-user folder of whoever runs the tests
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(userFolder().startsWith(m_home.path()));
    }

    // Bytes as code page 936 writes them, and the form the files use where that differs, which decodes back to the
    // text however it is cut into two pieces.
    void encode_data()
    {
        QTest::addColumn<Encoded>("row");
        const auto row = [](const char *name, const QString &text, const char *gbk, const char *lossless) {
            QTest::newRow(name) << Encoded{text, QByteArray::fromHex(gbk), QByteArray::fromHex(lossless)};
        };
        row("ascii and CR LF", "ab\r\n", "61620d0a", "61620d0a");
        row("chinese, full-width comma", "中文，", "d6d0cec4a3ac", "d6d0cec4a3ac");
        row("euro is one byte", "€", "80", "80");
        row("hangul", "한", "3f", "83368433");
        row("emoji is one character", "😀", "3f", "9439fc36");
        row("soft hyphen is not dropped", "a\u00ADb", "613f62", "618130853262");
        row("GB18030 takes the code of the private-use twin", "ǹ\uE7C8", "3fa8bf", "a8bf8336c830");
        row("lone surrogate at end", QString(QChar(0xD800)), "3f", "3f");
        row("a pair between lone halves", QChar(0xD800) + u"😀"_qs + QChar(0xDC00), "3f3f3f", "3f9439fc363f");
        row("NUL", QString(QChar(0)), "00", "00");
    }
    void encode()
    {
        QFETCH(Encoded, row);
        const auto &[text, gbk, lossless] = row;
        QCOMPARE(Gbk::encode(text), gbk);
        QCOMPARE(Gbk::encodeLossless(text), lossless);
        for (qsizetype cut = 0; !text[0].isSurrogate() && cut <= lossless.size(); ++cut) { // in two pieces
            Gbk::Decoder d;
            QString out = d.decode(QByteArrayView(lossless).first(cut));
            out += d.decode(QByteArrayView(lossless).sliced(cut));
            QCOMPARE(out + d.finish(), text);
        }
        QCOMPARE(Gbk::count(text).bytes, gbk.size());
    }

    // The lookup table against the converter itself, character by character; and every character
    // of the plane survives the files' encoding, alone and in one piece.
    void wholePlane()
    {
        QStringEncoder encoder("GBK");
        QString all;
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const QString s{QChar(char16_t(c))};
            all += s;
            QByteArray b = encoder.encode(s);
            if (b.isEmpty())
                b = "?"; // ICU drops unmappable ignorables; code page 936 writes "?"
            const bool chinese = b.size() == 2 || quint8(b[0]) >= 0x80;
            const Gbk::Counts counts = Gbk::count(s);
            if (counts.bytes != b.size() || counts.chinese != (chinese ? 1 : 0) ||
                Gbk::decode(Gbk::encodeLossless(s)) != s)
                QFAIL(qPrintable(QString("U+%1").arg(quint32(c), 4, 16, QChar('0'))));
        }
        // In one piece, through the keyword list file; only the reader's line ends and bars excluded.
        KeywordTable table, back;
        table.append(all.sliced(0x21).remove(u'|'), "€");
        SaveTXT(table, path("plane.txt"));
        JiaTXT(back, path("plane.txt"));
        QCOMPARE(records(back), records(table));
    }

    // The file is read into a table (appended) and imported (replacing the table); where "saved"
    // is given, the imported table is exported and must come out as exactly those bytes, so those
    // rows are save/load round trips as well.
    void readAndWrite_data()
    {
        QTest::addColumn<ReadWrite>("row");
        const auto row = [](const char *name, const QByteArray &bytes, const QStringList &expected,
                            const QByteArray &saved = {}) {
            QTest::newRow(name) << ReadWrite{bytes, expected, saved};
        };
        row("blank, space and bar lines: an empty table", "\r\n\r\n   \r\n|||\r\n  |||  \r\n", {}, "\r\n");
        row("A, A|B", gbk("绿茶\r\n绿茶|http://a/\r\n"), {"绿茶|", "绿茶|http://a/"});
        row("empty fields skipped, a third ignored", "|A|B\r\nA||B\r\nA|B|\r\nA|B|C|D\r\n",
            {"A|B", "A|B", "A|B", "A|B"});
        row("spaces trimmed at the line ends only", "   A | B  \r\n", {"A | B"});
        row("tabs and ideographic spaces kept", gbk("\tA|B\t\r\n\t\u3000\r\n"), {"\tA|B\t", "\t\u3000|"});
        row("LF only", "K1|L1\nK2|L2\n", {"K1|L1", "K2|L2"}, "K1|L1\r\nK2|L2\r\n\r\n");
        row("CR LF, lone CR and lone LF mixed", "A|B\rC|D\r\r\nE|F\n\nG|H", {"A|B", "C|D", "E|F", "G|H"});
        row("two records, the last line without an end", "K1|L1\r\nK2", {"K1|L1", "K2|"}, "K1|L1\r\nK2|\r\n\r\n");
        row("NUL bytes", QByteArray("A\0B|L\r\n", 7), {QString::fromUtf16(u"A\0B|L", 5)});
        row("invalid GBK, a lead byte at the end", "A\x81\r\nok|x\x81", {"A\uFFFD|", "ok|x\uFFFD"});
        row("GB18030 forms, the euro as 0x80", "\x83\x36\x84\x33|\x80\xA8\xBF\r\n\r\n", {"한|€ǹ"},
            "\x83\x36\x84\x33|\x80\xA8\xBF\r\n\r\n");
        row("UTF-8 with BOM", "\xEF\xBB\xBF" + u"绿茶|链接"_qs.toUtf8(), {"绿茶|链接"});
        row("UTF-16 LE with BOM", utf16("绿茶|链接\r\n😀|x\n", QStringConverter::Utf16LE), {"绿茶|链接", "😀|x"},
            gbk("绿茶|链接\r\n") + "\x94\x39\xFC\x36|x\r\n\r\n");
        row("UTF-16 BE with BOM", utf16("绿茶|链接\r\n", QStringConverter::Utf16BE), {"绿茶|链接"});
        row("5 MB", QByteArray("k|" + QByteArray(498, 'l') + "\r\n").repeated(10'000),
            QStringList(10'000, "k|" + QString(498, u'l')));
        row("one 1 MB line", QByteArray(1 << 20, 'k') + "|L", {QString(1 << 20, u'k') + "|L"});
        row("a million bars", QByteArray(1 << 20, '|') + "k", {"k|"});
    }
    void readAndWrite()
    {
        QFETCH(ReadWrite, row);
        const auto &[bytes, expected, saved] = row;
        writeFile(path("in.txt"), bytes);
        KeywordTable table;
        table.append("old", "x");
        QCOMPARE(JiaTXT(table, path("in.txt")), ListRead::Read);
        QCOMPARE(records(table), QStringList{"old|x"} + expected);
        ImportKeywords(table, [&] { return path("in.txt"); });
        QCOMPARE(records(table), expected); // replaced, IDs 1 to N again
        ExportKeywords(table, [&] { return path("out"); });
        if (!saved.isNull())
            QCOMPARE(readFile(path("out")), saved);  // under the name as given, no extension added
        QVERIFY(!StoredFile::readings(bytes).other); // none of these is in doubt
    }

    // Random lists of 1, 2, 3, 5 and 10 records of each kind of tests/data/words.txt, as their writers save them (no
    // byte-order mark). Prints, for each number of records, the share read in the wrong encoding / the share offered
    // both ways, in %. Aim: no misread from three records on, under 1 % below, under 5 % offered both. "GBK random"
    // (random characters of GB2312 and of Big5's common level) stands for any list the program writes; "GBK
    // lookalike" are the words whose GBK bytes are valid UTF-8.
    void corpus_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"GBK simplified", "GBK traditional", "GBK lookalike", "GBK names", "GBK random",
                                 "UTF-8 simplified", "UTF-8 traditional", "UTF-8 japanese", "UTF-8 korean",
                                 "UTF-8 russian", "UTF-8 latin", "UTF-8 thai", "UTF-8 emoji", "UTF-8 names"})
            QTest::newRow(kind) << QString(kind).section(u' ', 1);
    }
    void corpus()
    {
        QFETCH(QString, kind);
        const auto encoding =
            QTest::currentDataTag()[0] == 'U' ? StoredFile::Encoding::Utf8 : StoredFile::Encoding::Gbk;
        QHash<QString, QStringList> words;
        for (const QString &line : QString::fromUtf8(readFile(testData("words.txt"))).split(u'\n'))
            if (!line.startsWith(u'#') && line.contains(": "))
                words[line.section(": ", 0, 0)] += line.section(": ", 1).split(u',');
        std::copy_if(words["simplified"].cbegin(), words["simplified"].cend(), std::back_inserter(words["lookalike"]),
                     [](const QString &word) { return gbk(word).isValidUtf8(); });
        for (const auto &[codec, first, last] : {std::tuple("GBK", 0xB0A1, 0xF7FE), {"Big5", 0xA440, 0xC67E}})
            for (int code = first; kind == "random" && code <= last; ++code)
                if (const QString c = QStringDecoder(codec).decode(QByteArray::fromHex(QByteArray::number(code, 16)));
                    c.size() == 1 && c[0].isLetter() && (code & 0xFF) >= (first == 0xB0A1 ? 0xA1 : 0x40))
                    words["random"] += c;
        QRandomGenerator random(7);
        const auto pick = [&](const QString &kind) { return words[kind][random.bounded(words[kind].size())]; };
        QString table = QString(QTest::currentDataTag()).leftJustified(18);
        bool ok = true;
        for (int records : {1, 2, 3, 5, 10}) {
            int misread = 0, doubtful = 0;
            for (int list = 0; list < 1000; ++list) {
                QString text;
                for (int r = 0, name = random.bounded(records); r < records; ++r) {
                    text += kind == "names" && r != name ? pick("ascii") : pick(kind);
                    text += kind == "random" && random.bounded(2) ? pick(kind) : ""; // one or two characters
                    text += (random.bounded(3) ? "|http://www.example.com/" + pick("ascii") : "|") + "\r\n";
                }
                const StoredFile::Readings r = StoredFile::readings(StoredFile::encode(text += "\r\n", encoding));
                misread += r.likelier.text != text;
                doubtful += r.other.has_value();
                QVERIFY(!r.other || r.other->encoding != r.likelier.encoding); // the other reading, not the same
            }
            ok = ok && (records >= 3 ? misread == 0 : misread < 10) && doubtful < 50;
            table += QString::asprintf("%6.1f /%4.1f", misread / 10.0, doubtful / 10.0);
        }
        qInfo().noquote() << table;
        QVERIFY(ok);
    }

    // Random bytes: no crash, and no more records than lines.
    void binaryFile()
    {
        QByteArray bytes(1 << 20, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        writeFile(path("binary"), bytes);
        KeywordTable table;
        JiaTXT(table, path("binary"));
        QVERIFY(table.count() <= bytes.count('\r') + bytes.count('\n') + 1);
        // The settings reader finds its lines in the text and in the bytes alike.
        IniFile ini(bytes + gbk("\n[Setting]\r\n粗体=1"));
        QCOMPARE(ini.value(u"Setting", u"粗体"), "1");
        ini.setValue(u"Setting", u"粗体", 2);
        QCOMPARE(ini.bytes(), bytes + gbk("\n[Setting]\r\n粗体=2"));
    }

    // Nothing is read, the table stays as it was, and the save fails with its reason, leaving the
    // folder as it was: the old list whole and no temporary file. A small list fails only when its
    // last bytes are flushed, so each limit runs with a small list and a large one.
    void unusablePath_data()
    {
        QTest::addColumn<Unusable>("row");
        const auto row = [](const char *name, const char *target, const char *limit, int count, const char *reason) {
            QTest::newRow(name) << Unusable{target, limit, count, reason};
        };
        row("cancelled dialogs: empty path", "", "", 2000, "");
        row("missing folder", "missing/Data.txt", "", 2000, "文件夹不存在");
        row("a folder in place of the file", "folder", "", 2000, "同名的文件夹已存在");
        // The file-size limit holds for root too; the old list is written after the reading.
        row("size limit, 2 records", "Data.txt", "size", 2, "文件超过了系统允许的大小");
        row("size limit, 2000 records", "Data.txt", "size", 2000, "文件超过了系统允许的大小");
        row("full disk, 2 records", "Data.txt", "disk", 2, "磁盘空间不足");
        row("full disk, 2000 records", "Data.txt", "disk", 2000, "磁盘空间不足");
    }
    void unusablePath()
    {
        QFETCH(Unusable, row);
        const auto &[target, limit, count, reason] = row;
        QTemporaryDir dir;
        if (limit == "disk" && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()}) != 0)
            QSKIP("a small disk of its own needs the right to mount one");
        const auto unmount = qScopeGuard([&] {
            if (limit == "disk")
                QProcess::execute("umount", {dir.path()});
        });
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString file = target.isEmpty() ? target : dir.filePath(target);
        KeywordTable table;
        table.append(QList<KeywordTable::Record>(count, {"关键字", "http://www.example.com/"}));
        JiaTXT(table, file);
        ImportKeywords(table, [&] { return file; });
        QCOMPARE(records(table), QStringList(count, "关键字|http://www.example.com/"));
        writeFile(dir.filePath("Data.txt"), "old|list\r\n\r\n");
        if (limit == "disk") { // fill the disk
            QFile filler(dir.filePath("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) > 0) {
            }
        }
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{limit == "size" ? 10 : saved.rlim_cur, saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto unlimit = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &saved); });
        QVERIFY(!SaveTXT(table, file));
        QCOMPARE(ExportKeywords(table, [&] { return file; }), reason);
        QCOMPARE(readFile(dir.filePath("Data.txt")), "old|list\r\n\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"Data.txt"} + QStringList(limit == "disk", "filler") + QStringList{"folder"}));
    }

    // A stored value as ParseIniNumber reads it, and as LoadSet applies it: only 0, 1 and 2 reach a
    // box. The value stands under 粗体 and 生成后复制, 斜体 is "1" in quotes and 新窗口打开 is
    // missing; the lines end in LF, a lone CR, CR LF and nothing. Every key is read whatever became
    // of the one before.
    void storedValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // None: not a number
        // Spaces around, halves to the even neighbour, just over a half, out of range, too long for
        // any integer, not a number.
        const std::pair<const char *, int> rows[] = {
            {" 1 ", 1},  {"1.5", 2}, {"2.5", 2},      {"0.5001", 1},
            {"-1", -1},  {"3", 3},   {"40000", None}, {"123456789012345678901234567890", None},
            {"x", None}, {"", None}, {"1e2", None}};
        for (const auto &[text, number] : rows)
            QTest::newRow(qPrintable(QString("\"%1\"").arg(text))) << QString(text) << number;
    }
    void storedValue()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const std::optional<qint16> n = ParseIniNumber(text);
        QCOMPARE(n ? int(*n) : None, number);
        writeFile(path("Setting.ini"), gbk("[Setting]\n粗体=" + text + "\r斜体=\"1\"\r\n生成后复制=" + text));
        const QString read = QString::number(number >= 0 && number <= 2 ? number : 7);
        QCOMPARE(loadedFrom(path("Setting.ini")), read + "17" + read + "777777");
    }

    // LoadSet reads the states; SaveSet of other states changes only what it has to, and LoadSet reads them back. The
    // advanced page's keys are written only when they differ from what the file gives (0 or 2 links for none), so a
    // file without them stays as it is while they are so. Saved states are 1020000002 unless given.
    void saveSet_data()
    {
        QTest::addColumn<Saved>("row");
        const QByteArray three = gbk("粗体=1\r\n斜体=0\r\n新窗口打开=2\r\n"), copy = gbk("生成后复制=0\r\n");
        const auto row = [](const char *name, const QByteArray &before, const char *loaded, const QByteArray &after,
                            const char *saved = "1020000002") {
            QTest::newRow(name) << Saved{before, loaded, after, saved};
        };
        row("new file, the keys in order", {}, "7777777777", "[Setting]\r\n" + three + copy);
        // Another section, comments, spaces around "=", the section in lower case, the first three
        // values as SaveSet writes them, and 生成后复制 only in a comment and in the other section.
        const QByteArray windows = readFile(testData("Setting.ini"));
        row("GBK fixture", windows, "1027777777",
            QByteArray(windows).replace(gbk("新窗口打开=2\r\n"), gbk("新窗口打开=2\r\n") + copy));
        row("no such section, undecodable bytes, no final line end", "[A]\r\nx=\x81\xFF\x80\x81\r\ny=\x81",
            "7777777777", "[A]\r\nx=\x81\xFF\x80\x81\r\ny=\x81\r\n[Setting]\r\n" + three + copy);
        row("LF lines, case and blanks; only the first section of the name",
            gbk(" [ SETTING ] \n生成后复制\t= \t7 \n[Setting]\n粗体=2\n"), "7777777777",
            gbk(" [ SETTING ] \n生成后复制\t= \t0\n") + three + gbk("[Setting]\n粗体=2\n"));
        row("UTF-8 file stays UTF-8; the section's last line without an end",
            "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0"_qs.toUtf8(), "7077777777",
            "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0\r\n粗体=1\r\n新窗口打开=2\r\n生成后复制=0\r\n"_qs.toUtf8());
        row("UTF-16 file stays UTF-16", utf16("[Setting]\r\n粗体 = 0 \r\n", QStringConverter::Utf16LE), "0777777777",
            utf16("[Setting]\r\n粗体 = 1\r\n斜体=0\r\n新窗口打开=2\r\n生成后复制=0\r\n", QStringConverter::Utf16LE));
        const QByteArray four = "[Setting]\r\n" + three + copy;
        const auto advanced = [&](const char *name, const QString &before, const char *loaded, const char *saved,
                                  const QString &after) {
            row(name, four + gbk(before), loaded, four + gbk(after), saved);
        };
        advanced("advanced, all on", "", "1020777777", "102021111A",
                 "链接格式=2\r\n避开标签=1\r\n轮换关键字=1\r\n文中匹配=1\r\n句末插入=1\r\n链接数量=10\r\n");
        advanced("advanced, switched off", "链接格式=1\r\n避开标签=1\r\n轮换关键字= 1 \r\n文中匹配=1\r\n链接数量=5\r\n",
                 "1020111175", "1020010002",
                 "链接格式=0\r\n避开标签=1\r\n轮换关键字= 0\r\n文中匹配=0\r\n链接数量=2\r\n");
        const QString odd = "链接格式=3\r\n避开标签=2\r\n轮换关键字=x\r\n句末插入=-1\r\n链接数量=11\r\n",
                      halves = "链接格式=1.5\r\n避开标签=0.5\r\n链接数量=9.5\r\n";
        advanced("advanced, out of range reads as 0 (or 2 links) and stays", odd, "1020777777", "1020000002", odd);
        advanced("advanced, halves to even", halves, "102020777A", "102020000A", halves);
    }
    void saveSet()
    {
        QFETCH(Saved, row);
        const auto &[before, loaded, after, saved] = row;
        const QString file = path(QTest::currentDataTag());
        if (!before.isNull())
            writeFile(file, before);
        QCOMPARE(loadedFrom(file), loaded);
        QVERIFY(SaveSet(storedFrom(saved), file));
        QCOMPARE(readFile(file), after);
        StoredOptions back; // as the window starts
        LoadSet(back, file);
        QVERIFY(back == storedFrom(saved));
        QVERIFY(SaveSet(back, file)); // nothing to change: the file stays
        QCOMPARE(readFile(file), after);
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
