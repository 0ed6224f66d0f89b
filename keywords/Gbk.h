#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

// The one place that knows code page 936 (GBK). Everything inside the program is QString;
// files, network answers and the skin library's arguments cross this boundary.
namespace Gbk {

// False when the platform lacks a GBK converter (Qt built without ICU); nothing else works then.
bool available();

// Exactly as code page 936 writes it: the euro sign is the single byte 0x80 and a character
// GBK has no code for becomes "?" (one byte).
QByteArray encode(QStringView text);

// For the program's files: like encode(), but a character that GBK cannot hold and give back is
// written in its GB18030 form instead of "?", so that nothing is lost: a character GBK lacks, or
// one of the private-use characters whose GBK code GB18030 gives to a real character. Every other
// character has the same bytes as in encode().
QByteArray encodeLossless(QStringView text);

// Whole-buffer decoding. It reads back everything encodeLossless() writes: the GB18030 forms, and
// the double-byte codes that GB18030 gives to real characters (GBK alone reads private use there).
QString decode(QByteArrayView bytes);

// Per UTF-16 unit: bytes in GBK, and whether it counts as a Chinese character (its GBK form is
// two bytes, or one byte above 127 such as the euro sign's 0x80). A surrogate pair is one unencodable character: one
// byte.
struct Counts
{
    qint64 chinese = 0;
    qint64 bytes = 0;
};
Counts count(QStringView text);

// Decodes a byte stream that arrives in pieces: a character split between two pieces comes
// out whole once its last byte has arrived.
class Decoder
{
public:
    Decoder();
    QString decode(QByteArrayView piece);
    // Whatever is left of an incomplete character at the end of the stream, as U+FFFD.
    QString finish();

private:
    QByteArray m_pending;
    QStringDecoder m_gbk;
    QStringDecoder m_gb18030;
};

} // namespace Gbk
