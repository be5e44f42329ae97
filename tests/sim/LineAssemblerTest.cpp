#include "sim/LineAssembler.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

TEST(LineAssembler, CutsAtEveryKindOfLineEnd)
{
    using Lines = QList<QByteArray>;
    const struct {
        QList<QByteArray> chunks;
        Lines lines;
        qsizetype pending;
    } cases[] = {
        { { "GMAX\r" }, { "GMAX" }, 0 },
        { { "GMAX\n" }, { "GMAX" }, 0 },
        { { "GMAX\r\n" }, { "GMAX" }, 0 },
        { { "GMAX\r\nGMOD\r\n" }, { "GMAX", "GMOD" }, 0 },
        { { "GM", "AX\rGM", "OD\r" }, { "GMAX", "GMOD" }, 0 },
        { { "GMAX\r", "\n", "GETD" }, { "GMAX" }, 4 },
        { { "\r\r\n\n" }, {}, 0 },
        { { "" }, {}, 0 },
        { { QByteArray("\xff\x00\x01", 3), "\r" }, { QByteArray("\xff\x00\x01", 3) }, 0 },
    };
    for (const auto& c : cases) {
        LineAssembler assembler;
        Lines lines;
        for (const QByteArray& chunk : c.chunks)
            lines += assembler.feed(chunk);
        EXPECT_EQ(lines, c.lines) << c.chunks.join('|').toHex().constData();
        EXPECT_EQ(assembler.pending(), c.pending);
    }
}

TEST(LineAssembler, ThrowsAwayAnOverlongLineAndKeepsGoing)
{
    LineAssembler assembler;
    EXPECT_TRUE(assembler.feed(QByteArray(LineAssembler::kMaxLine, 'A')).isEmpty());
    EXPECT_EQ(assembler.pending(), LineAssembler::kMaxLine);
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(assembler.feed(QByteArray(1000, 'B')).isEmpty());
    EXPECT_LE(assembler.pending(), LineAssembler::kMaxLine);
    EXPECT_EQ(assembler.feed("tail\rGMAX\r"), QList<QByteArray> { "GMAX" });

    // A line of exactly the limit still counts.
    EXPECT_EQ(assembler.feed(QByteArray(LineAssembler::kMaxLine, 'C') + '\r').size(), 1);
}

TEST(LineAssembler, ClearForgetsAnUnfinishedLine)
{
    LineAssembler assembler;
    assembler.feed("GMA");
    assembler.clear();
    EXPECT_EQ(assembler.feed("GMOD\r"), QList<QByteArray> { "GMOD" });
}
