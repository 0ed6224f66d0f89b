#include "KeywordRotation.h"

#include <algorithm>

void KeywordRotation::restart()
{
    m_queue.clear();
    m_count = -1;
}

void KeywordRotation::appendCycle(qsizetype count, RandomSource &random)
{
    // Fisher–Yates over 1..count with the engine's own uniform positions.
    const qsizetype start = m_queue.size();
    for (qsizetype i = 1; i <= count; ++i)
        m_queue.append(i);
    for (qsizetype k = count; k >= 2; --k)
        std::swap(m_queue[start + k - 1], m_queue[start + random.position(k) - 1]);
    if (m_linked) {
        QList<qint64> linked(count + 1);
        for (qsizetype p = 1; p <= count; ++p)
            linked[p] = m_linked(p);
        std::stable_sort(m_queue.begin() + start, m_queue.end(),
                         [&](qsizetype a, qsizetype b) { return linked[a] < linked[b]; });
    }
}

void KeywordRotation::setLinked(std::function<qint64(qsizetype)> linked)
{
    m_linked = std::move(linked);
}

qsizetype KeywordRotation::next(qsizetype count, quint64 revision, RandomSource &random,
                                const std::function<bool(qsizetype)> &acceptable)
{
    Q_ASSERT(count >= 1);
    if (count != m_count || revision != m_revision) {
        restart();
        m_count = count;
        m_revision = revision;
    }
    if (m_queue.isEmpty())
        appendCycle(count, random);
    auto pick = [&] { return acceptable ? std::find_if(m_queue.begin(), m_queue.end(), acceptable) : m_queue.begin(); };
    auto found = pick();
    if (found == m_queue.end()) {
        // What is left of this cycle may not come now: it all has a link that already came, so
        // every distinct link has had its turn. A new cycle starts.
        m_queue.clear();
        appendCycle(count, random);
        found = pick();
        if (found == m_queue.end())
            found = m_queue.begin(); // no record makes another link
    }
    const qsizetype position = *found;
    m_queue.erase(found);
    return position;
}

QList<qsizetype> KeywordRotation::ranks(qsizetype count) const
{
    QList<qsizetype> out(count + 1);
    for (qsizetype p = 1; p <= count; ++p)
        out[p] = m_queue.size() + p;
    if (count == m_count) {
        for (qsizetype k = 0; k < m_queue.size(); ++k)
            out[m_queue[k]] = k;
    }
    return out;
}

void KeywordRotation::take(qsizetype position)
{
    m_queue.removeOne(position);
}

void KeywordRotation::putBack(const QList<qsizetype> &positions)
{
    for (qsizetype k = positions.size() - 1; k >= 0; --k) {
        if (positions[k] >= 1 && positions[k] <= m_count && !m_queue.contains(positions[k]))
            m_queue.prepend(positions[k]);
    }
}
