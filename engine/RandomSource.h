#pragma once

#include <QtGlobal>

#include <array>
#include <functional>

// Where the engine's random record positions come from; tests put in their own.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A position in 1..n, every one equally likely. n >= 1.
    virtual qsizetype position(qsizetype n) = 0;
};

// xoshiro256** seeded once from the operating system. Before every draw the clock is mixed
// into the state (never put in its place): the pair draw makes up to 21 draws within one clock
// tick, and they must stay independent of each other.
class ClockStirredRandom final : public RandomSource
{
public:
    using Clock = std::function<quint64()>;

    ClockStirredRandom();
    ClockStirredRandom(const std::array<quint64, 4> &seed, Clock clock);

    qsizetype position(qsizetype n) override;

private:
    quint64 next();
    void stir();

    std::array<quint64, 4> m_state;
    Clock m_clock;
};
