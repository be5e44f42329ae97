#include "storage/CsvWriter.h"
#include "storage/CsvImporter.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// The bytes of a table's file, or the message when it has none.
QByteArray Bytes(const Outcome<QByteArray>& file)
{
    return file ? *file : file.error().toUtf8();
}

QByteArray WithLineEnds(QByteArray crlf, const char* end)
{
    return crlf.replace("\r\n", end);
}

// Each kind's file has the exact bytes, and reads back as it was written with
// every kind of line end, in the grid's formats.
TEST(CsvFormatTest, EachKindHasItsBytesAndReadsBackWithEveryLineEnd)
{
    const char* ends[] = { "\r\n", "\n", "\r" };
    const QByteArray etp = Bytes(CsvWriter::EtpFile(QString::fromUtf8("Prüf, 5 steps"),
        { { "1", "0.5", "0.25", "01", "30", true }, { "2", "12.0", "1.15", "10", "00", false },
            { "3", "00.5", "5.00", "59", "59", true } }));
    EXPECT_EQ(etp,
        QByteArray("Type:ETP\r\n"
                   "Description:Pr\xFC"
                   "f, 5 steps\r\n"
                   "Preset,Voltage(mV),Current(mA),Minute(M),Second(S),Output\r\n"
                   "1,500,250,01,30,1\r\n"
                   "2,12000,1150,10,00,0\r\n"
                   "3,500,5000,59,59,1\r\n"));
    const std::vector<ProgramStep> steps { { "1", "00.5", "0.25", "01", "30", true },
        { "2", "12.0", "1.15", "10", "00", false }, { "3", "00.5", "5.00", "59", "59", true } };
    for (const char* end : ends) {
        const Outcome<CsvImporter::EtpFile> read = CsvImporter::ImportEtp(WithLineEnds(etp, end));
        ASSERT_TRUE(read) << read.error().toStdString();
        EXPECT_EQ(read->description, QString::fromUtf8("Prüf, 5 steps"));
        EXPECT_EQ(read->steps, steps);
    }

    const QByteArray ipm = Bytes(CsvWriter::IpmFile(
        "Bench, left", { { "1", "05.0", "1.0" }, { "2", "12.5", "0.55" }, { "3", "0", "0" } }, 2));
    EXPECT_EQ(ipm,
        QByteArray("Type:IPM\r\n"
                   "Description:Bench, left\r\n"
                   "Preset,Select,Voltage(mV),Current(mA)\r\n"
                   "1,False,5000,1000\r\n"
                   "2,True,12500,550\r\n"
                   "3,False,0,0\r\n"));
    // Read in the supply's current format: tenths round, hundredths come back.
    const std::pair<const char16_t*, std::vector<PresetRow>> formats[] = {
        { u"0.0", { { "1", "05.0", "1.0" }, { "2", "12.5", "0.6" }, { "3", "00.0", "0.0" } } },
        { u"0.00", { { "1", "05.0", "1.00" }, { "2", "12.5", "0.55" }, { "3", "00.0", "0.00" } } },
    };
    for (const char* end : ends) {
        for (const auto& [format, presets] : formats) {
            const Outcome<CsvImporter::IpmFile> read
                = CsvImporter::ImportIpm(WithLineEnds(ipm, end), format);
            ASSERT_TRUE(read);
            EXPECT_EQ(read->description, QString("Bench, left"));
            EXPECT_EQ(read->selected, 2);
            EXPECT_EQ(read->presets, presets);
        }
    }

    LogSamples log;
    log.volts = {};
    const float volts[] = { 12.5f, 0.1f, LogSamples::kNoReading, 1.234567f };
    const float amps[] = { 0.25f, 2.0f, LogSamples::kNoReading, 0.001f };
    for (std::size_t i = 0; i < 4; ++i) {
        log.volts[i] = volts[i];
        log.amps[i] = amps[i];
    }
    log.volts[4] = LogSamples::kEndMark;
    log.amps[4] = LogSamples::kEndMark;
    log.volts[5] = 99.0f; // after the end mark: not part of this recording
    const QByteArray logFile = CsvWriter::LogFile(QString::fromUtf8("Nacht-Lauf, 5 ä"), log, 3);
    EXPECT_EQ(logFile,
        QByteArray("Type:LOG\r\n"
                   "Description:Nacht-Lauf, 5 \xE4\r\n"
                   "Time(S),Voltage(mV),Current(mA)\r\n"
                   "0,12500,250\r\n"
                   "3,100,2000\r\n"
                   "6,-1000,-1000\r\n"
                   "9,1234.567,1\r\n"));
    for (const char* end : ends) {
        const Outcome<CsvImporter::LogFile> read
            = CsvImporter::ImportLog(WithLineEnds(logFile, end));
        ASSERT_TRUE(read) << read.error().toStdString();
        EXPECT_EQ(read->count, 4);
        EXPECT_EQ(read->sampling, 3);
        EXPECT_EQ(read->description, QString::fromUtf8("Nacht-Lauf, 5 ä"));
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(read->samples.volts[i], log.volts[i]) << i;
            EXPECT_FLOAT_EQ(read->samples.amps[i], log.amps[i]) << i;
        }
        EXPECT_EQ(read->samples.volts[4], LogSamples::kEndMark);
        EXPECT_EQ(read->samples.amps[4], LogSamples::kEndMark);
    }
    LogSamples empty;
    empty.markEmpty();
    EXPECT_EQ(CsvWriter::LogFile("", empty, 3),
        QByteArray("Type:LOG\r\nDescription:\r\nTime(S),Voltage(mV),Current(mA)\r\n"));
}

TEST(CsvWriterTest, GridValuesUseUpTo15SignificantDigits)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = { { 0.5, "500" }, { 0.25, "250" }, { 12.0, "12000" }, { 1.15, "1150" },
        { 0.1 + 0.2, "300" }, { 0.0001, "0.1" }, { -1.0, "-1000" }, { 0.0, "0" }, { -0.0, "0" },
        { 1.0 / 3.0, "333.333333333333" }, { 9999.0, "9999000" },
        { 123456.789012345678, "123456789.012346" }, { 1e-9, "0.000001" },
        { 2.5e12, "2500000000000000" } };
    for (const Case& c : cases)
        EXPECT_EQ(CsvWriter::GridThousandths(c.value), QString(c.text)) << c.value;
}

TEST(CsvWriterTest, LogValuesUseSinglePrecisionWithUpTo7Digits)
{
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = { { 12.5f, "12500" }, { 0.1f, "100" }, { -1.0f, "-1000" }, { 0.0f, "0" },
        { 1.234567f, "1234.567" }, { 30.01f, "30010" }, { 0.0005f, "0.5" } };
    for (const Case& c : cases)
        EXPECT_EQ(CsvWriter::LogThousandths(c.value), QString(c.text)) << c.value;
}

TEST(CsvWriterTest, NumbersIgnoreTheUsersLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Outcome<QByteArray> out
        = CsvWriter::EtpFile("", { { "1", "0.0005", "1.5", "00", "01", false } });
    QLocale::setDefault(saved);
    EXPECT_TRUE(Bytes(out).endsWith("1,0.5,1500,00,01,0\r\n")) << Bytes(out).toStdString();
}

TEST(CsvWriterTest, LineBreaksInTheDescriptionStayOnItsLine)
{
    const QByteArray bytes = Bytes(CsvWriter::EtpFile(
        "a\r\n3,500,250,01,30,1\nb\rc", { { "1", "1", "1", "00", "01", true } }));
    EXPECT_EQ(bytes.count("\r\n"), 4);
    EXPECT_TRUE(bytes.contains("Description:a 3,500,250,01,30,1 b c\r\n"));
}

TEST(CsvWriterTest, BadCellsFailTheWholeFileWithAMessage)
{
    struct Case {
        const char* what;
        ProgramStep step;
        const char* message;
    };
    const Case cases[] = {
        { "letters", { "2", "abc", "0.5", "00", "01", true },
            "The Voltage 'abc' of row 2 is not a number; nothing was written." },
        { "empty current", { "2", "1.0", "", "00", "01", true },
            "The Current '' of row 2 is not a number; nothing was written." },
        { "decimal comma", { "2", "1,5", "0.5", "00", "01", true },
            "The Voltage '1,5' of row 2 holds a comma, quote or line break; nothing was written." },
        { "comma in minute", { "2", "1.0", "0.5", "0,1", "01", true },
            "The Minute '0,1' of row 2 holds a comma, quote or line break; nothing was written." },
        { "quote in step", { "\"2", "1.0", "0.5", "00", "01", true },
            "The Step '\"2' of row 2 holds a comma, quote or line break; nothing was written." },
        { "not finite", { "2", "inf", "0.5", "00", "01", true },
            "The Voltage 'inf' of row 2 is not a number; nothing was written." },
    };
    for (const Case& c : cases) {
        const Outcome<QByteArray> out
            = CsvWriter::EtpFile("", { { "1", "1.0", "0.5", "00", "01", true }, c.step });
        EXPECT_FALSE(out) << c.what;
        EXPECT_EQ(out.error(), QString(c.message)) << c.what;
    }
    const Outcome<QByteArray> ipm = CsvWriter::IpmFile("", { { "1", "x", "1" } }, 1);
    EXPECT_FALSE(ipm);
    EXPECT_EQ(
        ipm.error(), QString("The Voltage 'x' of row 1 is not a number; nothing was written."));
}

} // namespace
