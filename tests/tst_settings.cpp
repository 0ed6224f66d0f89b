#include "ProgramFiles.h"
#include "Settings.h"

#include "FileHelpers.h"

#include <QStandardPaths>

#include <array>

constexpr int None = 99999;

class FakeBoxes final : public OptionBoxes
{
public:
    std::array<int, BoxCount> states;
    explicit FakeBoxes(std::array<int, BoxCount> s = {}) : states(s) {}
    int state(Box box) const override { return states[box]; }
    void setState(Box box, int state) override { states[box] = state; }
};

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QTest::failOnWarning(QRegularExpression(".")); } // failures stay silent

    // A stored value as ParseIniNumber reads it, and as LoadSet applies it: only 0, 1 and 2 reach a
    // box. The value stands under 粗体 and 生成后复制, 斜体 is "1" in quotes and 新窗口打开 is
    // missing; the lines end in LF, a lone CR, CR LF and nothing. Every key is read whatever became
    // of the one before.
    void storedValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // None: not a number
        QTest::newRow("spaces around") << " 1 " << 1;
        QTest::newRow("half up to even") << "1.5" << 2;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("just over half") << "0.5001" << 1;
        QTest::newRow("-1") << "-1" << -1;
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("40000") << "40000" << None;
        QTest::newRow("too long for any integer") << "123456789012345678901234567890" << None;
        QTest::newRow("x") << "x" << None;
        QTest::newRow("empty") << "" << None;
        QTest::newRow("exponent") << "1e2" << None;
    }
    void storedValue()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const std::optional<qint16> n = ParseIniNumber(text);
        QCOMPARE(n ? int(*n) : None, number);
        writeFile(path("Setting.ini"), gbk("[Setting]\n粗体=" + text + "\r斜体=\"1\"\r\n生成后复制=" + text));
        FakeBoxes boxes({7, 7, 7, 7}); // no state a file can set: "kept" shows
        LoadSet(boxes, path("Setting.ini"));
        const int expected = number >= 0 && number <= 2 ? number : 7;
        QCOMPARE(boxes.states, (std::array<int, 4>{expected, 1, 7, expected}));
    }

    // SaveSet of {1, 0, 2, 0} changes only what it has to, and LoadSet reads the same states back.
    void saveSet_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray three = gbk("粗体=1\r\n斜体=0\r\n新窗口打开=2\r\n"), copy = gbk("生成后复制=0\r\n");
        QTest::newRow("new file, the keys in order") << QByteArray() << "[Setting]\r\n" + three + copy;
        // Another section, comments, spaces around "=", the section in lower case, the first three
        // values as SaveSet writes them, and 生成后复制 only in a comment and in the other section.
        const QByteArray windows = readFile(QStringLiteral(VELOMAR_TEST_DATA "/Setting.ini"));
        QTest::newRow("written on Windows")
            << windows << QByteArray(windows).replace(gbk("新窗口打开=2\r\n"), gbk("新窗口打开=2\r\n") + copy);
        QTest::newRow("no such section, undecodable bytes, no final line end")
            << QByteArray("[A]\r\nx=\x81\xFF\x80") << "[A]\r\nx=\x81\xFF\x80\r\n[Setting]\r\n" + three + copy;
        QTest::newRow("LF lines, case and blanks; only the first section of the name")
            << gbk(" [ SETTING ] \n生成后复制\t= \t7 \n[Setting]\n粗体=2\n")
            << gbk(" [ SETTING ] \n生成后复制\t= \t0\n") + three + gbk("[Setting]\n粗体=2\n");
        QTest::newRow("UTF-8 file stays UTF-8; the section's last line without an end")
            << "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0"_qs.toUtf8()
            << "\xEF\xBB\xBF" + u"[Setting]\r\n斜体=0\r\n粗体=1\r\n新窗口打开=2\r\n生成后复制=0\r\n"_qs.toUtf8();
    }
    void saveSet()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString file = path(QTest::currentDataTag());
        if (!before.isNull())
            writeFile(file, before);
        const FakeBoxes boxes({1, 0, 2, 0});
        SaveSet(boxes, file);
        QCOMPARE(readFile(file), after);
        FakeBoxes loaded({7, 7, 7, 7});
        LoadSet(loaded, file);
        QCOMPARE(loaded.states, boxes.states);
    }

    // A program folder that can be written is used and the probe leaves nothing there; otherwise the
    // per-user data folder, created if need be.
    void programFilesFolder()
    {
        QVERIFY(QDir(m_dir.path()).mkdir("prog"));
        QCOMPARE(ProgramFilesFolder(path("prog")), path("prog"));
        SaveSet(FakeBoxes(), ProgramFilePath(path("prog"), SettingFileName));
        QCOMPARE(QDir(path("prog")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"Setting.ini"});
        const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(userData.contains(".qttest") && QDir(userData).removeRecursively()); // test mode: not the user's
        QCOMPARE(ProgramFilesFolder(path("missing")), userData);
        QVERIFY(QFileInfo(userData).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
