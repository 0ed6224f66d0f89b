#include "KeywordMatcher.h"

#include "KeywordTable.h"
#include "Placement.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <numeric>

namespace {
constexpr quint8 FirstIsWord = 1, LastIsWord = 2;

bool asciiAlphanumeric(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Nodes are indexed by 32-bit integers: the distinct keywords together hold fewer units than that.
constexpr qsizetype MaxNodes = std::numeric_limits<qint32>::max();
} // namespace

KeywordMatcher::KeywordMatcher(const KeywordTable &table)
{
    qsizetype units = 0;
    for (qsizetype i = 1; i <= table.count(); ++i)
        units += table.keyWord(i).size();
    if (units == 0)
        return;
    // The hash holds at most one child for each keyword, and stays at most half full.
    const qsizetype slots = std::bit_ceil(quint64(table.count()) * 2);
    m_edges.assign(slots, {});
    m_shift = 64 - std::countr_zero(quint64(slots));
    m_root.assign(0x10000, 0);
    m_nodes.reserve(std::min(units + 1, MaxNodes));
    m_nodes.emplace_back();
    std::vector<qint32> parents{0}; // while building: each node's parent and the unit that leads to it
    std::vector<char16_t> units16{0};

    for (qsizetype i = 1; i <= table.count(); ++i) {
        const QString &keyWord = table.keyWord(i);
        if (keyWord.isEmpty() || qsizetype(m_nodes.size()) + keyWord.size() > MaxNodes)
            continue;
        qint32 node = 0;
        for (const QChar c : keyWord) {
            qint32 next = node == 0 ? m_root[c.unicode()] : child(node, c.unicode());
            if (next <= 0) {
                next = qint32(m_nodes.size());
                m_nodes.emplace_back();
                parents.push_back(node);
                units16.push_back(c.unicode());
                if (node == 0) {
                    m_root[c.unicode()] = next;
                } else if (next == node + 1) { // made right after its parent, which has no other child yet
                    m_nodes[node].follower = c.unicode();
                } else {
                    m_edges[slot(node, c.unicode())] = {node, next, c.unicode()};
                    ++m_nodes[node].hashed;
                }
            }
            node = next;
        }
        if (m_nodes[node].keyword < 0) {
            m_nodes[node].keyword = qint32(m_keywords.size());
            m_keywords.append(keyWord);
            m_records.emplace_back();
            m_shapes.push_back(
                {keyWord.size(), quint8((asciiAlphanumeric(keyWord.front().unicode()) ? FirstIsWord : 0) |
                                        (asciiAlphanumeric(keyWord.back().unicode()) ? LastIsWord : 0))});
        }
        m_records[m_nodes[node].keyword].append(i);
    }

    // Only a longer occurrence that overlaps another can end after it, so the occurrences that decide
    // whether one is taken end less than the sum of the distinct lengths after it.
    std::vector<qsizetype> lengths;
    for (const Shape &shape : m_shapes)
        lengths.push_back(shape.length);
    std::sort(lengths.begin(), lengths.end());
    m_reach = std::accumulate(lengths.begin(), std::unique(lengths.begin(), lengths.end()), qsizetype(0));

    // Failure links in order of depth, so that every shallower node has its link first. A node is
    // made after its parent, so one pass in order of the indexes gives the depths.
    qint32 maxDepth = 0;
    for (size_t v = 1; v < m_nodes.size(); ++v)
        maxDepth = std::max(maxDepth, m_nodes[v].depth = m_nodes[parents[v]].depth + 1);
    std::vector<qint32> firstOfDepth(maxDepth + 2, 0), order;
    for (size_t v = 1; v < m_nodes.size(); ++v)
        ++firstOfDepth[m_nodes[v].depth + 1];
    for (qint32 d = 1; d <= maxDepth + 1; ++d)
        firstOfDepth[d] += firstOfDepth[d - 1];
    order.resize(m_nodes.size() - 1);
    for (size_t v = 1; v < m_nodes.size(); ++v)
        order[firstOfDepth[m_nodes[v].depth]++] = qint32(v);
    for (const qint32 v : order) {
        Node &node = m_nodes[v];
        if (parents[v] != 0) {
            qint32 f = m_nodes[parents[v]].fail, next;
            while ((next = f == 0 ? m_root[units16[v]] : child(f, units16[v])) < 0)
                f = m_nodes[f].fail;
            node.fail = next;
        }
        const Node &fail = m_nodes[node.fail];
        node.next = fail.keyword >= 0 ? node.fail : fail.next;
    }
}

qsizetype KeywordMatcher::slot(qint32 node, char16_t unit) const
{
    const quint64 key = (quint64(node) << 16 | unit) * 0x9E3779B97F4A7C15ULL;
    const qsizetype mask = qsizetype(m_edges.size()) - 1;
    for (qsizetype s = qsizetype(key >> m_shift);; s = (s + 1) & mask) {
        const Edge &e = m_edges[s];
        if (e.node < 0 || (e.node == node && e.unit == unit))
            return s;
    }
}

qint32 KeywordMatcher::child(qint32 node, char16_t unit) const
{
    if (m_nodes[node].follower == unit)
        return node + 1;
    if (m_nodes[node].hashed == 0)
        return -1;
    const Edge &e = m_edges[slot(node, unit)];
    return e.node < 0 ? -1 : e.child;
}

QList<KeywordMatcher::Match> KeywordMatcher::find(QStringView text, const Allowed &allowed) const
{
    QList<Match> out;
    if (m_keywords.isEmpty())
        return out;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    auto splits = [&](qsizetype p) { return p > 0 && p < size && Placement::SplitsPair(units[p - 1], units[p]); };
    auto word = [&](qsizetype p) { return p >= 0 && p < size && asciiAlphanumeric(units[p]); };

    // The occurrences that the rules and `allowed` let stand gather in order of their ends, and the
    // overlaps among them are settled once none still to come can overlap them. An occurrence's fate
    // depends only on those that end less than m_reach after it (only a longer one that overlaps it
    // ends after it), so when many gather in a text where they keep overlapping, those that end that
    // far back are settled for good, and the others again later.
    std::vector<Match> pending;
    std::vector<qsizetype> order;
    std::vector<bool> covered, taken;
    auto settle = [&](qsizetype cut) {
        if (pending.size() == 1) { // most often
            out.append(pending.front());
            pending.clear();
            return;
        }
        // Longest first, of equal lengths the first in the text (a stable sort by length keeps the
        // order of the ends, that is of the starts). Every occurrence taken before one of length L is
        // at least L long, so it overlaps that one only by covering its first or its last unit.
        qsizetype first = pending.front().start;
        for (const Match &m : pending)
            first = std::min(first, m.start);
        order.resize(pending.size());
        std::iota(order.begin(), order.end(), 0);
        auto longer = [&](qsizetype a, qsizetype b) { return pending[a].length > pending[b].length; };
        if (order.size() > 8) {
            std::stable_sort(order.begin(), order.end(), longer);
        } else { // an insertion sort, without the merge sort's buffer
            for (size_t i = 1; i < order.size(); ++i) {
                for (size_t j = i; j > 0 && longer(order[j], order[j - 1]); --j)
                    std::swap(order[j], order[j - 1]);
            }
        }
        covered.assign(pending.back().start + pending.back().length - first, false);
        taken.assign(pending.size(), false);
        for (const qsizetype i : order) {
            const Match &m = pending[i];
            const auto from = covered.begin() + (m.start - first);
            if (!from[0] && !from[m.length - 1]) {
                std::fill_n(from, m.length, true);
                taken[i] = true;
            }
        }
        // Those taken do not overlap, so the order of their ends is that of their starts. One that
        // overlaps an occurrence taken for good is never taken.
        size_t done = 0;
        qsizetype barrier = 0;
        for (; done < pending.size() && pending[done].start + pending[done].length <= cut; ++done) {
            if (taken[done]) {
                out.append(pending[done]);
                barrier = pending[done].start + pending[done].length;
            }
        }
        pending.erase(pending.begin(), pending.begin() + done);
        std::erase_if(pending, [&](const Match &m) { return m.start < barrier; });
    };

    qint32 state = 0;
    size_t gather = Gather;
    for (qsizetype end = 1; end <= size; ++end) {
        // Every occurrence still to come starts at or after end - 1 - the state's depth.
        if (!pending.empty() && pending.back().start + pending.back().length <= end - 1 - m_nodes[state].depth)
            settle(size);
        const char16_t c = units[end - 1];
        qint32 next = 0;
        while (state != 0 && (next = child(state, c)) < 0)
            state = m_nodes[state].fail;
        state = state == 0 ? m_root[c] : next;
        for (qint32 n = m_nodes[state].keyword >= 0 ? state : m_nodes[state].next; n != 0; n = m_nodes[n].next) {
            const qint32 k = m_nodes[n].keyword;
            const Shape &shape = m_shapes[k];
            const qsizetype start = end - shape.length;
            if (((shape.wordEnds & FirstIsWord) && word(start - 1)) || ((shape.wordEnds & LastIsWord) && word(end)) ||
                splits(start) || splits(end) || (allowed && !allowed(start, shape.length)))
                continue;
            pending.push_back({start, shape.length, k});
        }
        if (pending.size() >= gather) {
            settle(end - m_reach);
            gather = std::max(size_t(Gather), 2 * pending.size());
        }
    }
    if (!pending.empty())
        settle(size);
    return out;
}
