#include "simulation.h"

#include "register_packing.h"

namespace board {

namespace {

constexpr int kDash = 241; // the "F" pattern that marks unused digits

int P(int v) { return segmentPattern(v); }

} // namespace

int SimulationIo::read(const std::vector<std::uint8_t>* v, int i)
{
    return v && i >= 0 && static_cast<std::size_t>(i) < v->size() ? (*v)[static_cast<std::size_t>(i)] : 0;
}

void SimulationIo::write(std::vector<std::uint8_t>* v, int i, int value)
{
    if (v && i >= 0 && static_cast<std::size_t>(i) < v->size())
        (*v)[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
}

int SimulationIo::nibble(int first) const
{
    int v = 0;
    for (int b = 0; b < 4; ++b)
        v |= (s(first + b) & 1) << b;
    return v;
}

void SimulationIo::setRedBits(int first, int value)
{
    for (int b = 0; b < 4; ++b)
        setRed(first + b, (value >> b) & 1);
}

void SimulationIo::setGreenBits(int first, int value)
{
    for (int b = 0; b < 4; ++b)
        setGreen(first + b, (value >> b) & 1);
}

Experiment experimentFor(const QString& id)
{
    if (id == QLatin1String("KVTRM1502"))
        return Experiment::BusRegisterShifter;
    if (id == QLatin1String("PLQWXNRDF1502"))
        return Experiment::AdderA;
    if (id == QLatin1String("RFKQSVNBT1512"))
        return Experiment::AdderB;
    if (id == QLatin1String("GZMWTH1708"))
        return Experiment::CounterShifterRegisterBus;
    return Experiment::None;
}

void stepBusRegisterShifter(BusRegisterShifterState& st, SimulationIo& io)
{
    const int x = io.nibble(4), y = io.nibble(13), w = io.nibble(9);
    const int selector = (io.s(8) & 1) + 2 * (io.s(17) & 1);
    int z = 0;
    switch (selector) {
    case 1: z = x; break;
    case 2: z = y; break;
    case 3: z = x & y; break;
    default: z = 0; break;
    }
    io.setGreenBits(4, z);
    io.setDigit(0, P(z));

    const int k1 = io.k(1);
    const bool edge = k1 > st.previousK1;
    st.previousK1 = k1;
    if (io.k(0) != 1) {
        st.reg = 0;
        st.shifter = 0;
    } else if (edge) {
        if (io.s(0) & 1)
            st.reg = w;
        if (io.s(1) & 1)
            st.shifter = w;
        else if (io.s(2) & 1)
            st.shifter = (w * 2) & 0x0F;
        else if (io.s(3) & 1)
            st.shifter = w >> 1;
    }

    io.setRedBits(0, st.reg);
    io.setDigit(4, P(st.reg));
    io.setRedBits(9, st.shifter);
    io.setDigit(6, P(st.shifter));
    io.setRedBits(4, x);
    io.setRedBits(13, y);
    io.setRed(8, io.s(8));
    io.setRed(17, io.s(17));
    for (int k = 0; k < 4; ++k)
        io.setGreen(k, io.k(k));
    io.setGreen(8, io.k(0) ^ 1);
    for (int d : {1, 2, 3, 5, 7})
        io.setDigit(d, kDash);
}

void stepAdder(bool variantB, SimulationIo& io)
{
    const int a = io.nibble(4), b = io.nibble(0);
    const int c = ((io.s(12) & io.s(8)) | io.s(11)) & 1;
    const int s9 = io.s(9) & 1, s10 = io.s(10) & 1;
    int q = 0;
    if (s9 && !s10)
        q = b;
    else if (!s9 && s10)
        q = variantB ? ~b : ~0;
    else if (s9 && s10)
        q = variantB ? ~0 : ~b;
    q &= 0x0F; // only the low four bits take part in the 4-bit sum
    const int t = a + q + c;
    const int result = t & 0x0F;
    const int t3 = (t >> 3) & 1;
    const int a3 = (a >> 3) & 1, q3 = (q >> 3) & 1;

    io.setDigit(0, P(result));
    io.setDigit(4, P(q));
    io.setDigit(6, P(a));
    io.setGreen(0, t3);
    io.setGreen(1, a3 == q3 && t3 != a3 ? 1 : 0);
    io.setGreen(2, result == 0 ? 1 : 0);
    io.setGreen(3, t3);
    io.setGreen(8, c);
    for (int d : {1, 2, 3, 5, 7})
        io.setDigit(d, kDash);
}

void stepCounterShifterRegisterBus(CounterShifterState& st, SimulationIo& io)
{
    if (!st.started) {
        st.started = true;
        st.previousK1 = io.keyIdleLevel;
    }
    const int k1 = io.k(1);
    const bool edge = k1 > st.previousK1;
    st.previousK1 = k1;

    if (io.k(0) != io.keyIdleLevel) {
        st.counter = st.shift = st.regA = 0;
    } else if (edge) {
        const int v = io.nibble(7);
        if (io.s(12) & 1)
            st.regA = v;
        switch ((io.s(4) & 1) + 2 * (io.s(5) & 1)) {
        case 3: st.shift = v; break;
        case 2: st.shift = (st.shift * 2) & 0x0F; break;
        case 1: st.shift >>= 1; break;
        default: break;
        }
        if (io.s(2) & 1)
            st.counter = v;
        else if (io.s(1) & 1)
            st.counter = (st.counter + 1) & 0x0F;
    }

    int bus = 0x0F;
    bool any = false;
    if (io.s(0) & 1) {
        bus &= st.counter;
        any = true;
    }
    if (io.s(3) & 1) {
        bus &= st.shift;
        any = true;
    }
    if (io.s(11) & 1) {
        bus &= st.regA;
        any = true;
    }
    if (!any)
        bus = 0;

    io.setRedBits(0, st.counter);
    io.setRedBits(4, st.shift);
    io.setRedBits(8, st.regA);
    io.setRedBits(12, bus);
    io.setDigit(0, P(bus));
    io.setGreen(0, io.k(0) ^ io.keyIdleLevel);
    for (int k = 1; k < 4; ++k)
        io.setGreen(k, io.k(k));
    for (int d = 1; d < 8; ++d)
        io.setDigit(d, kDash);
}

} // namespace board
