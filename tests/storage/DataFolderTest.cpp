#include "storage/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DataFolderTest, ChoosesOverrideThenProgramFolderThenAppData)
{
    struct Case {
        const char* what;
        DataFolder::Facts facts;
        QString expected;
    };
    const Case cases[] = {
        { "override wins", { "/data", "/prog", true, true, "/app" }, "/data" },
        { "database beside the program", { "", "/prog", true, false, "/app" }, "/prog" },
        { "writable program folder", { "", "/prog", false, true, "/app" }, "/prog" },
        { "read-only program folder", { "", "/prog", false, false, "/app" }, "/app" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataFolder::Choose(c.facts), c.expected) << c.what;
}

// The chosen folder, or the message after "error: ".
QString Text(const Outcome<QString>& folder)
{
    return folder ? *folder : "error: " + folder.error();
}

TEST(DataFolderTest, ReadsTheDataDirOption)
{
    const QString noFolder = "error: The option --data-dir needs a folder after it.";
    struct Case {
        QStringList arguments;
        QString folder;
    };
    const Case cases[] = {
        { { "ovolta-panel" }, "" },
        { { "ovolta-panel", "--data-dir", "/d x" }, "/d x" },
        { { "ovolta-panel", "--data-dir=/e" }, "/e" },
        { { "ovolta-panel", "--other", "--data-dir", "/f" }, "/f" },
        // Relative to the folder the program was started in.
        { { "ovolta-panel", "--data-dir", "d/../e" }, QDir::currentPath() + "/e" },
        { { "ovolta-panel", "--data-dir" }, noFolder },
        { { "ovolta-panel", "--data-dir", "" }, noFolder },
        { { "ovolta-panel", "--data-dir=" }, noFolder },
        // The program's own name is not an option.
        { { "--data-dir" }, "" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(DataFolder::OverrideFromArguments(c.arguments)), c.folder)
            << c.arguments.join(' ').toStdString();
    }
}

TEST(DataFolderTest, ResolveCreatesTheChosenFolder)
{
    QTemporaryDir dir;
    const QString wanted = QDir(dir.path()).filePath("a/b");
    EXPECT_EQ(Text(DataFolder::Resolve({ "ovolta-panel", "--data-dir", wanted }, dir.path(),
                  QDir(dir.path()).filePath("app"))),
        wanted);
    EXPECT_TRUE(QFileInfo(wanted).isDir());
}

TEST(DataFolderTest, ResolveKeepsTheProgramFolderThatHoldsTheDatabase)
{
    QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath("Ovolta.DB"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(
        Text(DataFolder::Resolve({ "ovolta-panel" }, dir.path(), QDir(dir.path()).filePath("app"))),
        dir.path());
}

TEST(DataFolderTest, ResolveReportsAFolderThatCannotBeMade)
{
    QTemporaryDir dir;
    QFile blocker(QDir(dir.path()).filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = QDir(dir.path()).filePath("file/sub");
    EXPECT_EQ(Text(DataFolder::Resolve({ "ovolta-panel", "--data-dir", folder }, dir.path(), "")),
        "error: The folder '" + folder + "' cannot be created.");
}

} // namespace
