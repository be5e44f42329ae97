#include "programs/TablePrinter.h"

#include "core/PainterPage.h"
#include "programs/TableRules.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingPage.h"

#include "tests/support/QtPrinting.h"
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr double kWidth = 190.0;
constexpr double kEps = 1e-9;

struct Steps : ProgramTable {
    explicit Steps(int count)
        : ProgramTable(TableKind::Etp)
    {
        for (int k = 1; k <= count; ++k)
            addRow({ QString::number(k), "5.0", "1.00", "00", "10" });
    }
};

struct Presets : ProgramTable {
    Presets()
        : ProgramTable(TableKind::Ipm)
    {
        for (int k = 1; k <= 3; ++k)
            addRow({ "", QString::number(k), "12.0", "1.00" });
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
    const auto* name = page.find("Table Name : Burn-in  (Location : Bench 3)");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->y, 25.0);
    ASSERT_NE(page.find("Table Description : Long run"), nullptr);
    EXPECT_EQ(page.find("Table Description : Long run")->y, 15.0);
    RecordingPage bare(kWidth);
    TablePrinter::PrintIpmTable(bare, Presets(), { "(Untitle)", "", "" });
    EXPECT_NE(bare.find("Table Name : (Untitle)"), nullptr);
    EXPECT_NE(bare.find("Table Description : "), nullptr);
}

TEST(TablePrinterTest, TableIsRuledFromFiftyInTenMillimetreRows)
{
    RecordingPage page(kWidth);
    ProgramTable itp(TableKind::Itp);
    itp.addRow({ "1", "5.0", "1.0", "01", "00" });
    itp.addRow({ "2", "6.0", "1.0", "01", "00" });
    TablePrinter::PrintItpTable(page, itp, { "T", "", "" });
    std::vector<double> horizontal, vertical;
    bool doubleRule40 = false, doubleRule41 = false;
    for (const auto& l : page.lines()) {
        if (l.y1 == l.y2 && l.x1 == 15.0) {
            EXPECT_NEAR(l.x2, kWidth - 20.0, kEps);
            horizontal.push_back(l.y1);
        } else if (l.x1 == l.x2) {
            EXPECT_EQ(l.y1, 50.0);
            EXPECT_EQ(l.y2, 80.0);
            vertical.push_back(l.x1);
        } else if (l.y1 == 40.0 && l.y2 == 40.0) {
            doubleRule40 = l.x1 == 10.0;
        } else if (l.y1 == 41.0 && l.y2 == 41.0) {
            doubleRule41 = l.x1 == 10.0;
        }
    }
    EXPECT_TRUE(doubleRule40);
    EXPECT_TRUE(doubleRule41);
    EXPECT_EQ(horizontal, (std::vector<double> { 50.0, 60.0, 70.0, 80.0 }));
    ASSERT_EQ(vertical.size(), 6u);
    for (std::size_t k = 0; k < vertical.size(); ++k)
        EXPECT_NEAR(vertical[k], 15.0 + k * (kWidth - 35.0) / 5, kEps);
}

TEST(TablePrinterTest, CellTextsAreCentredAndSizedByRow)
{
    RecordingPage page(kWidth);
    TablePrinter::PrintEtpTable(page, Steps(1), { "T", "", "" });
    const double width = (kWidth - 35.0) / 6;
    const auto* header = page.find("Voltage");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->y, 53.0);
    EXPECT_EQ(header->size, 14.0);
    EXPECT_FALSE(header->bold);
    // The recording page measures 2 mm per character at size 10.
    EXPECT_NEAR(header->x, 15.0 + width + (width - 2.0 * 7 * 14.0 / 10.0) / 2.0, kEps);
    const auto* value = page.find("5.0");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->y, 63.0);
    EXPECT_EQ(value->size, 12.0);
    EXPECT_NEAR(value->x, 15.0 + width + (width - 2.0 * 3 * 12.0 / 10.0) / 2.0, kEps);
    EXPECT_EQ(page.documentsEnded(), 1);
}

TEST(TablePrinterTest, PresetMarksShowTheSelection)
{
    Presets ipm;
    ipm.setSelectedPreset(2);
    RecordingPage page(kWidth);
    TablePrinter::PrintIpmTable(page, ipm, { "P", "", "" });
    const auto marks = TextsInColumn(page, 4, 0);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].text, QString(QChar(0x25CB)));
    EXPECT_EQ(marks[1].text, QString(QChar(0x25CF)));
    EXPECT_EQ(marks[2].text, QString(QChar(0x25CB)));
    EXPECT_EQ(marks[1].y, 73.0);
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

TEST(TablePrinterTest, EmptyTablePrintsItsHeaderRowOnly)
{
    RecordingPage page(kWidth);
    TablePrinter::PrintIpmTable(page, ProgramTable(TableKind::Ipm), { "", "", "" });
    EXPECT_NE(page.find("Preset"), nullptr);
    EXPECT_EQ(page.find(QString(QChar(0x25CB))), nullptr);
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
        EXPECT_GT(page.widthMm(), 150.0);
        EXPECT_LT(page.widthMm(), 210.0);
        EXPECT_GT(page.heightMm(), 200.0);
        TablePrinter::PrintEtpTable(page, Steps(25), { "Burn-in", "Night", "Bench 3" });
        EXPECT_FALSE(page.isActive());
        page.endDocument(); // a second end is harmless
    }
    EXPECT_EQ(PdfPageCount(path), 1);
}

TEST(PainterPageTest, MeasuresTextInMillimetres)
{
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("m.pdf"));
    writer.setResolution(300);
    PainterPage page(writer);
    page.setFont(12, false);
    const double small = page.textWidthMm("Voltage");
    page.setFont(24, false);
    const double large = page.textWidthMm("Voltage");
    EXPECT_GT(small, 5.0); // about 15 mm at 12 pt
    EXPECT_LT(small, 40.0);
    EXPECT_NEAR(large / small, 2.0, 0.3);
    // 12 pt is about 4.2 mm; a line of text is a little more.
    page.setFont(12, false);
    EXPECT_GT(page.textHeightMm("X"), 3.5);
    EXPECT_LT(page.textHeightMm("X"), 8.0);
    page.endDocument();
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
