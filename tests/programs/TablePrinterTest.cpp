#include "programs/TablePrinter.h"

#include "core/PainterPage.h"
#include "programs/TableRules.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingPage.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr double kWidth = 190.0;

struct Steps : ProgramTable {
    explicit Steps(int count)
        : ProgramTable(TableKind::Etp)
    {
        for (int k = 1; k <= count; ++k)
            addRow({ QString::number(k), "5.0", "1.00", "00", "10" });
    }
};

struct Presets : PresetsOf {
    Presets()
        : PresetsOf({ { "12.0", "1.00" }, { "12.0", "1.00" }, { "12.0", "1.00" } })
    {
    }
};

std::vector<RecordingPage::Text> TextsInColumn(const RecordingPage& page, int columns, int column)
{
    const double width = (kWidth - 35.0) / columns;
    const double left = 15.0 + column * width;
    std::vector<RecordingPage::Text> found;
    for (const auto& t : page.texts()) {
        if (t.y > 53.0 && t.x >= left && t.x < left + width)
            found.push_back(t);
    }
    return found;
}

TEST(TablePrinterTest, HeadingNamesTheLocationOnlyWhenGiven)
{
    RecordingPage page(kWidth);
    TablePrinter::PrintEtpTable(page, Steps(2), { "Burn-in", "Long run", "Bench 3" });
    EXPECT_NE(page.find("Table Name : Burn-in  (Location : Bench 3)"), nullptr);
    EXPECT_NE(page.find("Table Description : Long run"), nullptr);
    // An empty table prints its header row only.
    RecordingPage bare(kWidth);
    TablePrinter::PrintIpmTable(bare, ProgramTable(TableKind::Ipm), { "(Untitle)", "", "" });
    EXPECT_NE(bare.find("Table Name : (Untitle)"), nullptr);
    EXPECT_NE(bare.find("Preset"), nullptr);
    EXPECT_EQ(bare.find(QString(QChar(0x25CB))), nullptr);
    EXPECT_EQ(bare.documentsEnded(), 1);
}

TEST(TablePrinterTest, PresetMarksShowTheSelection)
{
    Presets ipm;
    ipm.setSelectedPreset(2);
    RecordingPage page(kWidth);
    TablePrinter::PrintIpmTable(page, ipm, { "P", "", "" });
    QString marks;
    for (const auto& mark : TextsInColumn(page, 4, 0))
        marks += mark.text;
    EXPECT_EQ(marks, QString::fromUtf8("○●○"));
}

TEST(TablePrinterTest, TicksOnlyForCheckedOutputs)
{
    Steps etp(3);
    etp.setOutputOn(2, false);
    RecordingPage page(kWidth);
    TablePrinter::PrintEtpTable(page, etp, { "T", "", "" });
    const double width = (kWidth - 35.0) / 6;
    const double left = 15.0 + 5 * width;
    std::vector<int> strokesPerRow(4, 0);
    for (const auto& l : page.lines()) {
        const bool inColumn
            = l.x1 > left && l.x1 < left + width && l.x2 > left && l.x2 < left + width;
        if (!inColumn || l.x1 == l.x2 || l.y1 == l.y2)
            continue;
        const int row = static_cast<int>((std::min(l.y1, l.y2) - 50.0) / 10.0);
        EXPECT_GE(std::min(l.y1, l.y2), 50.0 + row * 10.0);
        EXPECT_LE(std::max(l.y1, l.y2), 60.0 + row * 10.0);
        ++strokesPerRow[static_cast<std::size_t>(row)];
    }
    EXPECT_EQ(strokesPerRow, (std::vector<int> { 0, 2, 0, 2 }));
}

TEST(TablePrinterTest, TwentyFiveStepsPrintTwentyAndTheTableKeepsAll)
{
    Steps etp(25);
    RecordingPage page(kWidth);
    TablePrinter::PrintEtpTable(page, etp, { "T", "", "" });
    EXPECT_EQ(etp.dataRows(), 25);
    EXPECT_NE(page.find("20"), nullptr);
    EXPECT_EQ(page.find("21"), nullptr);
    double lowest = 0;
    for (const auto& l : page.lines())
        lowest = std::max({ lowest, l.y1, l.y2 });
    EXPECT_EQ(lowest, 50.0 + 21 * 10.0);
    EXPECT_EQ(page.documentsEnded(), 1);
}

TEST(PainterPageTest, PrintsATableIntoAOnePagePdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("table.pdf");
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        PainterPage page(writer);
        ASSERT_TRUE(page.isActive());
        TablePrinter::PrintEtpTable(page, Steps(25), { "Burn-in", "Night", "Bench 3" });
        EXPECT_FALSE(page.isActive());
        page.endDocument(); // a second end is harmless
    }
    EXPECT_EQ(PdfPageCount(path), 1);
}

TEST(PainterPageTest, UnwritableDeviceDrawsNothingAndDoesNotCrash)
{
    QPdfWriter writer(QStringLiteral("/nonexistent-dir/x/table.pdf"));
    PainterPage page(writer);
    EXPECT_FALSE(page.isActive());
    TablePrinter::PrintIpmTable(page, Presets(), { "P", "", "" });
    EXPECT_FALSE(QFile::exists(QStringLiteral("/nonexistent-dir/x/table.pdf")));
}

} // namespace
