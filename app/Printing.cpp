#include "app/Printing.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "app/WindowState.h"
#include "core/PainterPage.h"
#include "datalog/LogChartPrint.h"
#include "programs/ProgramTable.h"
#include "programs/TablePrinter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <algorithm>

namespace Printing {
namespace {

// The log layout reaches down to its legend at 190 mm; a table ends at its
// last row boundary, 50 mm plus 10 mm per printed row (header included).
constexpr double kLogHeightMm = 190.0;
constexpr double kTableTopMm = 50.0;
constexpr double kRowPitchMm = 10.0;
// Below this width the columns and the chart frame shrink to nothing.
constexpr double kMinWidthMm = 100.0;

const QString kNothingToPrint = QStringLiteral("This tab has no table or log to print.");

struct PageNeed {
    double widthMm;
    double heightMm;
};

const ProgramTable& TableOf(MainFrm& window, Tab tab)
{
    if (tab == Tab::InternalProgram)
        return window.tableP();
    return tab == Tab::ExternalProgram ? window.tableE() : window.tableM();
}

PageNeed NeededPage(MainFrm& window, Tab tab)
{
    if (tab == Tab::DataLog)
        return { kMinWidthMm, kLogHeightMm };
    const ProgramTable& table = TableOf(window, tab);
    const int rows = std::min(table.rows(), TablePrinter::kMaxPrintedRows + 1);
    return { kMinWidthMm, kTableTopMm + kRowPitchMm * rows };
}

void PrintTable(MainFrm& window, Tab tab, PrintPage& page)
{
    MainFrmUi& ui = window.controls();
    const std::size_t t = TabSlot(tab);
    const PrintHeading heading { ui.CmbTableName[t]->currentText(), ui.TextTableD[t]->text(),
        window.state().CurLocation };
    if (tab == Tab::InternalProgram)
        TablePrinter::PrintItpTable(page, window.tableP(), heading);
    else if (tab == Tab::ExternalProgram)
        TablePrinter::PrintEtpTable(page, window.tableE(), heading);
    else
        TablePrinter::PrintIpmTable(page, window.tableM(), heading);
}

LogPrintInputs LogInputs(MainFrm& window)
{
    MainFrmUi& ui = window.controls();
    const WindowState& S = window.state();
    LogPrintInputs in;
    in.source = LogSource::None;
    in.interval = S.SampleTime;
    if (ui.Option2[0]->isChecked()) {
        in.source = LogSource::Live;
        in.samples = &S.LogSamples;
    } else if (ui.Option2[1]->isChecked()) {
        in.source = LogSource::Stored;
        in.samples = &S.StoredLog;
        in.interval = S.StoredLogSampling;
    }
    in.ranges = window.chartRanges();
    in.currFormat = window.supply().currFormat;
    in.address = ui.CmbAddr->currentText();
    in.location = S.CurLocation;
    in.description = S.CurDescription;
    in.storedLogName = S.StoredLogName;
    in.storedLogDesc = S.StoredLogDesc;
    in.storedLogDate = S.StoredLogDate;
    in.storedLogTime = S.StoredLogTime;
    return in;
}

QString CannotWrite(const QPrinter& printer)
{
    if (!printer.outputFileName().isEmpty())
        return QStringLiteral("The file \"%1\" could not be written.")
            .arg(printer.outputFileName());
    return QStringLiteral("The printer \"%1\" could not print the page.")
        .arg(printer.printerName());
}

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

void ShowMessage(MainFrm& window, const QString& text)
{
    window.prompts().tell(text, Prompts::Title::Application, Prompts::Tone::Warning);
}

} // namespace

void PrintCurrentTabOn(MainFrm& window, PrintPage& page)
{
    const Tab tab = window.controls().currentTab();
    if (tab == Tab::DataLog)
        LogChartPrint::PrintLogChart(page, LogInputs(window), window.clock());
    else if (HasTable(tab))
        PrintTable(window, tab, page);
}

bool PrintCurrentTab(MainFrm& window, QPrinter& printer, QString* error)
{
    const Tab tab = window.controls().currentTab();
    if (!HasTable(tab))
        return Fail(error, kNothingToPrint);

    const PageNeed need = NeededPage(window, tab);
    const QRectF paper = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    if (paper.width() < need.widthMm || paper.height() < need.heightMm) {
        return Fail(error,
            QStringLiteral("The page is too small: printing this needs a printable "
                           "area of at least %1 x %2 mm, the page has %3 x %4 mm.")
                .arg(need.widthMm)
                .arg(need.heightMm)
                .arg(qRound(paper.width()))
                .arg(qRound(paper.height())));
    }

    PainterPage page(printer);
    if (!page.isActive())
        return Fail(error, CannotWrite(printer));
    PrintCurrentTabOn(window, page);
    page.endDocument();

    const bool fileMissing
        = !printer.outputFileName().isEmpty() && !QFileInfo::exists(printer.outputFileName());
    if (printer.printerState() == QPrinter::Error || fileMissing)
        return Fail(error, CannotWrite(printer));
    return true;
}

void PrintWithDialog(MainFrm& window)
{
    QPrinter printer(QPrinter::HighResolution);
    const Tab tab = window.controls().currentTab();
    if (HasTable(tab))
        printer.setDocName(window.controls().CmbTableName[TabSlot(tab)]->currentText());
    // The log page's legend and time line share one line: it needs the width
    // of a landscape page. Tables are as tall as their 20 steps.
    printer.setPageOrientation(
        tab == Tab::DataLog ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer.setOutputFormat(QPrinter::PdfFormat);
    PrintWithDialog(window, printer);
}

void PrintWithDialog(MainFrm& window, QPrinter& printer)
{
    if (!HasTable(window.controls().currentTab())) {
        ShowMessage(window, kNothingToPrint);
        return;
    }
    if (!window.prompts().choosePrinter(printer))
        return;
    QString error;
    if (!PrintCurrentTab(window, printer, &error))
        ShowMessage(window, error);
}

} // namespace Printing
