#include "sim/LineAssembler.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

TEST(LineAssembler, CutsAtEveryKindOfLineEnd)
{
    const struct {
        QList<QByteArray> chunks;
        QList<QByteArray> lines;
        qsizetype pending;
    } cases[] = {
        { { "GMAX\r\nGMOD\nGETS\r" }, { "GMAX", "GMOD", "GETS" }, 0 },
        { { "GM", "AX\rGM", "OD\r" }, { "GMAX", "GMOD" }, 0 },
        { { "GMAX\r", "\n", "GETD" }, { "GMAX" }, 4 },
        { { "\r\r\n\n", "" }, {}, 0 },
        { { QByteArray("\xff\x00\x01", 3), "\r" }, { QByteArray("\xff\x00\x01", 3) }, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chunks.join('|').toHex().constData());
        LineAssembler assembler;
        QList<QByteArray> lines;
        for (const QByteArray& chunk : c.chunks)
            lines += assembler.feed(chunk);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(assembler.pending(), c.pending);
    }
}

// An overlong line is thrown away, the next one still counts; clear() forgets a part line.
TEST(LineAssembler, OverlongLinesAndClear)
{
    LineAssembler assembler;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(assembler.feed(QByteArray(1000, 'B')).isEmpty());
    EXPECT_LE(assembler.pending(), LineAssembler::kMaxLine);
    EXPECT_EQ(assembler.feed("tail\rGMAX\r"), QList<QByteArray> { "GMAX" });
    EXPECT_EQ(assembler.feed(QByteArray(LineAssembler::kMaxLine, 'C') + '\r').size(), 1);
    assembler.feed("GMA");
    assembler.clear();
    EXPECT_EQ(assembler.feed("GMOD\r"), QList<QByteArray> { "GMOD" });
}
