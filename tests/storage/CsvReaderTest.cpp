#include "storage/CsvFieldReader.h"
#include "storage/CsvImporter.h"
#include "storage/CsvWriter.h"
#include "storage/StoredKind.h"
#include "storage/WesternCodePage.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList AllFields(const QByteArray& bytes)
{
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    QStringList fields;
    while (!reader.atEnd())
        fields << reader.next();
    return fields;
}

QByteArray WithLineEnds(QByteArray crlf, const char* end)
{
    return crlf.replace("\r\n", end);
}

TEST(CsvFieldReaderTest, SplitsFieldsAtCommasAndEveryKindOfLineEnd)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList fields;
    };
    const Case cases[] = {
        { "CR LF", "a,b\r\nc\r\n", { "a", "b", "c" } },
        { "LF", "a,b\nc\n", { "a", "b", "c" } },
        { "CR", "a,b\rc\r", { "a", "b", "c" } },
        { "no final line end", "a,b\r\nc", { "a", "b", "c" } },
        { "leading blanks dropped", "  a,\t b ,c", { "a", "b ", "c" } },
        { "quoted comma", "\"x,y\",z", { "x,y", "z" } },
        { "quoted line end", "\"x\r\ny\",z", { "x\r\ny", "z" } },
        { "text after the closing quote", "\"q\"junk,z", { "q", "z" } },
        { "unclosed quote", "a,\"open,end", { "a", "open,end" } },
        { "empty fields", "a,,b", { "a", "", "b" } },
        { "empty line", "a\r\n\r\nb", { "a", "", "b" } },
        { "empty file", "", {} },
        { "blank only", "   ", { "" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(AllFields(c.bytes), c.fields) << c.what;
}

TEST(CsvFieldReaderTest, ReadsUtf8WhenValidElseTheWesternCodePage)
{
    EXPECT_EQ(CsvFieldReader::Decode("Gr\xC3\xB6\xC3\x9F"
                                     "e"),
        QString::fromUtf8("Größe"));
    EXPECT_EQ(CsvFieldReader::Decode("Gr\xF6\xDF"
                                     "e"),
        QString::fromUtf8("Größe"));
    EXPECT_EQ(CsvFieldReader::Decode("\xEF\xBB\xBFType:LOG"), QString("Type:LOG"));
    EXPECT_EQ(CsvFieldReader::Decode("\xE5\x90\x8D"), QString::fromUtf8("名"));
    // A broken sequence means the file is not UTF-8 at all.
    EXPECT_EQ(
        CsvFieldReader::Decode("\xC3\xB6 \xE5\x90"), QString::fromLatin1("\xC3\xB6 \xE5\x90"));
    // Quotes, dashes and the euro sign of files written on earlier installations.
    EXPECT_EQ(CsvFieldReader::Decode("\x93Ramp\x94 \x96 5\x80"), QString::fromUtf8("“Ramp” – 5€"));
    // Every text the writer gives is read back as it was.
    const QString all = QString::fromUtf8("Größe “Ramp” – 5€… ™ Œuvre Žák");
    EXPECT_EQ(CsvFieldReader::Decode(WesternCodePage::Encode(all)), all);
    // The unused bytes stay one character each.
    EXPECT_EQ(CsvFieldReader::Decode("a\x81\x8D\x8F\x90\x9D").size(), 6);
}

TEST(CsvFieldReaderTest, NextAtTheEndGivesEmpty)
{
    CsvFieldReader reader(QStringLiteral("a"));
    EXPECT_EQ(reader.next(), QString("a"));
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.next(), QString());
}

const QByteArray kEtpFile = "Type:ETP\r\n"
                            "Description:Soak test\r\n"
                            "Preset,Voltage(mV),Current(mA),Minute(M),Second(S),Output\r\n"
                            "1,500,250,01,30,1\r\n"
                            "2,12000,1150,10,00,0\r\n";

TEST(CsvImporterTest, EtpReadsTheSameWhateverTheLineEnds)
{
    const std::vector<CsvImporter::EtpRow> expected {
        { "1", "00.5", "0.25", "01", "30", true, false },
        { "2", "12.0", "1.15", "10", "00", false, false },
    };
    for (const char* end : { "\r\n", "\n", "\r" }) {
        const CsvImporter::EtpImport import = CsvImporter::ImportEtp(WithLineEnds(kEtpFile, end));
        EXPECT_TRUE(import.ok()) << import.error.toStdString();
        EXPECT_EQ(import.description, QString("Soak test"));
        EXPECT_EQ(import.rows, expected);
    }
}

TEST(CsvImporterTest, EtpRoundTrip)
{
    const std::vector<CsvWriter::EtpRow> rows { { "1", "0.5", "0.25", "01", "30", true },
        { "2", "30.0", "5.00", "59", "59", false } };
    const CsvWriter::Output out = CsvWriter::EtpFile(QString::fromUtf8("Prüf, 5 steps"), rows);
    ASSERT_TRUE(out.ok());
    const CsvImporter::EtpImport import = CsvImporter::ImportEtp(out.bytes);
    EXPECT_TRUE(import.ok()) << import.error.toStdString();
    EXPECT_EQ(import.description, QString::fromUtf8("Prüf, 5 steps"));
    ASSERT_EQ(import.rows.size(), 2u);
    EXPECT_EQ(
        import.rows[0], (CsvImporter::EtpRow { "1", "00.5", "0.25", "01", "30", true, false }));
    EXPECT_EQ(
        import.rows[1], (CsvImporter::EtpRow { "2", "30.0", "5.00", "59", "59", false, false }));
}

TEST(CsvImporterTest, EtpQuirksOfTheLayout)
{
    // The description line is taken whole, whatever it holds.
    const CsvImporter::EtpImport whole
        = CsvImporter::ImportEtp("Type:ETP,x\r\nDescription:a,3,500,250,01,30,1\r\n");
    EXPECT_EQ(whole.description, QString("a,3,500,250,01,30,1"));
    EXPECT_TRUE(whole.rows.empty());
    // A row with an empty output field only shows its step number.
    const CsvImporter::EtpImport stepOnly
        = CsvImporter::ImportEtp("Type:ETP\r\nDescription:\r\n4,,,,,\r\n");
    ASSERT_EQ(stepOnly.rows.size(), 1u);
    EXPECT_EQ(stepOnly.rows[0], (CsvImporter::EtpRow { "4", "", "", "", "", false, true }));
    // Short description field: empty description.
    EXPECT_EQ(CsvImporter::ImportEtp("Type:ETP\r\nDescr\r\n").description, QString());
    // Quoted fields and blanks.
    const CsvImporter::EtpImport quoted = CsvImporter::ImportEtp(
        "Type:ETP\r\n\"Description:x,y\",z\r\n 1, \"500\",250,01,30,1\r\n");
    EXPECT_EQ(quoted.description, QString("x,y"));
    ASSERT_EQ(quoted.rows.size(), 1u);
    EXPECT_EQ(quoted.rows[0].voltage, QString("00.5"));
}

// A file broken anywhere gives no rows at all, only a message naming the line.
TEST(CsvImporterTest, BadInputNamesTheLineAndGivesNothing)
{
    struct Read {
        QString error;
        bool wrongKind = false;
        bool anything = false; // rows, a description, a selection or an interval
    };
    auto read = [](StoredKind kind, const QByteArray& bytes) -> Read {
        if (kind == StoredKind::ExternalProgram) {
            const CsvImporter::EtpImport i = CsvImporter::ImportEtp(bytes);
            return { i.error, i.wrongKind, !i.rows.empty() || !i.description.isEmpty() };
        }
        if (kind == StoredKind::PresetMemory) {
            const CsvImporter::IpmImport i = CsvImporter::ImportIpm(bytes, u"0.0");
            return { i.error, i.wrongKind,
                !i.rows.empty() || !i.description.isEmpty() || i.selected != 0 };
        }
        const CsvImporter::LogImport i = CsvImporter::ImportLog(bytes);
        return { i.error, i.wrongKind, i.count != 0 || i.description || i.sampling };
    };
    const QByteArray etp = "Type:ETP\r\nDescription:d\r\n1,500,250,01,30,1\r\n";
    const QByteArray ipm = "Type:IPM\r\nDescription:d\r\n1,True,5000,1000\r\n";
    const QByteArray log = "Type:LOG\r\nDescription:d\r\n0,1,2\r\n3,4,5\r\n";
    QByteArray twentyOne = etp;
    for (int i = 1; i < 21; ++i)
        twentyOne += "1,1000,100,00,01,1\r\n";
    QByteArray tooMany = "Type:LOG\r\n";
    for (int i = 0; i < 1802; ++i)
        tooMany += QByteArray::number(i) + ",1000,1000\r\n";
    constexpr StoredKind E = StoredKind::ExternalProgram;
    constexpr StoredKind M = StoredKind::PresetMemory;
    constexpr StoredKind L = StoredKind::DataLog;
    struct Case {
        const char* what;
        StoredKind kind;
        QByteArray bytes;
        const char* error;
    };
    const Case cases[] = {
        { "empty file", E, "", "The file is empty." },
        { "only the tag", E, "Type:ETP\r\n", "The file ends after its first line." },
        { "missing fields", E, etp + "2,500,250",
            "Line 4: the file ends in the middle of step 2: fields are missing." },
        { "step above 20", E, etp + "21,500,250,01,30,1\r\n",
            "Line 4: step 21 is above 20: the table has 20 steps." },
        { "more than 20 rows", E, twentyOne, "Line 23: the file holds more than 20 steps." },
        { "voltage not a number", E, etp + "2,5x,250,01,30,1\r\n",
            "Line 4: the Voltage(mV) field '5x' of step 2 is not a number." },
        { "after a quoted line end", E, etp + "\"note\r\nmore\"\r\n2,500,,01,30,1\r\n",
            "Line 6: the Current(mA) field '' of step 2 is not a number." },
        { "row split over two lines", E, etp + "2,500\n250,01,30,1\n3,x\n1,01,30,1",
            "Line 6: the Voltage(mV) field 'x' of step 3 is not a number." },
        { "missing preset fields", M, ipm + "2,False,5000",
            "Line 4: the file ends in the middle of preset 2: fields are missing." },
        { "more than 3 presets", M, ipm + "2,False,1,1\r\n3,False,1,1\r\n4,False,1,1\r\n",
            "Line 6: the file holds more than 3 presets." },
        { "preset letters", M, ipm + "2,False,abc,1\r",
            "Line 4: the Voltage(mV) field 'abc' of preset 2 is not a number." },
        { "empty log", L, "", "The file is empty." },
        { "more than 1801", L, tooMany, "Line 1803: the file holds more than 1801 samples." },
        { "missing current", L, log + "6,1000",
            "Line 5: the file ends in the middle of the sample at time 6: fields are missing." },
        { "log letters", L, log + "6,abc,1\n",
            "Line 5: the Voltage(mV) field 'abc' of the sample at time 6 is not a number." },
        { "out of range", L, log + "6,1e300,1\r\n",
            "Line 5: a value of the sample at time 6 is out of range." },
    };
    for (const Case& c : cases) {
        const Read r = read(c.kind, c.bytes);
        EXPECT_EQ(r.error, QString(c.error)) << c.what;
        EXPECT_FALSE(r.wrongKind) << c.what;
        EXPECT_FALSE(r.anything) << c.what;
    }
}

TEST(CsvImporterTest, WrongKindGivesTheSorryTextAndNothingElse)
{
    struct Case {
        const char* what;
        CsvImporter::Problem problem;
        const char* error;
    };
    const Case cases[] = {
        { "IPM file as ETP", CsvImporter::ImportEtp("Type:IPM\r\nDescription:x\r\n1,True,1,1\r\n"),
            "Sorry ! The file isn't a 'External Timed Program' table ." },
        { "LOG file as IPM", CsvImporter::ImportIpm("Type:LOG\r\n", u"0.0"),
            "Sorry ! The file isn't a 'Internal Preset Memory' table ." },
        { "ETP file as LOG", CsvImporter::ImportLog(kEtpFile),
            "Sorry ! The file isn't a 'Data Log' table ." },
        { "tag with extra text", CsvImporter::ImportEtp("Type:ETPX\r\n"),
            "Sorry ! The file isn't a 'External Timed Program' table ." },
        { "binary junk", CsvImporter::ImportLog(QByteArray("\x00\x01\xFF\xFE", 4)),
            "Sorry ! The file isn't a 'Data Log' table ." },
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.problem.wrongKind) << c.what;
        EXPECT_EQ(c.problem.error, QString(c.error)) << c.what;
    }
    EXPECT_TRUE(CsvImporter::ImportEtp("Type:IPM\r\n1,500,250,01,30,1\r\n").rows.empty());
}

TEST(CsvImporterTest, IpmRoundTripAndSelection)
{
    const CsvWriter::Output out = CsvWriter::IpmFile("three, one chosen",
        { { "1", false, "5", "1" }, { "2", true, "12.5", "0.55" }, { "3", false, "0", "0" } });
    ASSERT_TRUE(out.ok());
    for (const char* end : { "\r\n", "\n", "\r" }) {
        const CsvImporter::IpmImport import
            = CsvImporter::ImportIpm(WithLineEnds(out.bytes, end), u"0.0");
        EXPECT_TRUE(import.ok());
        EXPECT_EQ(import.description, QString("three, one chosen"));
        EXPECT_EQ(import.selected, 2);
        const std::vector<CsvImporter::IpmRow> expected { { "1", "05.0", "1.0" },
            { "2", "12.5", "0.6" }, { "3", "00.0", "0.0" } };
        EXPECT_EQ(import.rows, expected);
    }
    // A supply that sets hundredths of an ampere gets them back unchanged.
    const CsvImporter::IpmImport fine = CsvImporter::ImportIpm(out.bytes, u"0.00");
    const std::vector<CsvImporter::IpmRow> hundredths { { "1", "05.0", "1.00" },
        { "2", "12.5", "0.55" }, { "3", "00.0", "0.00" } };
    EXPECT_EQ(fine.rows, hundredths);
}

LogSamples FourSamples()
{
    LogSamples log;
    const float volts[] = { 12.5f, 12.25f, LogSamples::kNoReading, 0.001f };
    const float amps[] = { 1.5f, 0.125f, LogSamples::kNoReading, 9.999f };
    for (std::size_t i = 0; i < 4; ++i) {
        log.volts[i] = volts[i];
        log.amps[i] = amps[i];
    }
    log.markEmpty();
    log.volts[0] = volts[0];
    log.amps[0] = amps[0];
    log.volts[4] = LogSamples::kEndMark;
    log.amps[4] = LogSamples::kEndMark;
    return log;
}

TEST(CsvImporterTest, LogRoundTripWithEveryLineEnd)
{
    const LogSamples log = FourSamples();
    const QByteArray bytes = CsvWriter::LogFile(QString::fromUtf8("Nacht-Lauf, 5 ä"), log, 3);
    for (const char* end : { "\r\n", "\n", "\r" }) {
        const CsvImporter::LogImport import = CsvImporter::ImportLog(WithLineEnds(bytes, end));
        EXPECT_TRUE(import.ok()) << import.error.toStdString();
        EXPECT_EQ(import.count, 4);
        EXPECT_EQ(import.sampling, 3);
        EXPECT_EQ(import.description, QString::fromUtf8("Nacht-Lauf, 5 ä"));
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(import.samples.volts[i], log.volts[i]) << i;
            EXPECT_FLOAT_EQ(import.samples.amps[i], log.amps[i]) << i;
        }
        EXPECT_EQ(import.samples.volts[4], LogSamples::kEndMark);
        EXPECT_EQ(import.samples.amps[4], LogSamples::kEndMark);
    }
}

TEST(CsvImporterTest, LogWithOneSampleLeavesTheSamplingUnset)
{
    const CsvImporter::LogImport import
        = CsvImporter::ImportLog("Type:LOG\r\nTime(S),Voltage(mV),Current(mA)\r\n0,1000,500\r\n");
    EXPECT_TRUE(import.ok());
    EXPECT_EQ(import.count, 1);
    EXPECT_EQ(import.sampling, std::nullopt);
    EXPECT_EQ(import.description, std::nullopt);
    EXPECT_EQ(import.samples.volts[0], 1.0f);
    EXPECT_EQ(import.samples.volts[1], LogSamples::kEndMark);
}

TEST(CsvImporterTest, LogOf1801SamplesFillsEverySlot)
{
    LogSamples full;
    full.volts.fill(5.0f);
    full.amps.fill(0.5f);
    const CsvImporter::LogImport import = CsvImporter::ImportLog(CsvWriter::LogFile("", full, 60));
    EXPECT_TRUE(import.ok());
    EXPECT_EQ(import.count, 1801);
    EXPECT_EQ(import.sampling, 60);
    EXPECT_EQ(import.samples.volts, full.volts);
}

TEST(CsvImporterTest, LogSkipsFieldsThatAreNoSamples)
{
    const CsvImporter::LogImport import = CsvImporter::ImportLog(
        "Type:LOG\r\nDescription:x\r\nTime(S),Voltage(mV),Current(mA)\r\n,,\r\n-3,V,A\r\n"
        "note\r\n0,1000,2000\r\n5,3000,4000\r\nDescription:later\r\n");
    EXPECT_TRUE(import.ok());
    EXPECT_EQ(import.count, 2);
    EXPECT_EQ(import.sampling, 5);
    EXPECT_EQ(import.description, QString("later"));
    EXPECT_EQ(import.samples.amps[1], 4.0f);
}

TEST(CsvImporterTest, HugeFileOfJunkIsReadWithoutTrouble)
{
    QByteArray bytes = "Type:LOG\r\nDescription:big\r\n";
    const QByteArray junk = "Time(S),xx,yy,zz,\"quoted, text\"\r\n";
    bytes += junk.repeated(100000);
    bytes += "0,1000,1000\r\n";
    const CsvImporter::LogImport import = CsvImporter::ImportLog(bytes);
    EXPECT_TRUE(import.ok());
    EXPECT_EQ(import.count, 1);
}

} // namespace
