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

TEST(DataFolderTest, ResolveChoosesAndCreatesTheFolder)
{
    QTemporaryDir dir;
    for (const char* name : { "Ovolta.DB", "file" }) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString wanted = QDir(dir.path()).filePath("a/b");
    const QString blocked = QDir(dir.path()).filePath("file/sub");
    const std::pair<QString, QString> cases[] = {
        // A relative folder is taken from the current folder: the ports/ links
        // of a relative one would be read as names under /dev.
        { QDir::current().relativeFilePath(wanted), wanted },
        // The program's folder that holds the database is kept.
        { QString(), dir.path() },
        { blocked, "error: The folder '" + blocked + "' cannot be created." },
    };
    for (const auto& [given, folder] : cases) {
        EXPECT_EQ(
            Text(DataFolder::Resolve(given, dir.path(), QDir(dir.path()).filePath("app"))), folder);
    }
    EXPECT_TRUE(QFileInfo(wanted).isDir());
}

} // namespace
