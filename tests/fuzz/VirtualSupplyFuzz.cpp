#include "sim/VirtualSupply.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

class StillClock : public Clock {
public:
    qint64 monotonicMs() const override { return 0; }
    QDateTime now() const override { return {}; }
};

} // namespace

// The stand-in supply takes any bytes without crashing and keeps its
// set-points within its limits and its limits within its rating.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const StillClock clock;
    VirtualSupply supply(clock);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& line : bytes.split('\r'))
        supply.answer(line);
    if (supply.setVoltDigits() > supply.voltLimitDigits()
        || supply.setCurrDigits() > supply.currLimitDigits())
        __builtin_trap();
    return 0;
}
