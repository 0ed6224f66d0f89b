#include "KeywordTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {
QStringList ids(const KeywordTable &t)
{
    QStringList out;
    for (int r = 0; r < t.rowCount(); ++r)
        out << t.index(r, KeywordTable::ColumnId).data().toString();
    return out;
}
} // namespace

class TestKeywordTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each step is "a" (append), "rN" (remove position N) or "c" (clear).
    void idNumbering_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first append") << QStringList{"a"} << QStringList{"1"};
        QTest::newRow("same keyword twice") << QStringList{"a", "a"} << QStringList{"1", "2"};
        QTest::newRow("remove first then append")
            << QStringList{"a", "a", "a", "r1", "a"} << QStringList{"2", "3", "3"};
        QTest::newRow("remove middle then append")
            << QStringList{"a", "a", "a", "r2", "a"} << QStringList{"1", "3", "3"};
        QTest::newRow("clear restarts") << QStringList{"a", "a", "c", "a", "a", "a"} << QStringList{"1", "2", "3"};
        QTest::newRow("remove out of range") << QStringList{"a", "r0", "r2"} << QStringList{"1"};
    }
    void idNumbering()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        KeywordTable t;
        QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const QString &s : steps) {
            if (s == u"a")
                t.append(u"绿茶"_qs, u"http://a.example/"_qs);
            else if (s == u"c")
                t.clear();
            else
                t.remove(s.mid(1).toInt());
        }
        QCOMPARE(ids(t), expected);
    }

    void removalMovesRecordsUp()
    {
        KeywordTable t;
        t.append(u"A"_qs, u"1"_qs);
        t.append(u"B"_qs, u"2"_qs);
        t.append(u"C"_qs, u"3"_qs);
        QSignalSpy removed(&t, &QAbstractItemModel::rowsRemoved);
        t.remove(2);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(t.count(), 2);
        QCOMPARE(t.keyWord(2), u"C"_qs);
        QCOMPARE(t.link(2), u"3"_qs);
        QCOMPARE(t.index(1, KeywordTable::ColumnKeyWord).data().toString(), u"C"_qs);
    }

    void bulkAppendIsManyAppends()
    {
        KeywordTable t;
        QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
        t.append(u"x"_qs, QString());
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        t.append(QList<KeywordTable::Record>{{u"a"_qs, u"1"_qs}, {u"b"_qs, QString()}, {QString(), u"3"_qs}});
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(ids(t), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(t.keyWord(4), QString());
        QCOMPARE(t.link(4), u"3"_qs);
        t.append(QList<KeywordTable::Record>{});
        QCOMPARE(inserted.count(), 1);
    }

    void headers()
    {
        KeywordTable t;
        QCOMPARE(t.columnCount(), 3);
        QStringList h;
        for (int c = 0; c < t.columnCount(); ++c)
            h << t.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(h, (QStringList{"ID", "KeyWord", "Link"}));
    }
};

QTEST_GUILESS_MAIN(TestKeywordTable)
#include "tst_keywordtable.moc"
