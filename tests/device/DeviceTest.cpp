#include "device/CommandSet.h"
#include "device/DeviceLink.h"
#include "device/PortMap.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CommandSet;

TEST(Device, EncodingsRepliesModelsExchangesAndPaths)
{
    const std::pair<QString, const char*> cases[] = { { EncodeVoltage(12.5), "125" },
        { EncodeVoltage(0.04), "000" }, { EncodeVoltage(100), "1000" },
        { EncodeCurrent(1.234, 100), "123" }, { EncodeCurrent(1.234, 10), "012" },
        { SoutParameter(true), "1" }, { SoutParameter(false), "0" },
        { PresetCode(12.5, 1.25, 100), "125125" }, { PresetCode(18, 10, 10), "180100" },
        { RunmParameter(2), "2" },
        // Limits round their halves as typed, in the supply's units.
        { EncodeLimit(2.55f, 10), "026" }, { EncodeLimit(2.54f, 10), "025" },
        { EncodeLimit(1.005f, 100), "101" },
        // Hundredths of an ampere in a reading are truncated exactly to the model's resolution.
        { CurrentFromHundredths(29, 100, "0.00"), "0.29" },
        { CurrentFromHundredths(29, 10, "0.0"), "0.2" },
        { CurrentFromHundredths(9999, 10, "0.0"), "99.9" },
        // "GETS" under ten characters gives "0.0" and the current format itself.
        { ParseGets("125050\rOK\r", 100, "0.00").volt, "12.5" },
        { ParseGets("125050\rOK\r", 100, "0.00").curr, "0.50" },
        { ParseGets("125050\rOK", 100, "0.00").volt + ParseGets("125050\rOK", 100, "0.00").curr,
            "0.00.00" },
        { ParseGetd("012501230\rOK\r", 100, "0.00").value().volt, "12.5" },
        { ParseGetd("012501231\rOK\r", 10, "0.0").value().curr, "1.2" },
        { ParseGetm("125050\r050050\r000000\rOK\r").value()[2], "000000" },
        { ModelCode("5812\rOK\r"), "5812" } };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, QString::fromLatin1(expected));
    const auto cv = ParseGetd("012501230\rOK\r", 100, "0.00").value();
    EXPECT_EQ(std::pair(cv.curr, cv.constantVoltage), std::pair(QStringLiteral("1.23"), true));
    EXPECT_FALSE(ParseGetd("012501231\rOK\r", 100, "0.00").value().constantVoltage);
    for (const QString& bad : QStringList { "OK", "", "012501230\rO", "012501230OK\r",
             "0125012300\rOK\r", "01a501230\rOK\r", "-12501230\rOK\r", "0125 1230\rOK\r",
             QString::fromLatin1(QByteArray("\x00\xff\x01OK", 5)), QString(100000, u'9') })
        EXPECT_FALSE(ParseGetd(bad, 100, "0.00").has_value()) << bad.left(20).toStdString();

    // "OK" is looked for where each reply layout has it; the port search looks anywhere.
    const QString binary = QString::fromLatin1(QByteArray("\x00\xff\x01OK", 5));
    const std::tuple<bool (*)(const QString&), QString, bool> replies[]
        = { { GmaxAcknowledged, "360510\rOK\r", true },
              { GmaxAcknowledged, "x360510\rOK\r", false }, { GmaxAcknowledged, binary, false },
              { ContainsOk, "x360510\rOK\r", true }, { ContainsOk, "", false },
              { SessAcknowledged, "OK\r", true }, { SessAcknowledged, "\rOK\r", false },
              { EndsAcknowledged, "\rOK\r", true }, { EndsAcknowledged, "OK\r", false },
              { SetAcknowledged, "OK\r", true }, { SetAcknowledged, "O", false },
              { GetmAcknowledged, "125125\r050050\r000000\rOK\r", true },
              { GetmAcknowledged, "125125\r050050\r000000\r", false },
              // A late reply to another command is no answer.
              { GmodAnswered, "5812\rOK\r", true }, { GmodAnswered, "1234\r", true },
              { GmodAnswered, "360510\rOK\r", false }, { GmodAnswered, "58", false },
              { GmodAnswered, "58a2\r", false } };
    for (const auto& [acknowledged, reply, ok] : replies)
        EXPECT_EQ(acknowledged(reply), ok) << reply.toStdString();

    // Hundredths go by a substring of "5812-5814-5914" (so "" and "14-5" too). Limits read digits
    // from the first character; one above the rating is a late reply to another command.
    const std::pair<const char*, int> models[] = { { "5810", 10 }, { "5812", 100 }, { "5914", 100 },
        { "", 100 }, { "1234", 10 }, { "14-5", 100 } };
    for (const auto& [code, scale] : models) {
        EXPECT_EQ(CurrScaleFor(code), scale) << code;
        EXPECT_EQ(CurrFormatFor(code), scale == 100 ? "0.00" : "0.0") << code;
    }
    EXPECT_EQ(RatingTitle("14-5"), "Rating: "); // the title goes by the whole code
    const float numbers[][2] = { { ParseGmax("360510\rOK\r", 100).maxVolt, 36.0f },
        { ParseGmax("360510\rOK\r", 100).maxCurr, 5.1f },
        { ParseGmax("360510\rOK\r", 10).maxCurr, 51.0f }, { ParseGmax("", 10).maxVolt, 0.0f },
        { ParseGmax(QString(100000, u'9'), 10).maxVolt, 99.9f },
        { ParseLimit("360\rOK\r", 10), 36.0f }, { ParseLimit("510\rOK\r", 100), 5.1f },
        { ParseLimit("OK", 10), 0.0f }, { ParseLimit(" 12", 10), 0.0f },
        { ParseLimitWithin("510\rOK\r", 100, 5.1f), 5.1f },
        { ParseLimitWithin("360\rOK\r", 10, 5.1f), 0.0f }, { PresetVoltFromCode("125050"), 12.5f },
        { PresetCurrFromCode("125050", 100), 0.5f }, { PresetCurrFromCode("125050", 10), 5.0f },
        { PresetVoltFromCode("12"), 0.0f }, { PresetCurrFromCode("12505", 100), 0.0f } };
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_FLOAT_EQ(numbers[i][0], numbers[i][1]) << "row " << i;
    EXPECT_FALSE(ParseGetm("125050\r050050\r000000\r\rOK").has_value());
    EXPECT_FALSE(ParseGetm(QString(100000, u'9')).has_value());

    // An exchange: four letters and CR, closed after the reply; no device: nothing; waiting data
    // is no reply.
    FakeClock clock;
    SimTransport transport { clock };
    transport.attachSupply(1);
    DeviceLink link { transport };
    const auto exchange = [&](int port, const char* cmd, const char* params = "") {
        link.setPortNumber(port);
        link.startExchange(cmd, params);
        return link.finishExchange();
    };
    // A braced list runs the exchanges in order.
    EXPECT_EQ(
        (QStringList { exchange(2, "GMAX"), exchange(1, "GMAX"), exchange(1, "VOLT", "125") }),
        (QStringList { "", "360510\rOK\r", "OK\r" }));
    EXPECT_EQ(std::tuple(link.isOpen(), transport.written(), transport.openCount(),
                  transport.closeCount()),
        std::tuple(false, QByteArray("GMAX\rVOLT125\r"), 2, 2));
    ASSERT_TRUE(transport.open());
    transport.write("GMAX\r");
    EXPECT_EQ(exchange(1, "SESS"), "OK\r");
    link.setTiming({ 150, 250, 0.5 }); // pauses scale with the timing
    EXPECT_EQ(link.delayMs(0.1), 50);

    // A ports folder entry wins, even one whose adapter is gone; else the usual device names.
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("Com3")));
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("Com5")));
    const std::pair<int, QString> paths[] = { { 1, "/dev/ttyUSB0" }, { 16, "/dev/ttyUSB15" },
        { 17, "/dev/ttyACM0" }, { 24, "/dev/ttyACM7" }, { 25, "/dev/ttyS0" }, { 32, "/dev/ttyS7" },
        { 0, "" }, { 33, "" }, { 3, dir.filePath("Com3") }, { 5, dir.filePath("Com5") } };
    for (const auto& [port, path] : paths)
        EXPECT_EQ(PortMap::DevicePath(port, dir.path()), path) << port;
    EXPECT_EQ(PortMap::DevicePath(3, {}), "/dev/ttyUSB2");
}
