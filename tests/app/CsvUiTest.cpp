// Files and pages: one round trip per file kind through the tool bar, refusals leave the file and
// the tab as they were; each tab prints one page or says why not.

#include "app/Printing.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingPage.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <optional>

namespace {

using Button = QMessageBox::StandardButton;

class CsvUiTest : public WindowFixture {
protected:
    QString path(const QString& name) const { return h.dir.filePath(name); }
    // Exports through the save dialog answered with file (nothing: cancelled).
    QStringList exportTo(std::optional<QString> file, QList<Button> answers = {})
    {
        h.prompts.saveFile = [this, file](const QString& start) {
            proposals << QFileInfo(start).fileName();
            return file.value_or(QString());
        };
        return clickTool(2, std::move(answers));
    }
    QStringList importFrom(std::optional<QString> file)
    {
        h.prompts.openFile = [file](const QString&) { return file.value_or(QString()); };
        return clickTool(3);
    }
    void presets(const QStringList& rows, int selected)
    {
        setPresets(rows);
        ipm().setSelectedPreset(selected);
        h.w().presetGrid().placeOverlay();
        h.w().presetGrid().check();
    }
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
    QStringList proposals;
};

TEST_F(CsvUiTest, EveryKindRoundTripsThroughItsTab)
{
    showTab(1);
    for (int r = 1; r <= 20; ++r)
        setEtpRow(r, QStringLiteral("%1.5").arg(r, 2, 10, QLatin1Char('0')),
            QStringLiteral("0.%1").arg(r + 10), QStringLiteral("0%1").arg(r % 3),
            QStringLiteral("%1").arg(r * 2, 2, 10, QLatin1Char('0')), r % 3 != 0);
    typeDescription(1, "twenty steps");
    const QStringList steps = etpRows();
    EXPECT_TRUE(exportTo(path("all.csv")).isEmpty());
    for (int r = 1; r <= 20; ++r)
        setEtpRow(r, "00.0", "0.00", "00", "00", r % 2 == 0);
    typeDescription(1, "other");
    EXPECT_TRUE(importFrom(path("all.csv")).isEmpty());
    EXPECT_EQ(etpRows() << description(1)->text(), QStringList(steps) << "twenty steps");
    // Hundredths of an ampere come back as they went out on this supply.
    showTab(2);
    presets({ "05.0|1.25", "12.5|2.50", "30.0|0.05" }, 2);
    typeDescription(2, "bench");
    EXPECT_TRUE(exportTo(path("presets.csv")).isEmpty());
    presets({ "01.0|0.1" }, 1);
    typeDescription(2, QString());
    EXPECT_TRUE(importFrom(path("presets.csv")).isEmpty());
    EXPECT_EQ(presetRows() << description(2)->text(),
        QStringList({ "1|05.0|1.25", "2|12.5|2.50", "3|30.0|0.05", "bench" }));
    for (int k = 1; k <= 3; ++k)
        EXPECT_TRUE(!selector(k)->isHidden() && selector(k)->isChecked() == (k == 2)) << k;
    // The log goes out at its interval and back as the stored log, which exports the same bytes.
    showTab(3);
    recordLog(4, 10);
    h.s().SampleTime = 3;
    typeDescription(3, "night run");
    EXPECT_TRUE(exportTo(path("run.2.csv")).isEmpty());
    const QByteArray bytes = FileBytes(path("run.csv"));
    h.s().StoredLogSampling = 60;
    typeDescription(3, QString());
    EXPECT_TRUE(importFrom(path("run.csv")).isEmpty());
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(i == 4 ? LogSamples::isEndMark(h.s().StoredLog.volts[i])
                           : h.s().StoredLog.volts[i] == h.s().LogSamples.volts[i]
                    && h.s().StoredLog.amps[i] == h.s().LogSamples.amps[i])
            << i;
    EXPECT_EQ(h.s().StoredLogName + description(3)->text(), QStringLiteral("runnight run"));
    EXPECT_EQ(h.s().StoredLogSampling, 3);
    EXPECT_TRUE(h.ui().Option2[1]->isEnabled() && h.ui().Option2[1]->isChecked());
    EXPECT_TRUE(exportTo(path("again")).isEmpty() && FileBytes(path("again.csv")) == bytes);
    EXPECT_EQ(proposals,
        QStringList({ "ETP-A-0001.csv", "IPM-A-0001.csv",
            "Now-" + h.clock.now().toString("yyyyMMdd-HHmmss") + ".csv", "Log-run.csv" }));
    // One sample gives no interval: the previous one stays.
    ASSERT_TRUE(WriteFile(path("one.csv"),
        "Type:LOG\r\nDescription:\r\nTime(S),Voltage(mV),Current(mA)\r\n0,5000,100\r\n"));
    EXPECT_TRUE(importFrom(path("one.csv")).isEmpty());
    EXPECT_TRUE(h.s().StoredLogSampling == 3 && h.s().StoredLog.volts[0] == 5.0f);
}

// Cancel changes nothing; no replacing but after Yes and whole.
TEST_F(CsvUiTest, RefusalsLeaveTheFileAndTheTabAsTheyWere)
{
    showTab(1);
    const QStringList before = etpRows();
    EXPECT_TRUE(exportTo(std::nullopt).isEmpty() && importFrom(std::nullopt).isEmpty());
    EXPECT_TRUE(etpRows() == before && !QFile::exists(path("keep.csv")));
    ASSERT_TRUE(WriteFile(path("keep.csv"), "old"));
    const QStringList question { "File 'keep.csv' already exist. Overwrte it ?" };
    EXPECT_EQ(exportTo(path("keep"), { Button::No }), question);
    EXPECT_EQ(FileBytes(path("keep.csv")), QByteArray("old"));
    etp().setCell(3, 1, "abc");
    const QStringList texts = exportTo(path("keep.csv"), { Button::Yes });
    EXPECT_TRUE(texts.size() == 2 && !texts[1].isEmpty()) << texts.join('|').toStdString();
    EXPECT_EQ(FileBytes(path("keep.csv")), QByteArray("old"));
    etp().setCell(3, 1, "05.0");
    EXPECT_EQ(exportTo(path("keep.txt"), { Button::Yes }), question);
    EXPECT_TRUE(FileBytes(path("keep.csv")).startsWith("Type:ETP\r\n"));
    EXPECT_FALSE(QFile::exists(path("keep.txt")));
    // Not the rows, not the name, not the description.
    ASSERT_TRUE(WriteFile(path("etp.csv"),
        "Type:ETP\r\nDescription:broken\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
        "Output\r\n1,500,250,01,30,1\r\n2,600,250,01,30,0\r\n3,700"));
    ASSERT_TRUE(
        WriteFile(path("ipm.csv"), "Type:IPM\r\n") && WriteFile(path("log.csv"), "Type:LOG\r\n"));
    const struct {
        int tab;
        const char *file, *message; // or its start
    } cases[] = {
        { 1, "missing.csv", "The file '" },
        { 1, "etp.csv", "Line 6: " },
        { 1, "ipm.csv", "Sorry ! The file isn't a 'External Timed Program' table ." },
        { 2, "log.csv", "Sorry ! The file isn't a 'Internal Preset Memory' table ." },
        { 3, "etp.csv", "Sorry ! The file isn't a 'Data Log' table ." },
    };
    presets({ "05.0|1.0", "12.5|2.5", "20.0|0.5" }, 3);
    h.s().StoredLog.markEmpty();
    h.s().StoredLogName = "kept";
    const QStringList rows = etpRows() + presetRows();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        showTab(c.tab);
        typeDescription(c.tab, "mine");
        const QStringList shown = importFrom(path(c.file));
        EXPECT_TRUE(shown.size() == 1 && shown[0].startsWith(QLatin1String(c.message)))
            << shown.join('|').toStdString();
        EXPECT_EQ(etpRows() + presetRows(), rows);
        EXPECT_EQ(ipm().selectedPreset(), 3);
        EXPECT_EQ(description(c.tab)->text() + h.s().StoredLogName, QStringLiteral("minekept"));
        EXPECT_TRUE(LogSamples::isEndMark(h.s().StoredLog.volts[0]));
        EXPECT_FALSE(h.ui().Option2[1]->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// Else the reason and no file; through the dialog the same, the reason in a box.
TEST_F(CsvUiTest, EachTabPrintsOnePageOrSaysWhyNotWithHeadingsFromItsBoxes)
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
    // The stored log prints its own name and interval; without printers the dialog offers a PDF.
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

} // namespace
