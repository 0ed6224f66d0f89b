#pragma once

#include "RandomSource.h"

#include <QList>

#include <functional>

// Hands out record positions in shuffled cycles, so that every record of the table comes up once
// before any comes up again. A change to the table starts a new cycle.
class KeywordRotation
{
public:
    // The next position of the cycle for a table of count records at the given revision. A position
    // that `acceptable` refuses is passed over and stays in the cycle for a later draw. When none
    // left in the cycle is acceptable (the linker refuses records whose links equal one drawn
    // before), a new cycle starts, and only when no record at all is acceptable is its first one
    // taken anyway.
    qsizetype next(qsizetype count, quint64 revision, RandomSource &random,
                   const std::function<bool(qsizetype)> &acceptable = {});
    void restart();
    // How many links each position (1..count) has had before, as a ledger keeps them: each new
    // cycle then starts with the least-linked records (shuffled among equals), so the spread stays
    // even across sessions and batches. None: every cycle is a plain shuffle.
    void setLinked(std::function<qint64(qsizetype position)> linked);

    // For each position 1..count (index 0 unused), its place in what is left of the cycle, 0 for
    // the next; a position the cycle no longer holds (any, before a cycle) comes after all of them,
    // in table order.
    QList<qsizetype> ranks(qsizetype count) const;
    // Takes a position out of the cycle, as if drawn; one the cycle does not hold stays out.
    void take(qsizetype position);
    // Gives drawn positions back, to come next in the order given.
    void putBack(const QList<qsizetype> &positions);

private:
    void appendCycle(qsizetype count, RandomSource &random);

    QList<qsizetype> m_queue; // positions still to come, the next first
    std::function<qint64(qsizetype)> m_linked;
    qsizetype m_count = -1;
    quint64 m_revision = 0;
};
