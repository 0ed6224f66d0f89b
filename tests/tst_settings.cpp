#include "IniFile.h"
#include "KeywordFile.h"
#include "ProgramFiles.h"
#include "Settings.h"

#include "FileHelpers.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

constexpr int None = 99999;

class FakeBoxes final : public OptionBoxes
{
public:
    std::array<int, BoxCount> states{};
    int state(Box box) const override { return states[box]; }
    void setState(Box box, int state) override { states[box] = state; }
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QTest::failOnWarning(QRegularExpression(".")); } // failures stay silent

    // Stored values as ParseIniNumber reads them; LoadSet applies only 0, 1 and 2.
    void parseIniNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // None: not a number
        QTest::newRow("spaces around") << " 1 " << 1;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("grayed") << "2" << 2;
        QTest::newRow("half up to even") << "1.5" << 2;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("0.5") << "0.5" << 0;
        QTest::newRow("just over half") << "0.5001" << 1;
        QTest::newRow("plus, leading zeros, no fraction") << "+001." << 1;
        QTest::newRow("no whole part") << ".6" << 1;
        QTest::newRow("-1") << "-1" << -1;
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("lowest") << "-32768.5" << -32768;
        QTest::newRow("rounds past 16 bits") << "32767.5" << None;
        QTest::newRow("40000") << "40000" << None;
        QTest::newRow("very long") << "123456789012345678901234567890" << None;
        QTest::newRow("x") << "x" << None;
        QTest::newRow("empty") << "" << None;
        QTest::newRow("sign only") << "-" << None;
        QTest::newRow("exponent") << "1e2" << None;
    }
    void parseIniNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const std::optional<qint16> n = ParseIniNumber(text);
        QCOMPARE(n ? int(*n) : None, number);
    }

    // The value stands under 粗体 and 生成后复制, 斜体 is 1 and 新窗口打开 is missing: every key is
    // read whatever became of the one before. Two starting states tell "set" from "kept".
    void loadSet_data() { parseIniNumber_data(); }
    void loadSet()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        writeFile(path("Setting.ini"), gbk("[Setting]\r\n粗体=" + text + "\r\n斜体=1\r\n生成后复制=" + text + "\r\n"));
        for (int start : {0, 2}) {
            FakeBoxes boxes;
            boxes.states.fill(start);
            LoadSet(boxes, path("Setting.ini"));
            const int expected = number >= 0 && number <= 2 ? number : start;
            QCOMPARE(boxes.states, (std::array<int, 4>{expected, 1, start, expected}));
        }
    }

    void saveSetWritesFourKeysInOrder()
    {
        FakeBoxes boxes;
        boxes.states = {1, 0, 2, 1};
        SaveSet(boxes, path("new.ini"));
        QCOMPARE(readFile(path("new.ini")), gbk("[Setting]\r\n粗体=1\r\n斜体=0\r\n新窗口打开=2\r\n生成后复制=1\r\n"));
        FakeBoxes loaded;
        LoadSet(loaded, path("new.ini"));
        QCOMPARE(loaded.states, boxes.states);
    }

    // Written on Windows: another section, a comment, spaces around "=", the section in lower case.
    void windowsFile()
    {
        const QByteArray original = readFile(QStringLiteral(VELOMAR_TEST_DATA "/Setting.ini"));
        writeFile(path("win.ini"), original);
        QCOMPARE(ReadIni("Window", "标题", path("win.ini")), "绿茶 工具");
        FakeBoxes boxes;
        boxes.states = {0, 1, 0, 1};
        LoadSet(boxes, path("win.ini"));
        QCOMPARE(boxes.states, (std::array<int, 4>{1, 0, 2, 1})); // 生成后复制 is only in a comment here

        boxes.states = {0, 1, 1, 2};
        SaveSet(boxes, path("win.ini"));
        QByteArray expected = original;
        expected.replace(gbk("粗体 = 1"), gbk("粗体 = 0"))
            .replace(gbk("斜体=0"), gbk("斜体=1"))
            .replace(gbk("新窗口打开=2\r\n"), gbk("新窗口打开=1\r\n生成后复制=2\r\n"));
        QCOMPARE(readFile(path("win.ini")), expected);
    }

    void readIni_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("no section") << QByteArray("[Other]\r\nkey=1\r\n") << "";
        QTest::newRow("no key") << QByteArray("[Setting]\r\nother=1\r\nkey\r\n") << "";
        QTest::newRow("key before any section") << QByteArray("key=1\r\n[Setting]\r\n") << "";
        QTest::newRow("case and blanks") << QByteArray(" [ SETTING ] \nKEY\t= \t7 \n") << "7";
        QTest::newRow("lone CR lines") << QByteArray("[Setting]\rkey=3\r") << "3";
        QTest::newRow("quotes removed") << QByteArray("[Setting]\r\nkey=\"1\"\r\n") << "1";
        QTest::newRow("first of two") << QByteArray("[Setting]\r\nkey=1\r\nkey=2\r\n[Setting]\r\nkey=3\r\n") << "1";
        QTest::newRow("UTF-8") << u"[Setting]\r\nkey=二\r\n"_qs.toUtf8() << "二";
    }
    void readIni()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFile::remove(path("r.ini"));
        if (!bytes.isNull())
            writeFile(path("r.ini"), bytes);
        QCOMPARE(ReadIni("Setting", "key", path("r.ini")), expected);
    }

    // WriteIni("Setting", "粗体", 1): only what has to change changes.
    void writeIni_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray entry = gbk("粗体=1\r\n");
        QTest::newRow("no file") << QByteArray() << "[Setting]\r\n" + entry;
        QTest::newRow("empty file") << QByteArray("") << "[Setting]\r\n" + entry;
        QTest::newRow("other section, no final line end")
            << QByteArray("[A]\r\nx=1") << "[A]\r\nx=1\r\n[Setting]\r\n" + entry;
        QTest::newRow("key added at the section's end") << QByteArray("[Setting]\r\nx=0\r\n;note\r\n\r\n[B]\r\n")
                                                        << "[Setting]\r\nx=0\r\n;note\r\n" + entry + "\r\n[B]\r\n";
        QTest::newRow("commented key is no key")
            << gbk("[Setting]\r\n;粗体=0") << gbk("[Setting]\r\n;粗体=0\r\n") + entry;
        QTest::newRow("spelling and spacing kept") << gbk("[setting]\n 粗体 =  0 \n") << gbk("[setting]\n 粗体 =  1\n");
        QTest::newRow("first section of the name")
            << gbk("[Setting]\r\n[Setting]\r\n粗体=0\r\n") << gbk("[Setting]\r\n粗体=1\r\n[Setting]\r\n粗体=0\r\n");
        QTest::newRow("undecodable bytes elsewhere kept")
            << "[A]\r\nx=\x81\xFF\x80\r\n" + gbk("[Setting]\r\n粗体=2\r\n")
            << "[A]\r\nx=\x81\xFF\x80\r\n" + gbk("[Setting]\r\n粗体=1\r\n");
        QTest::newRow("UTF-8 file stays UTF-8") << "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0\r\n"_qs.toUtf8()
                                                << "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0\r\n粗体=1\r\n"_qs.toUtf8();
    }
    void writeIni()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFile::remove(path("w.ini"));
        if (!before.isNull())
            writeFile(path("w.ini"), before);
        WriteIni("Setting", "粗体", 1, path("w.ini"));
        QCOMPARE(readFile(path("w.ini")), after);
        QCOMPARE(ReadIni("SETTING", "粗体", path("w.ini")), "1");
    }

    void writeIniFailsQuietly()
    {
        QVERIFY(QDir(m_dir.path()).mkdir("folder.ini"));
        WriteIni("Setting", "粗体", 1, path("folder.ini"));
        WriteIni("Setting", "粗体", 1, path("missing/Setting.ini"));
        QVERIFY(QFileInfo(path("folder.ini")).isDir());
        QVERIFY(!QFileInfo::exists(path("missing")));
    }

    void programFilesFolder_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<bool>("writable");
        QTest::newRow("writable") << "prog" << true;
        QTest::newRow("missing") << "gone" << false;
        QTest::newRow("a file, not a folder") << "file" << false;
    }
    void programFilesFolder()
    {
        QFETCH(QString, programDir);
        QFETCH(bool, writable);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("prog"));
        writeFile(dir.filePath("file"), "x");
        const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(userData.contains(".qttest"));
        const QString folder = ProgramFilesFolder(dir.filePath(programDir));
        QCOMPARE(folder, writable ? dir.filePath(programDir) : userData);
        QVERIFY(QFileInfo(folder).isDir());
        if (writable) {
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)); // probe removed
            KeywordTable table;
            SaveTXT(table, ProgramFilePath(folder, DataFileName));
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"Data.txt"});
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
