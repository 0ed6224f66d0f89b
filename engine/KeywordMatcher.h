#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

class KeywordTable;

// Finds the keywords of a list in a text in one pass. Built once per change of the list; immutable
// afterwards, so one instance may be shared between threads (std::shared_ptr<const KeywordMatcher>).
//
// Matching is exact and case-sensitive on the UTF-16 text. A keyword whose first (last) character is
// an ASCII letter or digit is found only where the text's character before (after) it is not one,
// so that a Latin word is not found inside a longer word; a Chinese keyword is found anywhere. No
// occurrence starts or ends between the CR and the LF of a line break or between the halves of a
// surrogate pair. Where occurrences overlap the longest wins: they are taken longest first (of equal
// lengths the one that starts first), each skipped when it overlaps one already taken.
//
// An Aho–Corasick automaton over UTF-16 units, with failure links and links to the nearest keyword
// on the failure chain. A keyword's units after the point where it leaves the keywords before it
// become nodes one after the other, so each node holds the unit that leads to the next node; the
// root's children are in a table of all 65,536 units, and the few others (at most one for each
// keyword) in an open-addressing hash of (node, unit). That is 24 bytes for each unit of the
// distinct keywords, up to 48 for each keyword, and 256 KB for the root's table. The distinct
// keywords together may hold up to 2^31 - 2 units; a keyword that would go past that is left out.
class KeywordMatcher
{
public:
    struct Match
    {
        qsizetype start = 0;
        qsizetype length = 0;
        qsizetype keyword = 0; // an index into keywords()
        bool operator==(const Match &) const = default;
    };
    // How many occurrences that keep overlapping one another gather before the overlaps among the
    // first of them are settled, which keeps the memory of find() small in a text such as 哈哈哈…
    static constexpr qsizetype Gather = 4096;
    // Whether an occurrence at start, length units long, may be taken.
    using Allowed = std::function<bool(qsizetype start, qsizetype length)>;

    KeywordMatcher() = default; // matches nothing
    // The table's keywords, positions 1..count().
    explicit KeywordMatcher(const KeywordTable &table);

    // The distinct non-empty keywords, in the order of their first record.
    const QStringList &keywords() const { return m_keywords; }
    // The table positions, ascending, of the records with keyword `keyword`.
    const QList<qsizetype> &records(qsizetype keyword) const { return m_records.at(keyword); }

    // The occurrences that do not overlap, in text order. `allowed`, when given, is asked of each
    // candidate occurrence first, and one it refuses is as if it were not there. Takes time in
    // proportion to the text and the candidates (with a logarithm for runs of them that overlap).
    QList<Match> find(QStringView text, const Allowed &allowed = {}) const;

private:
    struct Node
    {
        qint32 fail = 0;      // the longest proper suffix that is a node
        qint32 keyword = -1;  // the keyword that ends here, or -1
        qint32 next = 0;      // the nearest node with a keyword on the failure chain, or 0 (the root)
        qint32 follower = -1; // the unit that leads to the child node + 1, or -1
        qint32 hashed = 0;    // the children in m_edges
        qint32 depth = 0;     // the length of the text it stands for
    };
    struct Edge
    {
        qint32 node = -1; // -1: an empty slot
        qint32 child = 0;
        char16_t unit = 0;
    };
    struct Shape
    {
        qsizetype length = 0;
        quint8 wordEnds = 0; // 1: its first, 2: its last character is an ASCII letter or digit
    };

    qint32 child(qint32 node, char16_t unit) const; // or -1
    qsizetype slot(qint32 node, char16_t unit) const;

    QStringList m_keywords;
    QList<QList<qsizetype>> m_records;
    std::vector<Shape> m_shapes; // per keyword
    qsizetype m_reach = 0;       // the sum of the keywords' distinct lengths
    std::vector<Node> m_nodes;
    std::vector<qint32> m_root; // the root's child for each unit, or 0
    std::vector<Edge> m_edges;  // the other children; a power of two in size
    int m_shift = 64;           // 64 - log2(m_edges.size())
};
