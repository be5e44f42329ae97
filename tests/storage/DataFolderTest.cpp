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

// A relative folder is taken from the current folder: the ports/ links of a
// relative one would be read as names under /dev.
TEST(DataFolderTest, ResolveCreatesTheChosenFolder)
{
    QTemporaryDir dir;
    const QString wanted = QDir(dir.path()).filePath("a/b");
    const DataFolder::Choice choice = DataFolder::Resolve(
        QDir::current().relativeFilePath(wanted), dir.path(), QDir(dir.path()).filePath("app"));
    EXPECT_EQ(choice.error, QString());
    EXPECT_EQ(choice.folder, wanted);
    EXPECT_TRUE(QFileInfo(wanted).isDir());
}

TEST(DataFolderTest, ResolveKeepsTheProgramFolderThatHoldsTheDatabase)
{
    QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath("Ovolta.DB"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const DataFolder::Choice choice
        = DataFolder::Resolve({}, dir.path(), QDir(dir.path()).filePath("app"));
    EXPECT_EQ(choice.folder, dir.path());
}

TEST(DataFolderTest, ResolveReportsAFolderThatCannotBeMade)
{
    QTemporaryDir dir;
    QFile blocker(QDir(dir.path()).filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const DataFolder::Choice choice
        = DataFolder::Resolve(QDir(dir.path()).filePath("file/sub"), dir.path(), "");
    EXPECT_FALSE(choice.error.isEmpty());
}

} // namespace
