// Small helpers the test programs share: the fixtures, file bytes in and out, GBK by Qt's own converter, and a text
// with its allowed positions shown.
#pragma once

#include <QFile>
#include <QStringEncoder>
#include <QTest>

// Converted by Qt's own converter, not by the code under test.
inline QByteArray gbk(const QString &text)
{
    return QStringEncoder("GBK").encode(text);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// The fixtures; the unprivileged run reads a copy of them.
inline QString testData(const QString &name)
{
    return qEnvironmentVariable("VELOMAR_TEST_DATA", QStringLiteral(VELOMAR_TEST_DATA)) + u'/' + name;
}

// The text with "|" at each allowed position (Placement::Ranges; Nearest is found by the argument's type).
template <typename Ranges> QString shown(QStringView text, const Ranges &allowed)
{
    QString out;
    for (qsizetype p = 0; p <= text.size(); ++p)
        out += (Nearest(allowed, p) == p ? "|" : "") + text.sliced(p, p < text.size() ? 1 : 0).toString();
    return out;
}
