#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// How many links each record has put into articles, in the window and in batches. A record is its keyword and its
// link together, not its place in a table: the same pair in another list, or after the table was sorted, counts on.
//
// The file, Ledger.txt in the per-user data folder, is UTF-8 (a byte-order mark is accepted, none is written) with one
// record a line, each ended by LF (CR LF is read too), in the order the pairs were first counted:
//     count|keyword|link
// The count is a positive decimal number. Inside the keyword and the link a backslash, a bar and the line breaks are
// written \\, \|, \n and \r; any other backslash is an error. Empty lines are skipped, and a pair on two lines adds up.
//
// Anything else makes the whole file damaged: it is set aside as Ledger.txt.damaged-<yyyyMMdd-HHmmss>, kept whole for
// the user, and the ledger starts empty. Half a ledger read from a damaged file would pass for the whole one and be
// saved over it, so none of it is taken.
class LinkLedger
{
public:
    struct Entry
    {
        QString keyWord;
        QString link;
        qint64 count = 0;
        bool operator==(const Entry &) const = default;
    };

    // Ledger.txt in the per-user data folder (ProgramFiles' UserDataFolder); empty when there is none.
    static QString defaultPath();
    // Always a usable ledger: empty when the file is missing, cannot be read or is damaged. A file that exists but
    // cannot be read or parsed is renamed aside first (setAside() says where).
    static LinkLedger load(const QString &path);

    // n more links for the pair; n below 1 adds nothing, and a count stops at the largest qint64.
    void add(const QString &keyWord, const QString &link, qint64 n = 1);
    qint64 count(const QString &keyWord, const QString &link) const;
    qsizetype size() const { return m_entries.size(); }
    // Largest count first; equal counts by keyword, then link (in UTF-16 order).
    QList<Entry> entries() const;
    void clear();

    // Replaces the file in one step (StoredFile::write). False when nothing was written; whyNot then learns the reason
    // in words for the user.
    bool save(const QString &path, QString *whyNot = nullptr) const;
    // For a spreadsheet: UTF-8 with a byte-order mark, the header 关键字,链接,次数, the entries in entries()' order, CR
    // LF line ends, and a field holding a comma, a quote or a line break in quotes, its quotes doubled (RFC 4180).
    QByteArray csv() const;

    // Where load() put a damaged file; empty when it put none aside.
    const QString &setAside() const { return m_setAside; }

private:
    // In the order the pairs were first counted, which the file keeps: saving needs no sort, and a ledger saved again
    // is the same file.
    QList<Entry> m_entries;
    // Where each pair is in m_entries: open addressing by the pair's hash, a slot holding an index plus one, or 0 when
    // free, at most half of them in use. A QHash would keep its own copy of both strings in a node of its own and
    // take more than twice as long to fill at load.
    std::vector<quint32> m_index;
    QString m_setAside;

    // The slot that holds the pair, or the free one where it goes.
    size_t slotOf(const QString &keyWord, const QString &link) const;
    // Room for n pairs in the index.
    void reserve(qsizetype n);
};
