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

TEST(DataFolderTest, ResolveChoosesAndCreatesTheFolder)
{
    QTemporaryDir dir;
    for (const char* name : { "Ovolta.DB", "file" }) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString wanted = QDir(dir.path()).filePath("a/b");
    const QString blocked = QDir(dir.path()).filePath("file/sub");
    const std::pair<QStringList, QString> cases[] = {
        { { "ovolta-panel", "--data-dir", wanted }, wanted },
        // The program's folder that holds the database is kept.
        { { "ovolta-panel" }, dir.path() },
        { { "ovolta-panel", "--data-dir", blocked },
            "error: The folder '" + blocked + "' cannot be created." },
    };
    for (const auto& [arguments, folder] : cases) {
        EXPECT_EQ(
            Text(DataFolder::Resolve(arguments, dir.path(), QDir(dir.path()).filePath("app"))),
            folder);
    }
    EXPECT_TRUE(QFileInfo(wanted).isDir());
}

} // namespace
