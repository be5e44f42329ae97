#include "core/Numbers.h"
#include "core/SignalPipe.h"
#include "tests/support/QtPrinting.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <memory>

using namespace Numbers;

TEST(Numbers, LeadingNumbersAndFormattedTexts)
{
    const std::pair<QString, double> cases[]
        = { { "", 0 }, { "abc", 0 }, { "12.5V", 12.5 }, { "  7", 7 }, { "-3", -3 }, { "+4", 4 },
              { "1.2.3", 1.2 }, { ".5", 0.5 }, { "-", 0 }, { "12,5", 12 }, { "0029", 29 },
              { "3 4", 3 }, { "\t9A", 9 }, { "V12", 0 }, { "360510\rOK", 360510 }, { "1e5", 1 },
              { ".", 0 }, { "-.5", -0.5 }, { QString(4000, u'9'), 0 } }; // beyond double: no number
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text.left(20).toStdString();
    EXPECT_GT(LeadingNumber(QString(300, u'9')), 1e298);

    // Pictures round half away from zero (singles on their seven-digit form); the shortest form
    // has up to 7 (15) digits, no trailing zeros; the comma fix touches only the first separator.
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::pair<QString, const char*> texts[] = { { FormatNumber(125, u"000"), "125" },
        { FormatNumber(0.4, u"000"), "000" }, { FormatNumber(1000, u"000"), "1000" },
        { FormatNumber(12.34, u"000"), "012" }, { FormatNumber(0.5, u"0"), "1" },
        { FormatNumber(-2.5, u"0"), "-3" }, { FormatNumber(5, u"00.0"), "05.0" },
        { FormatNumber(0.05, u"0.0"), "0.1" }, { FormatNumber(1.15, u"0.0"), "1.2" },
        { FormatNumber(1.005, u"0.00"), "1.01" }, { FormatNumber(99.99, u"00.0"), "100.0" },
        { FormatNumber(5, u"0.0V"), "5.0V" }, { FormatNumber(-0.04, u"0.0"), "0.0" },
        { FormatNumber(15.375, u"0.0"), "15.4" }, { FormatNumber(kNaN, u"0.0"), "0.0" },
        { FormatNumber(kInf, u"000"), "000" }, { FormatSingle(2.675f, u"0.00"), "2.68" },
        { FormatSingle(0.1f * 3, u"0.0"), "0.3" }, { FormatSingle(12.45f, u"0.0"), "12.5" },
        { ShortestForm(36.0f), "36" }, { ShortestForm(0.0f), "0" },
        { ShortestForm(12.5f - 0.1f), "12.4" }, { ShortestForm(123456789.0f), "123456800" },
        { ShortestForm(0.00001f), "0.00001" }, { ShortestForm(-3.5f), "-3.5" },
        { ShortestForm(0.1 * 3 * 1000, 15), "300" }, { ShortestForm(1234.5, 15), "1234.5" },
        { ShortestForm(-0.0, 15), "0" }, { ShortestForm(kInf, 15), "0" },
        { ShortestForm(1e16, 15), "10000000000000000" }, { FutComma("12,5"), "12.5" },
        { FutComma(",5"), ".5" }, { FutComma("1,2,3"), "1.2,3" }, { FutComma("1.2,3"), "1.2,3" },
        { FutComma(""), "" } };
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(texts[i].first, QString::fromLatin1(texts[i].second)) << "row " << i;
}

// Signals reach the loop in order; a second pipe is refused; with none, a signal ends the program.
TEST(SignalPipe, DeliversSignalsOnTheLoopAndRestoresTheDefault)
{
    auto pipe = std::make_unique<SignalPipe>(QList { SIGUSR1, SIGUSR2 });
    ASSERT_TRUE(pipe->isValid());
    EXPECT_FALSE(SignalPipe({ SIGUSR1 }).isValid());
    QSignalSpy received(pipe.get(), &SignalPipe::received);
    ASSERT_EQ(std::raise(SIGUSR2), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    EXPECT_TRUE(received.wait(5000));
    EXPECT_EQ(received, QList<QVariantList>({ { SIGUSR2 }, { SIGUSR1 } }));
    pipe.reset();
    for (const int number : { SIGUSR1, SIGUSR2 }) {
        struct sigaction now { };
        ASSERT_EQ(::sigaction(number, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << number;
    }
}
