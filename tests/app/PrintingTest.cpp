// Printing each tab: its page and heading, the refusals, the print dialog.

#include "app/Printing.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingPage.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace {

class PrintingTest : public WindowFixture {
protected:
    // The texts printed for the current tab, each between "|".
    QString printed()
    {
        RecordingPage page;
        Printing::PrintCurrentTabOn(h.w(), page);
        EXPECT_EQ(page.documentsEnded(), 1);
        QStringList texts;
        for (const RecordingPage::Text& t : page.texts())
            texts << t.text;
        return u'|' + texts.join(u'|') + u'|';
    }
};

} // namespace

// Else the reason and no file; through the dialog the same, the reason in a box.
TEST_F(PrintingTest, EachTabPrintsOnePageOrSaysWhyNot)
{
    using enum QPageLayout::Orientation;
    enum Way { Direct, Cancel, Accept };
    const struct {
        int tab;
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
        Way way;
        const char* error; // the reason or its start; empty: printed
        const char* file = "out";
    } cases[] = {
        { 0, QPageSize::A4, Portrait, Direct, "" },
        { 1, QPageSize::A4, Portrait, Direct, "" },
        { 1, QPageSize::A4, Landscape, Direct, "The page is too small" }, // 20 steps: 260 mm
        { 1, QPageSize::A4, Portrait, Direct, "The file \"%1\" could not be written.",
            "no/such/folder/out" },
        { 2, QPageSize::A5, Landscape, Direct, "" },
        { 3, QPageSize::A4, Landscape, Direct, "" },
        { 3, QPageSize::A6, Portrait, Direct, "The page is too small" },
        { 4, QPageSize::A4, Portrait, Direct, "This tab has no table or log to print." },
        { 1, QPageSize::A4, Portrait, Cancel, "-" }, // "-": nothing printed, nothing said
        { 3, QPageSize::A4, Portrait, Accept, "" },
        { 3, QPageSize::A6, Portrait, Accept, "The page is too small" },
        { 4, QPageSize::A4, Portrait, Accept, "This tab has no table or log to print." },
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        showTab(c.tab);
        QPrinter printer;
        const QString path = h.dir.filePath(QStringLiteral("%1%2.pdf").arg(c.file).arg(n++));
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(c.size));
        printer.setPageOrientation(c.orientation);
        QString error;
        MessageBoxes boxes;
        boxes.onDialog = [&](QDialog& d) { c.way == Accept ? d.accept() : d.reject(); };
        if (c.way == Direct) {
            EXPECT_EQ(Printing::PrintCurrentTab(h.w(), printer, &error), !*c.error);
        } else {
            Printing::PrintWithDialog(h.w(), printer);
            EXPECT_EQ(boxes.dialogs, QStringList(c.tab == 4 ? 0 : 1, "QPrintDialog"));
            ASSERT_LE(boxes.texts.size(), 1);
            error = c.way == Cancel ? QStringLiteral("-") : boxes.texts.value(0);
        }
        const QString reason = QString::fromUtf8(c.error).replace("%1", path);
        EXPECT_TRUE(reason.isEmpty() || reason.endsWith(u'.') || reason == "-"
                ? error == reason
                : error.startsWith(reason))
            << error.toStdString();
        EXPECT_EQ(PdfPageCount(path), *c.error ? -1 : 1);
    }
    EXPECT_EQ(etp().rows(), 21) << "the table stays as it was";
}

// The stored log prints its own name and interval; without printers the dialog offers a PDF.
TEST_F(PrintingTest, HeadingsComeFromTheTabsBoxes)
{
    showTab(1);
    combo(1)->setEditText("Ramp");
    description(1)->setText("slow ramp");
    h.s().CurLocation = "Bench 2";
    QString page = printed();
    EXPECT_TRUE(page.contains("|Table Name : Ramp  (Location : Bench 2)|")
        && page.contains("|Table Description : slow ramp|"))
        << page.toStdString();
    showTab(3);
    h.ui().Option2[1]->setEnabled(true);
    h.ui().Option2[1]->setChecked(true);
    h.s().StoredLogName = "Night";
    h.s().StoredLogSampling = 10;
    h.s().StoredLogTime = QTime(22, 15, 7);
    h.s().StoredLog.markEmpty();
    h.s().StoredLog.shiftIn(10.0f, 1.0f);
    page = printed();
    EXPECT_TRUE(page.contains("|Log Name : Night|") && page.contains("Sampling Time: 10S")
        && page.contains(QRegularExpression("\\|Log Time: [^|]*22:15:07")))
        << page.toStdString();
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return;
    showTab(1);
    MessageBoxes boxes;
    QString offered;
    boxes.onDialog = [&](QDialog& dialog) {
        QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
        offered = printer->docName() + QString::number(printer->outputFormat());
        dialog.reject();
    };
    Printing::PrintWithDialog(h.w());
    EXPECT_EQ(offered, "Ramp" + QString::number(QPrinter::PdfFormat));
}
