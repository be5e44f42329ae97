// CSV files: fields and texts, each kind's bytes and their reading back, names and files.
#include "storage/CsvFieldReader.h"
#include "storage/CsvFiles.h"
#include "storage/CsvImporter.h"
#include "storage/CsvPaths.h"
#include "storage/CsvWriter.h"
#include "storage/StorageMessages.h"
#include "tests/support/QtPrinting.h"

#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr StoredKind E = StoredKind::ExternalProgram;
constexpr StoredKind M = StoredKind::PresetMemory;
constexpr StoredKind L = StoredKind::DataLog;

// An import as one line: the message, or the description (a log's with sampling
// and count), then rows; of a log its last four samples and the slot after them.
QString Read(StoredKind kind, const QByteArray& bytes, const char16_t* currFormat = u"0.0")
{
    const auto num = [](float value) { return QString::number(value, 'g', 7); };
    QStringList out;
    if (kind == E) {
        const Outcome<CsvImporter::EtpFile> file = CsvImporter::ImportEtp(bytes);
        if (!file)
            return file.error();
        out << file->description;
        for (const ProgramStep& s : file->steps) // output "-": unset
            out << s.step + ',' + s.voltage + ',' + s.current + ',' + s.minute + ',' + s.second
                    + ',' + (s.outputOn ? QString::number(*s.outputOn) : "-");
    } else if (kind == M) {
        const Outcome<CsvImporter::IpmFile> file = CsvImporter::ImportIpm(bytes, currFormat);
        if (!file)
            return file.error();
        out << file->description << QString::number(file->selected);
        for (const PresetRow& p : file->presets)
            out << p.preset + ',' + p.voltage + ',' + p.current;
    } else {
        const Outcome<CsvImporter::LogFile> file = CsvImporter::ImportLog(bytes);
        if (!file)
            return file.error();
        out << file->description.value_or("-")
            << (file->sampling ? QString::number(*file->sampling) : "-")
            << QString::number(file->count);
        for (int i = std::max(0, file->count - 4);
             i <= std::min(file->count, LogSamples::kCount - 1); ++i) {
            out << num(file->samples.volts[i]) + ',' + num(file->samples.amps[i]);
        }
    }
    return out.join('|');
}

// The bytes of a table's file, or the message when it has none.
QByteArray Bytes(const Outcome<QByteArray>& file)
{
    return file ? *file : file.error().toUtf8();
}

TEST(CsvFieldReaderTest, SplitsFieldsAtCommasAndEveryKindOfLineEnd)
{
    const std::pair<QByteArray, QStringList> cases[] = {
        { "a,b\r\nc\r\n", { "a", "b", "c" } },
        { "  a,\t b ,c", { "a", "b ", "c" } }, // leading blanks dropped
        { "\"x,y\",z", { "x,y", "z" } },
        { "\"x\r\ny\",z", { "x\r\ny", "z" } },
        { "\"q\"junk,z", { "q", "z" } }, // text after the closing quote
        { "a,\"open,end", { "a", "open,end" } },
        { "a,,b", { "a", "", "b" } },
        { "a\r\n\r\nb", { "a", "", "b" } },
        { "", {} },
        { "   ", { "" } },
    };
    for (const auto& [bytes, fields] : cases) {
        CsvFieldReader reader(CsvFieldReader::Decode(bytes));
        QStringList read;
        while (!reader.atEnd())
            read << reader.next();
        EXPECT_EQ(read, fields) << bytes.toStdString();
    }
}

// Exact bytes in any locale; read back with every line end, or a message naming the line.
TEST(CsvFormatTest, FilesHaveTheirBytesAndReadBackWithEveryLineEnd)
{
    LogSamples log; // 99 after the end mark: not part of this recording
    log.volts = { 12.5f, 0.1f, LogSamples::kNoReading, 1.234567f, LogSamples::kEndMark, 99.0f };
    log.amps = { 0.25f, 2.0f, LogSamples::kNoReading, 0.001f, LogSamples::kEndMark };
    LogSamples empty;
    empty.markEmpty();
    LogSamples full;
    full.volts.fill(5.0f);
    const QByteArray fullLog = CsvWriter::LogFile("full", full, 60);
    EXPECT_TRUE(fullLog.endsWith("\n107940,5000,0\r\n108000,5000,0\r\n"));
    const QByteArray etp = "Type:ETP\r\nDescription:d\r\n1,500,250,01,30,1\r\n";
    const QByteArray ipm = "Type:IPM\r\nDescription:d\r\n1,True,5000,1000\r\n";
    const QByteArray logHead = "Type:LOG\r\nDescription:d\r\n0,1,2\r\n3,4,5\r\n";
    const QByteArray junk = QByteArray("Time(S),xx,yy,zz,\"quoted, text\"\r\n").repeated(100000);
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case {
        StoredKind kind;
        QByteArray bytes;
        const char* read;
        QByteArray written = {}; // the writer's bytes, when they are these
        const char16_t* format = u"0.0";
    };
    const Case cases[] = {
        { E,
            "Type:ETP\r\nDescription:Pr\xFC"
            "f, 5 steps !\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),Output\r\n"
            "1,500,250,01,30,1\r\n2,12000,1150,10,00,0\r\n3,0.5,333.333333333333,59,59,1\r\n",
            "Prüf, 5 steps !|1,00.5,0.25,01,30,1|2,12.0,1.15,10,00,0|3,00.0,0.33,59,59,1",
            Bytes(CsvWriter::EtpFile(QString::fromUtf8("Prüf,\r\n5\rsteps\n!"),
                { { "1", "0.5", "0.25", "01", "30", true },
                    { "2", "12.0", "1.15", "10", "00", false },
                    { "3", "0.0005", "0.3333333333333333", "59", "59", true } })) },
        { M,
            "Type:IPM\r\nDescription:\x93"
            "Bench\x94 \x96 5\x80\x85 \x99 \x8Cuvre "
            "\x8E\xE1k\r\nPreset,Select,Voltage(mV),Current(mA)\r\n"
            "1,False,5000,1000\r\n2,True,12500,550\r\n3,False,0,0\r\n",
            "“Bench” – 5€… ™ Œuvre Žák|2|1,05.0,1.0|2,12.5,0.6|3,00.0,0.0",
            Bytes(CsvWriter::IpmFile(QString::fromUtf8("“Bench” – 5€… ™ Œuvre Žák"),
                { { "1", "05.0", "1.0" }, { "2", "12.5", "0.55" }, { "3", "0", "0" } }, 2)) },
        { M, ipm + "2,False,12500,550\r\n3,False,0,0\r\n",
            "d|1|1,05.0,1.00|2,12.5,0.55|3,00.0,0.00", {}, u"0.00" },
        { L,
            "Type:LOG\r\nDescription:Nacht-Lauf, 5 "
            "\xE4\x81\x8D\x8F\x90\x9D\r\nTime(S),Voltage(mV),Current(mA)\r\n"
            "0,12500,250\r\n3,100,2000\r\n6,-1000,-1000\r\n9,1234.567,1\r\n",
            "Nacht-Lauf, 5 "
            "ä\u0081\u008D\u008F\u0090\u009D|3|4|12.5,0.25|0.1,2|-1,-1|1.234567,0.001|-2,-2",
            CsvWriter::LogFile(
                QString::fromUtf8("Nacht-Lauf, 5 ä\u0081\u008D\u008F\u0090\u009D"), log, 3) },
        { L, "Type:LOG\r\nDescription:?? ?!\r\nTime(S),Voltage(mV),Current(mA)\r\n",
            "?? ?!|-|0|-2,-2",
            CsvWriter::LogFile(QString::fromUtf8("名前 😀!"), empty, 3) }, // not in the code page
        // UTF-8 when valid (after a byte order mark), else the code page.
        { L,
            "\xEF\xBB\xBFType:LOG\r\nDescription:Gr\xC3\xB6\xC3\x9F"
            "e\r\n",
            "Größe|-|0|-2,-2" },
        { L, "Type:LOG\r\nDescription:\xC3\xB6 \xE5\x90\r\n", "Ã¶ å\u0090|-|0|-2,-2" },
        { L, fullLog, "full|60|1801|5,0|5,0|5,0|5,0" },
        // The description line is taken whole, or empty when too short.
        { E, "Type:ETP,x\r\nDescription:a,3,500,250,01,30,1\r\n", "a,3,500,250,01,30,1" },
        { E, "Type:ETP\r\nDescription:\r\n4,,,,,\r\n", "|4,,,,,-" },
        { E, "Type:ETP\r\n\"Description:x,y\",z\r\n 1, \"500\",250,01,30,1\r\n",
            "x,y|1,00.5,0.25,01,30,1" },
        // The sampling is the second sample's time; a later description line wins.
        { L, "Type:LOG\r\nTime(S),Voltage(mV),Current(mA)\r\n0,1000,500\r\n", "-|-|1|1,0.5|-2,-2" },
        { L,
            "Type:LOG\r\nDescription:x\r\nTime(S),Voltage(mV),Current(mA)\r\n,,\r\n-3,V,A\r\n"
            "note\r\n0,1000,2000\r\n5,3000,4000\r\nDescription:later\r\n",
            "later|5|2|1,2|3,4|-2,-2" },
        { L, "Type:LOG\r\nDescription:big\r\n" + junk + "0,1000,1000\r\n", "big|-|1|1,1|-2,-2" },
        { E, "", "The file is empty." },
        { E, "Type:ETP\r\n", "The file ends after its first line." },
        { E, etp + "2,5,2", "Line 4: the file ends in the middle of step 2: fields are missing." },
        { E, etp + "21,5,2,1,3,1", "Line 4: step 21 is above 20: the table has 20 steps." },
        { E, etp + QByteArray("1,1,1,0,1,1\r\n").repeated(20),
            "Line 23: the file holds more than 20 steps." },
        { E, etp + "2,5x,2,1,3,1",
            "Line 4: the Voltage(mV) field '5x' of step 2 is not a number." },
        { E, etp + "\"note\r\nmore\"\r\n2,500,,01,30,1\r\n",
            "Line 6: the Current(mA) field '' of step 2 is not a number." },
        { E, etp + "2,500\n250,01,30,1\n3,x\n1,01,30,1",
            "Line 6: the Voltage(mV) field 'x' of step 3 is not a number." },
        { M, ipm + "2,False,5",
            "Line 4: the file ends in the middle of preset 2: fields are missing." },
        { M, ipm + QByteArray("2,False,1,1\r\n").repeated(3),
            "Line 6: the file holds more than 3 presets." },
        { M, ipm + "2,False,abc,1\r",
            "Line 4: the Voltage(mV) field 'abc' of preset 2 is not a number." },
        { L, "Type:LOG\r\n" + QByteArray("0,1,1\r\n").repeated(1802),
            "Line 1803: the file holds more than 1801 samples." },
        { L, logHead + "6,1000",
            "Line 5: the file ends in the middle of the sample at time 6: fields are missing." },
        { L, logHead + "6,abc,1\n",
            "Line 5: the Voltage(mV) field 'abc' of the sample at time 6 is not a number." },
        { L, logHead + "6,1e300,1", "Line 5: a value of the sample at time 6 is out of range." },
        { E, "Type:ETPX\r\n", "Sorry ! The file isn't a 'External Timed Program' table ." },
        { L, QByteArray("\x00\x01\xFF\xFE", 4), "Sorry ! The file isn't a 'Data Log' table ." },
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.written.isEmpty() || c.written == c.bytes) << c.written.toStdString();
        for (const char* end : { "\r\n", "\n", "\r" }) {
            EXPECT_EQ(Read(c.kind, QByteArray(c.bytes).replace("\r\n", end), c.format),
                QString::fromUtf8(c.read))
                << c.bytes.left(60).toStdString() << QByteArray(end).toHex().constData();
        }
    }
    // A cell that is no number or would break the layout fails the whole file.
    const QString nan = " of row 2 is not a number; nothing was written.";
    const QString breaks = " of row 2 holds a comma, quote or line break; nothing was written.";
    const std::pair<ProgramStep, QString> badCells[] = {
        { { "2", "abc", "0.5", "0", "1", {} }, "The Voltage 'abc'" + nan },
        { { "2", "inf", "0.5", "0", "1", {} }, "The Voltage 'inf'" + nan },
        { { "2", "1,5", "0.5", "0", "1", {} }, "The Voltage '1,5'" + breaks },
        { { "\"2", "1.0", "0.5", "0", "1", {} }, "The Step '\"2'" + breaks },
    };
    for (const auto& [step, message] : badCells) {
        const Outcome<QByteArray> file
            = CsvWriter::EtpFile("", { { "1", "1", "1", "0", "1", {} }, step });
        EXPECT_EQ(Bytes(file), message.toUtf8());
    }
    EXPECT_EQ(Bytes(CsvWriter::IpmFile("", { { "1", "1", "1" }, { "2", "x", "1" } }, 1)),
        "The Voltage 'x' of row 2 is not a number; nothing was written.");
    QLocale::setDefault(saved);
}

TEST(CsvFilesTest, NamesQuestionsAndFiles)
{
    // path, with the .csv extension | import base name (up to the first dot)
    const std::pair<QString, QString> paths[] = {
        { "C:\\data.old\\x", "C:\\data.old\\x.csv|x" },
        { "C:\\logs\\run.2.old", "C:\\logs\\run.csv|run" },
        { "/tmp/.hidden", "/tmp/.hidden.csv|" },
        { "/x/mixed\\sep.csv", "/x/mixed\\sep.csv|sep" },
        { "", ".csv|" },
    };
    for (const auto& [path, names] : paths)
        EXPECT_EQ(CsvPaths::WithCsvExtension(path) + '|' + CsvPaths::ImportBaseName(path), names);
    const QDateTime now(QDate(2026, 1, 5), QTime(9, 5, 7));
    const std::tuple<StoredKind, LogSource, const char*, std::optional<QString>> names[] = {
        { L, LogSource::Stored, "a/b\\c", QString("Log-a_b_c.csv") },
        { L, LogSource::None, "x", std::nullopt },
        { StoredKind::InternalProgram, LogSource::Live, "", std::nullopt },
    };
    for (const auto& [kind, source, stored, name] : names)
        EXPECT_EQ(CsvPaths::ProposedExportName(kind, source, now, stored), name) << stored;
    EXPECT_EQ(StorageMessages::FileAlreadyExist("C:\\x\\y.csv"),
        QString("File 'y.csv' already exist. Overwrte it ?"));
    // Files are read and written whole, or give messages.
    QTemporaryDir dir;
    const QString big = dir.filePath("big.csv");
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(CsvFiles::kMaxFileBytes + 1));
    const QString missing = dir.filePath("none.csv");
    const QString noFolder = dir.filePath("no/such/dir/x.csv");
    const std::pair<QString, QString> cases[] = {
        { CsvFiles::Read(missing).error(),
            "The file '" + missing + "' cannot be opened: No such file or directory" },
        { CsvFiles::Read(big).error(),
            "The file '" + big + "' is too large to be a table or log." },
        { CsvFiles::Write(noFolder, "x").error(),
            "The file '" + noFolder + "' cannot be written: " },
    };
    for (const auto& [error, message] : cases)
        EXPECT_TRUE(error.startsWith(message)) << error.toStdString();
    EXPECT_FALSE(CsvFiles::Read(dir.path())); // a folder
    // Writing replaces the whole file.
    EXPECT_TRUE(CsvFiles::Write(big, "x"));
    EXPECT_EQ(CsvFiles::Read(big).value(), QByteArray("x"));
}

} // namespace
