#include "app/Printing.h"
#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "programs/ProgramTable.h"
#include "tests/app/PanelHarness.h"
#include "tests/support/RecordingPage.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Pages in a PDF file: "/Type /Page" objects, not the "/Pages" tree.
int PdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(text.count(page));
}

// Handles the modal widgets that appear while an action runs, one action each,
// in order. A modal beyond the given actions is rejected and counted, so a
// surprise box fails the test instead of hanging it.
class ModalCloser {
public:
    using Action = std::function<void(QWidget*)>;

    explicit ModalCloser(std::vector<Action> actions)
        : m_actions(std::move(actions))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    int seen() const { return static_cast<int>(m_classes.size()); }
    const QStringList& classes() const { return m_classes; }
    const QStringList& texts() const { return m_texts; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last)
            return;
        m_last = modal;
        m_classes << QString::fromLatin1(modal->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            m_texts << box->text();
        else
            m_texts << QString();
        const std::size_t index = m_classes.size() - 1;
        if (index < m_actions.size())
            m_actions[index](modal);
        else
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    }

    std::vector<Action> m_actions;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_classes;
    QStringList m_texts;
};

void Accept(QWidget* modal)
{
    QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
}

void Reject(QWidget* modal)
{
    QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
}

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.start()) << h.startError.toStdString(); }

    QString pdfPath(const QString& name) const
    {
        return h.dir.filePath(name + QStringLiteral(".pdf"));
    }

    void toPdf(QPrinter& printer, const QString& path, QPageSize::PageSizeId size = QPageSize::A4,
        QPageLayout::Orientation orientation = QPageLayout::Portrait)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(size));
        printer.setPageOrientation(orientation);
    }

    // Steps 1 to count of the external program, each step k at k volts.
    void fillEtp(int count)
    {
        ProgramTable& etp = h.w().tableE();
        etp.setRowCount(count + 1);
        for (int row = 1; row <= count; ++row) {
            etp.setCell(row, 0, QString::number(row));
            etp.setCell(row, 1, QString::number(row) + QStringLiteral(".0"));
        }
    }

    PanelHarness h;
};

TEST_F(PrintingTest, EveryTabPrintsOnePageToPdf)
{
    for (const int tab : { 0, 1, 2, 3 }) {
        SCOPED_TRACE(tab);
        h.ui().Tab1->setCurrentIndex(tab);
        const QString path = pdfPath(QStringLiteral("tab%1").arg(tab));
        QPrinter printer;
        toPdf(printer, path);
        QString error;
        EXPECT_TRUE(Printing::PrintCurrentTab(h.w(), printer, &error)) << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
        EXPECT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(1, PdfPageCount(path));
    }
}

TEST_F(PrintingTest, LongTablePrintsOnePageAndKeepsItsRows)
{
    h.ui().Tab1->setCurrentIndex(1);
    fillEtp(25);
    const QString path = pdfPath(QStringLiteral("long"));
    QPrinter printer;
    toPdf(printer, path);
    EXPECT_TRUE(Printing::PrintCurrentTab(h.w(), printer));
    EXPECT_EQ(1, PdfPageCount(path));
    EXPECT_EQ(26, h.w().tableE().rows());
    EXPECT_EQ(QStringLiteral("25.0"), h.w().tableE().cell(25, 1));
}

TEST_F(PrintingTest, LongTablePrintsOnlyItsFirstTwentySteps)
{
    h.ui().Tab1->setCurrentIndex(1);
    fillEtp(25);
    RecordingPage page;
    Printing::PrintCurrentTabOn(h.w(), page);
    EXPECT_NE(nullptr, page.find(QStringLiteral("20.0")));
    EXPECT_EQ(nullptr, page.find(QStringLiteral("21.0")));
    EXPECT_EQ(1, page.documentsEnded());
    EXPECT_EQ(26, h.w().tableE().rows());
}

TEST_F(PrintingTest, TableHeadingComesFromTheTabsBoxes)
{
    h.ui().Tab1->setCurrentIndex(1);
    h.ui().CmbTableName[1]->setEditText(QStringLiteral("Ramp"));
    h.ui().TextTableD[1]->setText(QStringLiteral("slow ramp"));
    h.ui().CmbTableName[2]->setEditText(QStringLiteral("Other tab"));
    h.s().CurLocation = QStringLiteral("Bench 2");
    RecordingPage page;
    Printing::PrintCurrentTabOn(h.w(), page);
    EXPECT_NE(nullptr, page.find(QStringLiteral("Table Name : Ramp  (Location : Bench 2)")));
    EXPECT_NE(nullptr, page.find(QStringLiteral("Table Description : slow ramp")));

    h.ui().Tab1->setCurrentIndex(2);
    h.s().CurLocation.clear();
    RecordingPage presets;
    Printing::PrintCurrentTabOn(h.w(), presets);
    EXPECT_NE(nullptr, presets.find(QStringLiteral("Table Name : Other tab")));
    EXPECT_NE(nullptr, presets.find(QStringLiteral("Table Description : ")));
}

TEST_F(PrintingTest, LiveLogHeadingShowsAddressLocationAndDescription)
{
    h.ui().Tab1->setCurrentIndex(3);
    h.ui().Option2[0]->setChecked(true);
    h.ui().CmbAddr->setEditText(QStringLiteral("05"));
    h.s().CurLocation = QStringLiteral("Lab");
    h.s().CurDescription = QStringLiteral("Burn-in");
    h.s().SampleTime = 5;
    h.s().StoredLogDesc = QStringLiteral("not this one");
    RecordingPage page;
    Printing::PrintCurrentTabOn(h.w(), page);
    EXPECT_NE(nullptr, page.find(QStringLiteral("Address : 05  (Lab)")));
    EXPECT_NE(nullptr, page.find(QStringLiteral("Burn-in")));
    EXPECT_NE(nullptr, page.find(QStringLiteral("Sampling Time: 5S")));
    EXPECT_EQ(nullptr, page.find(QStringLiteral("not this one")));
    EXPECT_EQ(1, page.documentsEnded());
}

TEST_F(PrintingTest, StoredLogHeadingShowsTheStoredLog)
{
    h.ui().Tab1->setCurrentIndex(3);
    h.ui().Option2[1]->setEnabled(true);
    h.ui().Option2[1]->setChecked(true);
    h.s().StoredLogName = QStringLiteral("Night");
    h.s().StoredLogDesc = QStringLiteral("Overnight");
    h.s().StoredLogSampling = 10;
    h.s().StoredLogDate = QDate(2025, 3, 4);
    h.s().StoredLogTime = QTime(22, 15, 7);
    h.s().StoredLog.markEmpty();
    for (int i = 0; i < 5; ++i)
        h.s().StoredLog.shiftIn(10.0f, 1.0f);
    RecordingPage page;
    Printing::PrintCurrentTabOn(h.w(), page);
    EXPECT_NE(nullptr, page.find(QStringLiteral("Log Name : Night")));
    EXPECT_NE(nullptr, page.find(QStringLiteral("Overnight")));
    EXPECT_NE(nullptr, page.find(QStringLiteral("Sampling Time: 10S")));
    bool logTime = false;
    for (const RecordingPage::Text& t : page.texts())
        logTime = logTime
            || (t.text.startsWith(QStringLiteral("Log Time: "))
                && t.text.contains(QStringLiteral("22:15:07")));
    EXPECT_TRUE(logTime);
}

TEST_F(PrintingTest, SettingTabHasNothingToPrint)
{
    h.ui().Tab1->setCurrentIndex(4);
    const QString path = pdfPath(QStringLiteral("setting"));
    QPrinter printer;
    toPdf(printer, path);
    QString error;
    EXPECT_FALSE(Printing::PrintCurrentTab(h.w(), printer, &error));
    EXPECT_EQ(QStringLiteral("This tab has no table or log to print."), error);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PrintingTest, UnwritableFileIsReportedNotCrashed)
{
    h.ui().Tab1->setCurrentIndex(1);
    const QString path = h.dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    QPrinter printer;
    toPdf(printer, path);
    QString error;
    EXPECT_FALSE(Printing::PrintCurrentTab(h.w(), printer, &error));
    EXPECT_EQ(QStringLiteral("The file \"%1\" could not be written.").arg(path), error);
    EXPECT_EQ(21, h.w().tableE().rows()) << "the table stays as it was";
}

struct PageCase {
    int tab;
    QPageSize::PageSizeId size;
    QPageLayout::Orientation orientation;
    bool fits;
};

TEST_F(PrintingTest, PageTooSmallForTheLayoutIsRefused)
{
    const PageCase cases[] = {
        { 3, QPageSize::A6, QPageLayout::Portrait, false },
        { 3, QPageSize::A5, QPageLayout::Landscape, false },
        { 3, QPageSize::A4, QPageLayout::Landscape, true },
        { 1, QPageSize::A4, QPageLayout::Landscape, false }, // 20 steps need 260 mm
        { 1, QPageSize::A4, QPageLayout::Portrait, true },
        { 2, QPageSize::A5, QPageLayout::Landscape, true }, // three presets fit
        { 2, QPageSize::A7, QPageLayout::Portrait, false },
    };
    int n = 0;
    for (const PageCase& c : cases) {
        SCOPED_TRACE(n);
        h.ui().Tab1->setCurrentIndex(c.tab);
        const QString path = pdfPath(QStringLiteral("size%1").arg(n++));
        QPrinter printer;
        toPdf(printer, path, c.size, c.orientation);
        QString error;
        EXPECT_EQ(c.fits, Printing::PrintCurrentTab(h.w(), printer, &error));
        EXPECT_EQ(c.fits, QFileInfo::exists(path));
        EXPECT_EQ(!c.fits, error.startsWith(QStringLiteral("The page is too small")))
            << error.toStdString();
    }
}

TEST_F(PrintingTest, DialogCancelledPrintsNothingAndSaysNothing)
{
    h.ui().Tab1->setCurrentIndex(1);
    const QString path = pdfPath(QStringLiteral("cancelled"));
    QPrinter printer;
    toPdf(printer, path);
    ModalCloser closer({ Reject });
    Printing::PrintWithDialog(h.w(), printer);
    EXPECT_EQ(QStringList { QStringLiteral("QPrintDialog") }, closer.classes());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PrintingTest, DialogAcceptedPrintsTheCurrentTab)
{
    h.ui().Tab1->setCurrentIndex(3);
    const QString path = pdfPath(QStringLiteral("accepted"));
    QPrinter printer;
    toPdf(printer, path);
    ModalCloser closer({ Accept });
    Printing::PrintWithDialog(h.w(), printer);
    EXPECT_EQ(1, closer.seen());
    EXPECT_EQ(1, PdfPageCount(path));
}

TEST_F(PrintingTest, PrinterFailureAfterTheDialogShowsTheReason)
{
    h.ui().Tab1->setCurrentIndex(3);
    const QString path = pdfPath(QStringLiteral("small"));
    QPrinter printer;
    toPdf(printer, path, QPageSize::A6);
    ModalCloser closer({ Accept, Accept });
    Printing::PrintWithDialog(h.w(), printer);
    ASSERT_EQ(2, closer.seen());
    EXPECT_EQ(QStringLiteral("QMessageBox"), closer.classes()[1]);
    EXPECT_TRUE(closer.texts()[1].startsWith(QStringLiteral("The page is too small")))
        << closer.texts()[1].toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PrintingTest, WithoutPrintersTheDialogOffersPdf)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed here";
    h.ui().Tab1->setCurrentIndex(1);
    h.ui().CmbTableName[1]->setEditText(QStringLiteral("Ramp"));
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString docName;
    ModalCloser closer({ [&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            format = dialog->printer()->outputFormat();
            docName = dialog->printer()->docName();
        }
        Reject(modal);
    } });
    Printing::PrintWithDialog(h.w());
    EXPECT_EQ(1, closer.seen());
    EXPECT_EQ(QPrinter::PdfFormat, format);
    EXPECT_EQ(QStringLiteral("Ramp"), docName);
}

TEST_F(PrintingTest, PrintOnTheSettingTabExplainsWithoutADialog)
{
    h.ui().Tab1->setCurrentIndex(4);
    ModalCloser closer({ Accept });
    Printing::PrintWithDialog(h.w());
    EXPECT_EQ(QStringList { QStringLiteral("QMessageBox") }, closer.classes());
    EXPECT_EQ(
        QStringList { QStringLiteral("This tab has no table or log to print.") }, closer.texts());
}

} // namespace
