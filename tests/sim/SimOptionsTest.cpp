#include "sim/SimOptions.h"
#include "sim/VirtualSupply.h"

#include "tests/sim/QtPrinters.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QStringList args(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* arg : list)
        result << QString::fromUtf8(arg);
    return result;
}

} // namespace

TEST(SimOptions, ReadsAFullCommandLine)
{
    QString error;
    const auto options = SimOptions::parse(
        args({ "--data-dir", "/tmp/d", "--port", "7", "--model", "5914", "--load", "2.5", "--fault",
            "split:40,prefix", "--trace=/tmp/t.txt", "--noise", "3" }),
        &error);
    ASSERT_TRUE(options.has_value()) << qPrintable(error);
    EXPECT_EQ(options->dataDir, QStringLiteral("/tmp/d"));
    EXPECT_EQ(options->port, 7);
    EXPECT_EQ(options->model.code, QStringLiteral("5914"));
    EXPECT_EQ(options->loadOhms, 2.5);
    EXPECT_EQ(options->faults.splitMs, 40);
    EXPECT_TRUE(options->faults.prefix);
    EXPECT_EQ(options->traceFile, QStringLiteral("/tmp/t.txt"));
    EXPECT_EQ(options->noiseDigits, 3);
}

TEST(SimOptions, DefaultsAndSpecialValues)
{
    const auto plain = SimOptions::parse(args({ "--data-dir=d", "--port=1" }), nullptr);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->dataDir, QDir::currentPath() + QStringLiteral("/d"));
    EXPECT_EQ(plain->model.code, QStringLiteral("5812"));
    EXPECT_EQ(plain->loadOhms, 10.0);
    EXPECT_FALSE(plain->faults.any());
    EXPECT_TRUE(plain->traceFile.isEmpty());

    const auto open
        = SimOptions::parse(args({ "--data-dir=d", "--port=1", "--load=open" }), nullptr);
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->loadOhms, VirtualSupply::kOpenCircuit);
    const auto shorted
        = SimOptions::parse(args({ "--data-dir=d", "--port=255", "--load=0" }), nullptr);
    ASSERT_TRUE(shorted.has_value());
    EXPECT_EQ(shorted->loadOhms, 0.0);

    // Help and version need nothing else.
    EXPECT_TRUE(SimOptions::parse(args({ "--help" }), nullptr)->help);
    EXPECT_TRUE(SimOptions::parse(args({ "-h" }), nullptr)->help);
    EXPECT_TRUE(SimOptions::parse(args({ "--version" }), nullptr)->version);
    EXPECT_TRUE(SimOptions::usage().contains(QStringLiteral("--data-dir DIR")));
    EXPECT_TRUE(SimOptions::usage().contains(QStringLiteral("5914")));
}

TEST(SimOptions, BadCommandLinesSayWhatIsWrong)
{
    const struct {
        std::initializer_list<const char*> arguments;
        const char* mentions;
    } cases[] = {
        { {}, "--data-dir is required" },
        { { "--port", "1" }, "--data-dir is required" },
        { { "--data-dir", "d" }, "--port is required" },
        { { "--data-dir" }, "--data-dir needs a value" },
        { { "--data-dir=" }, "--data-dir needs a folder" },
        { { "--data-dir", "d", "--port" }, "--port needs a value" },
        { { "--data-dir", "d", "--port", "0" }, "--port must be a number from 1 to 255, not '0'" },
        { { "--data-dir", "d", "--port", "256" }, "not '256'" },
        { { "--data-dir", "d", "--port", "-1" }, "not '-1'" },
        { { "--data-dir", "d", "--port", "one" }, "not 'one'" },
        { { "--data-dir", "d", "--port", "1.5" }, "not '1.5'" },
        { { "--data-dir", "d", "--port", " 2" }, "not ' 2'" },
        { { "--data-dir", "d", "--port", "99999999999" }, "not '99999999999'" },
        { { "--data-dir", "d", "--port", "1", "--model", "5813" }, "unknown model '5813'" },
        { { "--data-dir", "d", "--port", "1", "--model", "" }, "unknown model ''" },
        { { "--data-dir", "d", "--port", "1", "--load", "-2" }, "--load must be ohms" },
        { { "--data-dir", "d", "--port", "1", "--load", "ten" }, "not 'ten'" },
        { { "--data-dir", "d", "--port", "1", "--load", "inf" }, "not 'inf'" },
        { { "--data-dir", "d", "--port", "1", "--load", "nan" }, "not 'nan'" },
        { { "--data-dir", "d", "--port", "1", "--fault", "loud" },
            "--fault: unknown fault 'loud'" },
        { { "--data-dir", "d", "--port", "1", "--fault", "late:0" }, "--fault: fault 'late:0'" },
        { { "--data-dir", "d", "--port", "1", "--trace", "" }, "--trace needs a file name" },
        { { "--data-dir", "d", "--port", "1", "--noise", "100" }, "--noise must be" },
        { { "--data-dir", "d", "--port", "1", "--colour" }, "unknown option --colour" },
        { { "--data-dir", "d", "--port", "1", "-p" }, "unknown option -p" },
        { { "--data-dir", "d", "--port", "1", "extra" }, "unexpected argument 'extra'" },
    };
    for (const auto& c : cases) {
        QString error;
        const QStringList arguments = args(c.arguments);
        EXPECT_FALSE(SimOptions::parse(arguments, &error).has_value())
            << qPrintable(arguments.join(' '));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.mentions)))
            << qPrintable(arguments.join(' ')) << " -> " << qPrintable(error);
    }
}
