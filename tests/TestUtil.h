// Small helpers the test programs share: file bytes in and out, and GBK by Qt's own converter.
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
