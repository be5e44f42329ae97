#include "core/Numbers.h"
#include "device/CommandSet.h"

#include <QString>
#include <cstddef>
#include <cstdint>

// Every reply reader must take any bytes without crashing or misbehaving.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString reply
        = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    using namespace CommandSet;
    for (const int scale : { 10, 100 }) {
        const QString format = scale == 100 ? QStringLiteral("0.00") : QStringLiteral("0.0");
        ParseGmax(reply, scale);
        ParseLimit(reply, scale);
        ParseGets(reply, scale, format);
        if (const auto r = ParseGetd(reply, scale, format)) {
            // A counted reading is always a short, plain number.
            if (r->volt.size() > 6 || r->curr.size() > 6)
                __builtin_trap();
        }
        if (const auto codes = ParseGetm(reply)) {
            for (const QString& code : *codes) {
                PresetVoltFromCode(code);
                PresetCurrFromCode(code, scale);
            }
        }
    }
    GmaxAcknowledged(reply);
    SessAcknowledged(reply);
    EndsAcknowledged(reply);
    SetAcknowledged(reply);
    ContainsOk(reply);
    ModelCode(reply);
    CurrScaleFor(reply.left(4));
    RatingTitle(reply.left(4));
    const double value = Numbers::LeadingNumber(reply);
    Numbers::FormatNumber(value, u"0.00");
    Numbers::FormatNumber(value, reply.left(8));
    Numbers::ShortestForm(static_cast<float>(value));
    Numbers::FutComma(reply);
    return 0;
}
