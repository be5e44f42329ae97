// The window's printing: what each tab puts on the page heading, the page
// and file refusals, and the print dialog. The table and chart drawings are
// the table printer's and the log chart's own tests.

#include "app/Printing.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingPage.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace {

class PrintingTest : public WindowFixture {
protected:
    QString pdf(const QString& name) const { return h.dir.filePath(name + ".pdf"); }

    static void ToPdf(QPrinter& printer, const QString& path,
        QPageSize::PageSizeId size = QPageSize::A4,
        QPageLayout::Orientation orientation = QPageLayout::Portrait)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(size));
        printer.setPageOrientation(orientation);
    }

    // The texts printed for the current tab.
    QStringList printed()
    {
        RecordingPage page;
        Printing::PrintCurrentTabOn(h.w(), page);
        EXPECT_EQ(page.documentsEnded(), 1);
        QStringList texts;
        for (const RecordingPage::Text& t : page.texts())
            texts << t.text;
        return texts;
    }
};

// Every tab with something to print gives one page on a page large enough;
// a page too small, a file that cannot be written and the Setting tab give the
// reason and no file.
TEST_F(PrintingTest, EachTabPrintsOnePageOrSaysWhyNot)
{
    const struct {
        int tab;
        QPageSize::PageSizeId size;
        QPageLayout::Orientation orientation;
        const char* error; // the reason, or its start; empty: printed
        const char* file = "out";
    } cases[] = {
        { 0, QPageSize::A4, QPageLayout::Portrait, "" },
        { 1, QPageSize::A4, QPageLayout::Portrait, "" },
        { 1, QPageSize::A4, QPageLayout::Landscape, "The page is too small" }, // 20 steps: 260 mm
        { 1, QPageSize::A4, QPageLayout::Portrait, "The file \"%1\" could not be written.",
            "no/such/folder/out" },
        { 2, QPageSize::A5, QPageLayout::Landscape, "" }, // three presets fit
        { 2, QPageSize::A7, QPageLayout::Portrait, "The page is too small" },
        { 3, QPageSize::A4, QPageLayout::Portrait, "" },
        { 3, QPageSize::A4, QPageLayout::Landscape, "" },
        { 3, QPageSize::A5, QPageLayout::Landscape, "The page is too small" },
        { 3, QPageSize::A6, QPageLayout::Portrait, "The page is too small" },
        { 4, QPageSize::A4, QPageLayout::Portrait, "This tab has no table or log to print." },
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        showTab(c.tab);
        const QString path = pdf(QStringLiteral("%1%2").arg(QLatin1String(c.file)).arg(n++));
        QPrinter printer;
        ToPdf(printer, path, c.size, c.orientation);
        QString error;
        EXPECT_EQ(Printing::PrintCurrentTab(h.w(), printer, &error), !*c.error);
        const QString reason = QString::fromUtf8(c.error).replace("%1", path);
        EXPECT_TRUE(
            reason.isEmpty() || reason.endsWith(u'.') ? error == reason : error.startsWith(reason))
            << error.toStdString();
        EXPECT_EQ(PdfPageCount(path), *c.error ? -1 : 1);
    }
    EXPECT_EQ(etp().rows(), 21) << "the table stays as it was";
}

TEST_F(PrintingTest, HeadingsComeFromTheTabsBoxes)
{
    showTab(1);
    combo(1)->setEditText("Ramp");
    description(1)->setText("slow ramp");
    combo(2)->setEditText("Other tab");
    h.s().CurLocation = "Bench 2";
    QStringList page = printed();
    EXPECT_TRUE(page.contains("Table Name : Ramp  (Location : Bench 2)"))
        << page.join('|').toStdString();
    EXPECT_TRUE(page.contains("Table Description : slow ramp"));

    showTab(2);
    h.s().CurLocation.clear();
    page = printed();
    EXPECT_TRUE(page.contains("Table Name : Other tab")) << page.join('|').toStdString();
    EXPECT_TRUE(page.contains("Table Description : "));

    // The live log names the supply; the stored log its own name and time.
    showTab(3);
    h.ui().Option2[0]->setChecked(true);
    h.ui().CmbAddr->setEditText("05");
    h.s().CurLocation = "Lab";
    h.s().CurDescription = "Burn-in";
    h.s().SampleTime = 5;
    h.s().StoredLogDesc = "Overnight";
    page = printed();
    EXPECT_TRUE(page.contains("Address : 05  (Lab)")) << page.join('|').toStdString();
    EXPECT_TRUE(page.contains("Burn-in") && page.contains("Sampling Time: 5S"));
    EXPECT_FALSE(page.contains("Overnight"));

    h.ui().Option2[1]->setEnabled(true);
    h.ui().Option2[1]->setChecked(true);
    h.s().StoredLogName = "Night";
    h.s().StoredLogSampling = 10;
    h.s().StoredLogTime = QTime(22, 15, 7);
    h.s().StoredLog.markEmpty();
    for (int i = 0; i < 5; ++i)
        h.s().StoredLog.shiftIn(10.0f, 1.0f);
    page = printed();
    EXPECT_TRUE(page.contains("Log Name : Night")) << page.join('|').toStdString();
    EXPECT_TRUE(page.contains("Overnight") && page.contains("Sampling Time: 10S"));
    EXPECT_EQ(page.filter(QRegularExpression("^Log Time: .*22:15:07")).size(), 1);
}

// The dialog: cancelled prints nothing; accepted prints; a page too small
// afterwards says why; the Setting tab explains without a dialog.
TEST_F(PrintingTest, PrintDialogThenThePrintOrTheReason)
{
    const struct {
        int tab;
        QPageSize::PageSizeId size;
        bool accept;
        QStringList dialogs;
        QStringList texts;
        int pages;
    } cases[] = {
        { 1, QPageSize::A4, false, { "QPrintDialog" }, {}, -1 },
        { 3, QPageSize::A4, true, { "QPrintDialog" }, {}, 1 },
        { 3, QPageSize::A6, true, { "QPrintDialog" }, { "The page is too small" }, -1 },
        { 4, QPageSize::A4, true, {}, { "This tab has no table or log to print." }, -1 },
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        showTab(c.tab);
        const QString path = pdf(QStringLiteral("dialog%1").arg(n++));
        QPrinter printer;
        ToPdf(printer, path, c.size);
        MessageBoxes boxes;
        boxes.onDialog = [&](QDialog& d) { c.accept ? d.accept() : d.reject(); };
        Printing::PrintWithDialog(h.w(), printer);
        EXPECT_EQ(boxes.dialogs, c.dialogs);
        ASSERT_EQ(boxes.texts.size(), c.texts.size());
        if (!c.texts.isEmpty()) {
            EXPECT_TRUE(boxes.texts[0].startsWith(c.texts[0])) << boxes.texts[0].toStdString();
        }
        EXPECT_EQ(PdfPageCount(path), c.pages);
    }
}

TEST_F(PrintingTest, WithoutPrintersTheDialogOffersPdf)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed here";
    showTab(1);
    combo(1)->setEditText("Ramp");
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString docName;
    MessageBoxes boxes;
    boxes.onDialog = [&](QDialog& dialog) {
        if (auto* print = qobject_cast<QPrintDialog*>(&dialog)) {
            format = print->printer()->outputFormat();
            docName = print->printer()->docName();
        }
        dialog.reject();
    };
    Printing::PrintWithDialog(h.w());
    EXPECT_EQ(boxes.dialogs.size(), 1);
    EXPECT_EQ(format, QPrinter::PdfFormat);
    EXPECT_EQ(docName, QStringLiteral("Ramp"));
}

} // namespace
