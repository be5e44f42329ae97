#include "sim/SimOptions.h"

#include "tests/support/QtPrinting.h"

#include <QDir>
#include <gtest/gtest.h>

// A command line's outcome in one line: its error, or what the simulator will be.
static QString Outcome(const QStringList& arguments)
{
    QString error;
    const auto o = SimOptions::parse(QStringList { "ovolta-sim" } + arguments, &error);
    if (!o)
        return "error: " + error;
    if (o->help || o->version)
        return o->help ? "help" : "version";
    return QStringLiteral("%1 port=%2 model=%3 load=%4 faults=%5 trace=%6 noise=%7")
        .arg(o->dataDir)
        .arg(o->port)
        .arg(o->model.code)
        .arg(o->loadOhms)
        .arg(o->faults.any() ? "yes" : "no", o->traceFile)
        .arg(o->noiseDigits);
}

// One row per kind of option and of mistake.
TEST(SimOptions, CommandLines)
{
    const struct {
        QStringList arguments;
        QString outcome;
    } cases[] = {
        { { "--data-dir", "/tmp/d", "--port", "7", "--model", "5914", "--load", "2.5", "--fault",
              "split:40,prefix", "--trace=/tmp/t.txt", "--noise", "3" },
            "/tmp/d port=7 model=5914 load=2.5 faults=yes trace=/tmp/t.txt noise=3" },
        // A relative folder is made absolute, so the panel finds the same link.
        { { "--data-dir=d", "--port=255", "--load=open" },
            QDir::currentPath() + "/d port=255 model=5812 load=inf faults=no trace= noise=0" },
        { { "-h" }, "help" },
        { { "--data-dir", "d" }, "error: --port is required" },
        { {}, "error: --data-dir is required" },
        { { "--data-dir=", "--port=1" }, "error: --data-dir needs a folder" },
        { { "--data-dir=d", "--port=256" },
            "error: --port must be a number from 1 to 255, not '256'" },
        { { "--data-dir=d", "--port=1", "--model=5813" },
            "error: unknown model '5813'; see --help for the models" },
        { { "--data-dir=d", "--port=1", "--load=-2" },
            "error: --load must be ohms (0 or more) or \"open\", not '-2'" },
        { { "--data-dir=d", "--port=1", "--fault=loud" },
            "error: --fault: unknown fault 'loud'; expected " + SupplyFaults::syntax() },
        { { "--data-dir=d", "--port=1", "--trace=" }, "error: --trace needs a file name" },
        { { "--data-dir=d", "--port=1", "--noise=100" },
            "error: --noise must be a number from 0 to 99, not '100'" },
        { { "--data-dir=d", "--port=1", "--colour" }, "error: unknown option --colour" },
        { { "--data-dir=d", "--port=1", "extra" }, "error: unexpected argument 'extra'" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Outcome(c.arguments), c.outcome) << c.arguments.join(' ').toStdString();
}
