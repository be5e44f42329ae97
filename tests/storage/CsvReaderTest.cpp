#include "storage/CsvFieldReader.h"
#include "storage/CsvImporter.h"
#include "storage/CsvWriter.h"
#include "storage/StoredKind.h"
#include "storage/WesternCodePage.h"
#include "tests/support/QtPrinting.h"

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
    CsvFieldReader reader(QStringLiteral("a"));
    EXPECT_EQ(reader.next(), QString("a"));
    EXPECT_EQ(reader.next(), QString()); // past the end
}

// Files are read as UTF-8 when valid, else in the western code page the
// writer uses (quotes, dashes and the euro sign of earlier installations);
// what the code page lacks is written as a question mark.
TEST(CsvFieldReaderTest, TextsInUtf8AndTheWesternCodePage)
{
    enum Way { Both, ReadOnly, WriteOnly };
    const struct {
        const char* text; // UTF-8
        QByteArray bytes;
        Way way;
    } cases[] = {
        { "Größe 5µA", "Gr\xF6\xDF\x65 5\xB5\x41", Both },
        { "“Ramp” – 5€… ™ Œuvre Žák", "\x93Ramp\x94 \x96 5\x80\x85 \x99 \x8Cuvre \x8E\xE1k", Both },
        { "Größe", "Gr\xC3\xB6\xC3\x9F\x65", ReadOnly },
        { "Type:LOG", "\xEF\xBB\xBFType:LOG", ReadOnly },
        { "名", "\xE5\x90\x8D", ReadOnly },
        // A broken sequence means the file is not UTF-8 at all.
        { "Ã¶ å\xC2\x90", "\xC3\xB6 \xE5\x90", ReadOnly },
        { "名前 😀!", "?? ?!", WriteOnly },
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        if (c.way != WriteOnly) {
            EXPECT_EQ(CsvFieldReader::Decode(c.bytes), text) << c.text;
        }
        if (c.way != ReadOnly) {
            EXPECT_EQ(WesternCodePage::Encode(text), c.bytes) << c.text;
        }
    }
    // The unused bytes stay one character each.
    EXPECT_EQ(CsvFieldReader::Decode("a\x81\x8D\x8F\x90\x9D").size(), 6);
}

// The description line is taken whole, whatever it holds, or empty when too
// short; a row with an empty output field only shows its step number; quotes
// and leading blanks are read past.
TEST(CsvImporterTest, EtpQuirksOfTheLayout)
{
    const struct {
        QByteArray bytes;
        const char* description;
        std::vector<ProgramStep> steps;
    } cases[] = {
        { "Type:ETP,x\r\nDescription:a,3,500,250,01,30,1\r\n", "a,3,500,250,01,30,1", {} },
        { "Type:ETP\r\nDescription:\r\n4,,,,,\r\n", "", { { "4", "", "", "", "", std::nullopt } } },
        { "Type:ETP\r\nDescr\r\n", "", {} },
        { "Type:ETP\r\n\"Description:x,y\",z\r\n 1, \"500\",250,01,30,1\r\n", "x,y",
            { { "1", "00.5", "0.25", "01", "30", true } } },
    };
    for (const auto& c : cases) {
        const Outcome<CsvImporter::EtpFile> read = CsvImporter::ImportEtp(c.bytes);
        ASSERT_TRUE(read) << c.description;
        EXPECT_EQ(read->description, QString(c.description));
        EXPECT_EQ(read->steps, c.steps) << c.description;
    }
}

// A file broken anywhere gives only a message naming the line.
TEST(CsvImporterTest, BadInputNamesTheLineAndGivesNothing)
{
    auto error = [](StoredKind kind, const QByteArray& bytes) {
        if (kind == StoredKind::ExternalProgram)
            return CsvImporter::ImportEtp(bytes).error();
        if (kind == StoredKind::PresetMemory)
            return CsvImporter::ImportIpm(bytes, u"0.0").error();
        return CsvImporter::ImportLog(bytes).error();
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
    for (const Case& c : cases)
        EXPECT_EQ(error(c.kind, c.bytes), QString(c.error)) << c.what;
}

TEST(CsvImporterTest, WrongKindGivesTheSorryTextAndNothingElse)
{
    struct Case {
        const char* what;
        QString error;
        const char* message;
    };
    const Case cases[] = {
        { "IPM file as ETP",
            CsvImporter::ImportEtp("Type:IPM\r\nDescription:x\r\n1,True,1,1\r\n").error(),
            "Sorry ! The file isn't a 'External Timed Program' table ." },
        { "LOG file as IPM", CsvImporter::ImportIpm("Type:LOG\r\n", u"0.0").error(),
            "Sorry ! The file isn't a 'Internal Preset Memory' table ." },
        { "ETP file as LOG",
            CsvImporter::ImportLog("Type:ETP\r\nDescription:x\r\n1,500,250,01,30,1\r\n").error(),
            "Sorry ! The file isn't a 'Data Log' table ." },
        { "tag with extra text", CsvImporter::ImportEtp("Type:ETPX\r\n").error(),
            "Sorry ! The file isn't a 'External Timed Program' table ." },
        { "binary junk", CsvImporter::ImportLog(QByteArray("\x00\x01\xFF\xFE", 4)).error(),
            "Sorry ! The file isn't a 'Data Log' table ." },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.error, QString(c.message)) << c.what;
}

// The sampling is the time of the second sample; fields that are no sample
// are passed over, and a later description line wins.
TEST(CsvImporterTest, LogCountSamplingAndDescription)
{
    LogSamples full;
    full.volts.fill(5.0f);
    full.amps.fill(0.5f);
    // A full log writes 1801 samples, the last 1800 intervals old.
    EXPECT_TRUE(
        CsvWriter::LogFile("", full, 60).endsWith("\n107940,5000,500\r\n108000,5000,500\r\n"));
    struct Case {
        QByteArray bytes;
        int count;
        std::optional<int> sampling;
        std::optional<QString> description;
        float lastVolts;
    };
    const Case cases[] = {
        { "Type:LOG\r\nTime(S),Voltage(mV),Current(mA)\r\n0,1000,500\r\n", 1, std::nullopt,
            std::nullopt, 1.0f },
        { CsvWriter::LogFile("full", full, 60), 1801, 60, "full", 5.0f },
        { "Type:LOG\r\nDescription:x\r\nTime(S),Voltage(mV),Current(mA)\r\n,,\r\n-3,V,A\r\n"
          "note\r\n0,1000,2000\r\n5,3000,4000\r\nDescription:later\r\n",
            2, 5, "later", 3.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const Outcome<CsvImporter::LogFile> import = CsvImporter::ImportLog(c.bytes);
        ASSERT_TRUE(import);
        EXPECT_EQ(import->count, c.count);
        EXPECT_EQ(import->sampling, c.sampling);
        EXPECT_EQ(import->description, c.description);
        const auto last = static_cast<std::size_t>(c.count - 1);
        EXPECT_EQ(import->samples.volts[last], c.lastVolts);
        if (c.count < LogSamples::kCount) {
            EXPECT_EQ(import->samples.volts[last + 1], LogSamples::kEndMark);
        }
    }
}

TEST(CsvImporterTest, HugeFileOfJunkIsReadWithoutTrouble)
{
    QByteArray bytes = "Type:LOG\r\nDescription:big\r\n";
    const QByteArray junk = "Time(S),xx,yy,zz,\"quoted, text\"\r\n";
    bytes += junk.repeated(100000);
    bytes += "0,1000,1000\r\n";
    const Outcome<CsvImporter::LogFile> import = CsvImporter::ImportLog(bytes);
    ASSERT_TRUE(import);
    EXPECT_EQ(import->count, 1);
}

} // namespace
