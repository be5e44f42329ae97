#include "programs/TablePrinter.h"

#include <QColor>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace TablePrinter {
namespace {

constexpr double kLeft = 10.0;
constexpr double kNameTop = 25.0;
constexpr double kDescriptionTop = 15.0;
constexpr double kRuleY = 40.0;
constexpr double kRuleRightMargin = 10.0;
constexpr double kTableLeft = 15.0;
constexpr double kTableRightMargin = 20.0;
constexpr double kTableTop = 50.0;
constexpr double kRowPitch = 10.0;
constexpr double kTextOffset = 3.0;
constexpr double kHeadingSize = 14.0;
constexpr double kHeaderSize = 14.0;
constexpr double kRowSize = 12.0;
constexpr int kHairline = 1;
constexpr int kTickWidth = 3;
constexpr int kEtpOutputColumn = 5;

const QColor kInk = Qt::black;

const QString kSelectedMark = QString(QChar(0x25CF));
const QString kOtherMark = QString(QChar(0x25CB));

void PrintHeadingLines(PrintPage& page, const PrintHeading& heading, const Captions& captions)
{
    page.setFont(kHeadingSize, true);
    QString name = captions.tableName + QStringLiteral(" : ") + heading.tableName;
    if (!heading.location.isEmpty())
        name += QStringLiteral("  (") + captions.location + QStringLiteral(" : ") + heading.location
            + u')';
    page.text(kLeft, kNameTop, name);
    page.text(kLeft, kDescriptionTop,
        captions.tableDescription + QStringLiteral(" : ") + heading.description);
    const double right = page.widthMm() - kRuleRightMargin;
    page.line(kLeft, kRuleY, right, kRuleY, kHairline, kInk);
    page.line(kLeft, kRuleY + 1.0, right, kRuleY + 1.0, kHairline, kInk);
}

void Tick(PrintPage& page, double cellLeft, double columnWidth, int row)
{
    const double cx = cellLeft + columnWidth / 2.0;
    const double top = kTableTop + kRowPitch * row;
    page.line(cx - 3.0, top + 5.0, cx - 1.0, top + 7.5, kTickWidth, kInk);
    page.line(cx - 1.0, top + 7.5, cx + 3.5, top + 2.5, kTickWidth, kInk);
}

// One printed row: its cell texts in column order, and whether the Output On
// cell gets a tick.
struct PrintedRow {
    QStringList cells;
    bool tick = false;
};

std::vector<PrintedRow> PrintedRows(const ProgramTable& table)
{
    std::vector<PrintedRow> rows;
    QStringList header;
    for (int column = 0; column < table.columns(); ++column)
        header << table.headerText(column);
    rows.push_back({ header });
    const int last = std::min(table.dataRows(), kMaxPrintedRows);
    for (int k = 1; k <= last; ++k) {
        if (table.kind() == TableKind::Ipm) {
            const PresetRow p = table.preset(k);
            const QString& mark = table.selectedPreset() == k ? kSelectedMark : kOtherMark;
            rows.push_back({ { mark, p.preset, p.voltage, p.current } });
            continue;
        }
        const ProgramStep s = table.step(k);
        const bool external = table.kind() == TableKind::Etp;
        rows.push_back(
            { { s.step, s.voltage, s.current, s.minute, s.second }, external && s.output() });
    }
    return rows;
}

void PrintTable(PrintPage& page, const ProgramTable& table, const PrintHeading& heading,
    const Captions& captions)
{
    PrintHeadingLines(page, heading, captions);
    page.setFont(kRowSize, false);

    const std::vector<PrintedRow> printed = PrintedRows(table);
    const int rows = static_cast<int>(printed.size());
    const int columns = table.columns();
    const double columnWidth = (page.widthMm() - 35.0) / columns;
    const double right = page.widthMm() - kTableRightMargin;
    const double bottom = kTableTop + kRowPitch * rows;
    for (int boundary = 0; boundary <= rows; ++boundary) {
        const double y = kTableTop + kRowPitch * boundary;
        page.line(kTableLeft, y, right, y, kHairline, kInk);
    }
    for (int k = 0; k <= columns; ++k) {
        const double x = kTableLeft + k * columnWidth;
        page.line(x, kTableTop, x, bottom, kHairline, kInk);
    }

    for (int row = 0; row < rows; ++row) {
        const PrintedRow& cells = printed[static_cast<std::size_t>(row)];
        page.setFont(row == 0 ? kHeaderSize : kRowSize, false);
        for (int column = 0; column < cells.cells.size(); ++column) {
            const double cellLeft = kTableLeft + column * columnWidth;
            const QString& text = cells.cells[column];
            if (text.isEmpty())
                continue;
            const double x = cellLeft + (columnWidth - page.textWidthMm(text)) / 2.0;
            page.text(x, kTableTop + kTextOffset + kRowPitch * row, text);
        }
        if (cells.tick)
            Tick(page, kTableLeft + kEtpOutputColumn * columnWidth, columnWidth, row);
    }
    page.endDocument();
}

} // namespace

void PrintItpTable(
    PrintPage& page, const ProgramTable& itp, const PrintHeading& heading, const Captions& captions)
{
    PrintTable(page, itp, heading, captions);
}

void PrintEtpTable(
    PrintPage& page, const ProgramTable& etp, const PrintHeading& heading, const Captions& captions)
{
    PrintTable(page, etp, heading, captions);
}

void PrintIpmTable(
    PrintPage& page, const ProgramTable& ipm, const PrintHeading& heading, const Captions& captions)
{
    PrintTable(page, ipm, heading, captions);
}

} // namespace TablePrinter
