#include "KeywordTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestKeywordTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Steps: "a" append, "rN" remove position N, "c" clear, "b" append three at once.
    void idNumbering_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("first append") << QStringList{"a"} << QStringList{"1"};
        QTest::newRow("remove first, append") << QStringList{"a", "a", "a", "r1", "a"} << QStringList{"2", "3", "3"};
        QTest::newRow("remove middle, append") << QStringList{"a", "a", "a", "r2", "a"} << QStringList{"1", "3", "3"};
        QTest::newRow("clear restarts") << QStringList{"a", "a", "c", "a", "a"} << QStringList{"1", "2"};
        QTest::newRow("out of range") << QStringList{"a", "r0", "r2"} << QStringList{"1"};
        QTest::newRow("bulk append") << QStringList{"a", "b"} << QStringList{"1", "2", "3", "4"};
    }
    void idNumbering()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, ids);
        KeywordTable t;
        QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        for (const QString &s : steps) {
            if (s == "a")
                t.append("绿茶", "http://a.example/");
            else if (s == "b")
                t.append(QList<KeywordTable::Record>{{"x", "1"}, {"y", ""}, {"", "3"}});
            else if (s == "c")
                t.clear();
            else
                t.remove(s.mid(1).toInt());
        }
        QStringList shown;
        for (int r = 0; r < t.rowCount(); ++r)
            shown << t.index(r, KeywordTable::ColumnId).data().toString();
        QCOMPARE(shown, ids);
        QCOMPARE(inserted.count(), steps.count("a") + steps.count("b")); // one signal for a bulk append
    }

    void removalMovesRecordsUp()
    {
        KeywordTable t;
        for (const char *k : {"A", "B", "C"})
            t.append(k, QString(k).toLower());
        t.remove(2);
        QCOMPARE(t.count(), 2);
        QCOMPARE(t.keyWord(2) + t.link(2), "Cc");
        QCOMPARE(t.index(1, KeywordTable::ColumnLink).data().toString(), "c");
        QCOMPARE(t.headerData(KeywordTable::ColumnKeyWord, Qt::Horizontal).toString(), "KeyWord");
    }
};

QTEST_GUILESS_MAIN(TestKeywordTable)
#include "tst_keywordtable.moc"
