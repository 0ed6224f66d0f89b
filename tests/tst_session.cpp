// The built program, ended by the signals a desktop, the system or a terminal sends.
#include "TestUtil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class TestSession : public QObject
{
    Q_OBJECT

    // The program is ready for the signals once all three show as caught.
    static bool catching(qint64 pid)
    {
        const QByteArray text = readFile(QString("/proc/%1/status").arg(pid));
        const qsizetype at = text.indexOf("SigCgt:");
        const quint64 wanted = 1ull << (SIGTERM - 1) | 1ull << (SIGHUP - 1) | 1ull << (SIGINT - 1);
        return at >= 0 && (text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) & wanted) == wanted;
    }

private Q_SLOTS:
    // SIGTERM (logout, shutdown, kill), SIGHUP (the terminal gone) and SIGINT (Ctrl+C) save the list
    // as a close does, and the program ends normally. The list is read with LF line ends and always
    // saved with CR LF, so a changed file proves the save.
    void signalSaves_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("saved"); // false: a file size limit of 16 bytes, below the list's 22
        QTest::newRow("SIGTERM") << SIGTERM << true;
        QTest::newRow("SIGHUP") << SIGHUP << true;
        QTest::newRow("SIGINT") << SIGINT << true;
        // Past the limit a write would end the program with SIGXFSZ; instead the save fails, the
        // list is left as it was and the message goes to stderr.
        QTest::newRow("list over the file size limit") << SIGTERM << false;
    }
    void signalSaves()
    {
        QFETCH(int, signal);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        QVERIFY(QFile::copy(VELOMAR_PROGRAM, dir.filePath("velomar")));
        const QString list = "绿茶1|L1\n绿茶2|L2\n";
        writeFile(dir.filePath("Data.txt"), gbk(list));

        QProcess velomar;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_DATA_HOME");
        env.insert("HOME", dir.filePath("home")); // where a list that cannot be saved beside the program goes
        env.insert("QT_QPA_PLATFORM", "offscreen");
        velomar.setProcessEnvironment(env);
        if (!saved)
            velomar.setChildProcessModifier([] {
                const rlimit limit{16, 16};
                setrlimit(RLIMIT_FSIZE, &limit);
            });
        velomar.start(dir.filePath("velomar"), {});
        QVERIFY(velomar.waitForStarted()); // until then the caught signals are this test's own
        QTRY_VERIFY_WITH_TIMEOUT(catching(velomar.processId()), 60000);
        QCOMPARE(::kill(pid_t(velomar.processId()), signal), 0);
        QVERIFY(velomar.waitForFinished(60000));
        QCOMPARE(velomar.exitStatus(), QProcess::NormalExit);
        const QByteArray errors = velomar.readAllStandardError();
        QVERIFY2(velomar.exitCode() == 0, errors.constData()); // what went wrong, when it did
        QCOMPARE(readFile(dir.filePath("Data.txt")), gbk(saved ? QString(list).replace("\n", "\r\n") + "\r\n" : list));
        QCOMPARE(errors.contains(QString("以下位置都无法写入").toUtf8()), !saved);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
