#include "storage/CsvPaths.h"
#include "storage/CsvFiles.h"
#include "storage/StorageMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CsvPathsTest, CsvExtensionReplacesOnlyTheFileNamesExtension)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        { "/home/u/.config/run", "/home/u/.config/run.csv" },
        { "C:\\data.old\\x", "C:\\data.old\\x.csv" },
        { "/a.b/c.txt", "/a.b/c.csv" },
        { "/tmp/run.2.old", "/tmp/run.csv" },
        { "/tmp/log.csv", "/tmp/log.csv" },
        { "/tmp/x.", "/tmp/x.csv" },
        { "/tmp/.hidden", "/tmp/.hidden.csv" },
        { "/tmp/..x.y", "/tmp/..x.csv" },
        { "plain", "plain.csv" },
        { "", ".csv" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvPaths::WithCsvExtension(c.path), QString(c.expected)) << c.path;
}

TEST(CsvPathsTest, ImportBaseNameIsTheFileNameUpToItsFirstDot)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = { { "C:\\logs\\run.2.csv", "run" }, { "/home/u/.cache/log.csv", "log" },
        { "/x/mixed\\sep.csv", "sep" }, { "plain", "plain" }, { "/x/Größe.csv", "Größe" },
        { "/x/", "" } };
    for (const Case& c : cases)
        EXPECT_EQ(
            CsvPaths::ImportBaseName(QString::fromUtf8(c.path)), QString::fromUtf8(c.expected))
            << c.path;
}

TEST(CsvPathsTest, ProposedExportNames)
{
    const QDateTime now(QDate(2026, 1, 5), QTime(9, 5, 7));
    struct Case {
        StoredKind kind;
        LogSource source;
        const char* stored;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        { StoredKind::ExternalProgram, LogSource::Live, "", QString("ETP-A-0001.csv") },
        { StoredKind::PresetMemory, LogSource::None, "", QString("IPM-A-0001.csv") },
        { StoredKind::DataLog, LogSource::Live, "old", QString("Now-20260105-090507.csv") },
        { StoredKind::DataLog, LogSource::Stored, "night run", QString("Log-night run.csv") },
        { StoredKind::DataLog, LogSource::Stored, "a/b\\c", QString("Log-a_b_c.csv") },
        { StoredKind::DataLog, LogSource::None, "x", std::nullopt },
        { StoredKind::InternalProgram, LogSource::Live, "", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvPaths::ProposedExportName(c.kind, c.source, now, c.stored), c.expected);
}

// The questions name the file without its folder, and a log as a log.
TEST(CsvPathsTest, QuestionsNameTheFileAndTheKind)
{
    EXPECT_EQ(StorageMessages::FileAlreadyExist("/home/u/.data/ETP-A-0001.csv"),
        QString("File 'ETP-A-0001.csv' already exist. Overwrte it ?"));
    EXPECT_EQ(StorageMessages::FileAlreadyExist("C:\\x\\y.csv"),
        QString("File 'y.csv' already exist. Overwrte it ?"));
    EXPECT_EQ(StorageMessages::DeleteQuestion(StoredKind::DataLog, "run"),
        QString("Are you sure to delete th Log 'run' ?"));
}

TEST(CsvFilesTest, FilesAreReadAndWrittenWholeOrGiveMessages)
{
    QTemporaryDir dir;
    const QString big = QDir(dir.path()).filePath("big.csv");
    QFile file(big);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(CsvFiles::kMaxFileBytes + 1));
    file.close();
    const QString missing = QDir(dir.path()).filePath("none.csv");
    const QString noFolder = QDir(dir.path()).filePath("no/such/dir/x.csv");
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
    // Writing gives the same bytes back, and writing again replaces the whole file.
    const QString path = QDir(dir.path()).filePath("t.csv");
    EXPECT_TRUE(CsvFiles::Write(path, "Type:LOG\r\n\xE9\r\n"));
    EXPECT_EQ(CsvFiles::Read(path).value(), QByteArray("Type:LOG\r\n\xE9\r\n"));
    EXPECT_TRUE(CsvFiles::Write(path, "x"));
    EXPECT_EQ(CsvFiles::Read(path).value(), QByteArray("x"));
}

} // namespace
