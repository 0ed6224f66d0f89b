#include "RandomSource.h"

#include <QRandomGenerator>

#include <chrono>

namespace {

quint64 rotl(quint64 x, int k)
{
    return (x << k) | (x >> (64 - k));
}

quint64 splitMix64(quint64 x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

quint64 nowNanoseconds()
{
    return quint64(std::chrono::steady_clock::now().time_since_epoch().count());
}

} // namespace

ClockStirredRandom::ClockStirredRandom() : m_clock(nowNanoseconds)
{
    do {
        QRandomGenerator::system()->fillRange(m_state.data(), m_state.size());
    } while (m_state[0] == 0 && m_state[1] == 0 && m_state[2] == 0 && m_state[3] == 0);
}

ClockStirredRandom::ClockStirredRandom(const std::array<quint64, 4> &seed, Clock clock)
    : m_state(seed), m_clock(std::move(clock))
{
    if (m_state == std::array<quint64, 4>{})
        m_state[0] = 1; // xoshiro's one forbidden state
}

quint64 ClockStirredRandom::next()
{
    const quint64 result = rotl(m_state[1] * 5, 7) * 9;
    const quint64 t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotl(m_state[3], 45);
    return result;
}

void ClockStirredRandom::stir()
{
    m_state[0] ^= splitMix64(m_clock());
    if (m_state == std::array<quint64, 4>{})
        m_state[0] = 1; // xoshiro must never be all zero
}

qsizetype ClockStirredRandom::position(qsizetype n)
{
    Q_ASSERT(n >= 1);
    stir();
    // floor(r * n) with r = x / 2^64, rejecting the few x that would favour low positions.
    const auto range = quint64(n);
    unsigned __int128 m = (unsigned __int128)next() * range;
    auto low = quint64(m);
    if (low < range) {
        const quint64 threshold = (0 - range) % range;
        while (low < threshold) {
            m = (unsigned __int128)next() * range;
            low = quint64(m);
        }
    }
    return qsizetype(m >> 64) + 1;
}
