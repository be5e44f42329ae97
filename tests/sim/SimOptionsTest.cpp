#include "sim/SimOptions.h"
#include "sim/VirtualSupply.h"

#include "tests/support/QtPrinting.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(SimOptions, ReadsEveryOptionIntoItsPlace)
{
    QString error;
    const auto options = SimOptions::parse(
        { "--data-dir", "/tmp/d", "--port", "7", "--model", "5914", "--load", "2.5", "--fault",
            "split:40,prefix", "--trace=/tmp/t.txt", "--noise", "3" },
        &error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    EXPECT_EQ(options->dataDir, "/tmp/d");
    EXPECT_EQ(options->port, 7);
    EXPECT_EQ(options->model.code, "5914");
    EXPECT_EQ(options->loadOhms, 2.5);
    EXPECT_EQ(options->faults.splitMs, 40);
    EXPECT_TRUE(options->faults.prefix);
    EXPECT_EQ(options->traceFile, "/tmp/t.txt");
    EXPECT_EQ(options->noiseDigits, 3);

    // A relative folder is made absolute, as the panel makes its own.
    const auto edges = SimOptions::parse({ "--data-dir=d", "--port=255", "--load=0" }, nullptr);
    ASSERT_TRUE(edges.has_value());
    EXPECT_EQ(edges->dataDir, QDir::currentPath() + "/d");
    EXPECT_EQ(edges->loadOhms, 0.0);
    EXPECT_EQ(SimOptions::parse({ "--data-dir=d", "--port=1", "--load=open" }, nullptr)->loadOhms,
        VirtualSupply::kOpenCircuit);
    // Help and version need nothing else.
    EXPECT_TRUE(SimOptions::parse({ "-h" }, nullptr)->help);
    EXPECT_TRUE(SimOptions::parse({ "--version" }, nullptr)->version);
}

TEST(SimOptions, BadCommandLinesSayWhatIsWrong)
{
    const struct {
        QStringList arguments;
        const char* mentions;
    } cases[] = {
        { { "--port", "1" }, "--data-dir is required" },
        { { "--data-dir", "d" }, "--port is required" },
        { { "--data-dir" }, "--data-dir needs a value" },
        { { "--data-dir=" }, "--data-dir needs a folder" },
        { { "--data-dir", "d", "--port", "0" }, "--port must be a number from 1 to 255, not '0'" },
        { { "--data-dir", "d", "--port", "256" }, "not '256'" },
        { { "--data-dir", "d", "--port", "one" }, "not 'one'" },
        { { "--data-dir", "d", "--port", "+2" }, "not '+2'" },
        { { "--data-dir", "d", "--port", " 2" }, "not ' 2'" },
        { { "--data-dir", "d", "--port", "1", "--model", "5813" }, "unknown model '5813'" },
        { { "--data-dir", "d", "--port", "1", "--load", "-2" }, "--load must be ohms" },
        { { "--data-dir", "d", "--port", "1", "--load", "ten" }, "not 'ten'" },
        { { "--data-dir", "d", "--port", "1", "--load", "inf" }, "not 'inf'" },
        { { "--data-dir", "d", "--port", "1", "--fault", "loud" },
            "--fault: unknown fault 'loud'" },
        { { "--data-dir", "d", "--port", "1", "--trace", "" }, "--trace needs a file name" },
        { { "--data-dir", "d", "--port", "1", "--noise", "100" }, "--noise must be" },
        { { "--data-dir", "d", "--port", "1", "--colour" }, "unknown option --colour" },
        { { "--data-dir", "d", "--port", "1", "extra" }, "unexpected argument 'extra'" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QString error;
        EXPECT_FALSE(SimOptions::parse(c.arguments, &error).has_value());
        EXPECT_TRUE(error.contains(c.mentions)) << error.toStdString();
    }
}
