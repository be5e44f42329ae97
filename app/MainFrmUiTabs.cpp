#include "app/MainFrmUi.h"

#include "app/MainFrmUiParts.h"
#include "datalog/ChartWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using UiParts::Caption;
using UiParts::EditableWithoutCompletion;
using UiParts::Indexed;
using UiParts::Named;
using UiParts::Picture;

QTableView* Grid(const char* name, QWidget* parent)
{
    auto* grid = Named(new QTableView(parent), QLatin1String(name));
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(false);
    // The columns keep their widths (dragging one wider scrolled the step
    // numbers out of sight), and Tab moves on to the next control instead of
    // walking every cell and its leave-cell check.
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    return grid;
}

QLineEdit* FloatingEditor(const char* name, QWidget* parent)
{
    auto* editor = Named(new QLineEdit(parent), QLatin1String(name));
    editor->setAlignment(Qt::AlignCenter);
    editor->setFrame(false);
    editor->hide();
    return editor;
}

QComboBox* RangeCombo(const char* name, QWidget* parent)
{
    auto* combo = Named(new QComboBox(parent), QLatin1String(name));
    EditableWithoutCompletion(combo);
    combo->setMinimumContentsLength(6);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

} // namespace

void MainFrmUi::buildTabs(QWidget* central, QVBoxLayout* right)
{
    Tab1 = Named(new QTabWidget(central), QStringLiteral("Tab1"));
    // All five tab captions stay readable: the window is never narrower than they are.
    Tab1->setUsesScrollButtons(false);
    right->addWidget(Tab1, 1);

    auto* pageP = new QWidget;
    auto* pageE = new QWidget;
    auto* pageM = new QWidget;
    auto* pageLog = new QWidget;
    auto* pageSetting = new QWidget;
    Tab1->addTab(pageP, QStringLiteral("Internal Timed Program"));
    Tab1->addTab(pageE, QStringLiteral("External Timed Program"));
    Tab1->addTab(pageM, QStringLiteral("Internal Preset Memory"));
    Tab1->addTab(pageLog, QStringLiteral("Data Log"));
    Tab1->addTab(pageSetting, QStringLiteral("Setting"));
    {
        // Room for every caption with the style's padding around it.
        const QFontMetrics metrics(Tab1->tabBar()->font());
        int width = 0;
        for (int i = 0; i < Tab1->count(); ++i)
            width += metrics.horizontalAdvance(Tab1->tabText(i)) + 3 * metrics.height();
        Tab1->setMinimumWidth(width);
    }

    buildProgramTabs(pageP, pageE, pageM);
    buildDataLogTab(pageLog);
    buildSettingTab(pageSetting);
}

void MainFrmUi::buildProgramTabs(QWidget* pageP, QWidget* pageE, QWidget* pageM)
{
    FGridP = Grid("FGridP", pageP);
    FGridE = Grid("FGridE", pageE);
    FGridM = Grid("FGridM", pageM);
    for (auto [page, grid] :
        { std::pair { pageP, FGridP }, { pageE, FGridE }, { pageM, FGridM } }) {
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(2, 2, 2, 2);
        layout->addWidget(grid);
    }
    TextP = FloatingEditor("TextP", FGridP->viewport());
    TextE = FloatingEditor("TextE", FGridE->viewport());
    TextM = FloatingEditor("TextM", FGridM->viewport());
    for (int k = 0; k <= 20; ++k) {
        OutputCK[k] = Named(new QCheckBox(FGridE->viewport()), Indexed("OutputCK", k));
        OutputCK[k]->setChecked(true);
        OutputCK[k]->hide();
        // Space on a step's row switches its box: twenty Tab stops would be a maze.
        OutputCK[k]->setFocusPolicy(Qt::ClickFocus);
        OutputCK[k]->setAccessibleName(QStringLiteral("Output On, step %1").arg(k));
    }
    for (int k = 0; k <= 9; ++k) {
        Option1[k] = Named(new QRadioButton(FGridM->viewport()), Indexed("Option1", k));
        Option1[k]->hide();
        Option1[k]->setAccessibleName(QStringLiteral("Preset %1").arg(k));
    }
    for (int k = 0; k <= 5; ++k) {
        Label9[k] = Named(new QLabel(pageM), Indexed("Label9", k));
        Label9[k]->hide();
    }
}

// The chart with its scale labels and the source choice.
void MainFrmUi::buildDataLogTab(QWidget* pageLog)
{
    auto* logLayout = new QGridLayout(pageLog);
    logLayout->setContentsMargins(2, 2, 2, 2);
    logLayout->setSpacing(2);
    Picture1 = Named(new QWidget(pageLog), QStringLiteral("Picture1"));
    auto* chart = new QGridLayout(Picture1);
    chart->setContentsMargins(0, 0, 0, 0);
    chart->setSpacing(2);
    PP = Named(new ChartWidget(Picture1), QStringLiteral("PP"));
    auto scaleLabel = [&](const char* name, int k, const QColor& colour) {
        auto* label = Named(new QLabel(Picture1), Indexed(name, k));
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
        return label;
    };
    auto* scaleV = new QVBoxLayout;
    auto* scaleCW = new QVBoxLayout;
    for (int k = 2; k >= 0; --k) {
        PLabV[k] = scaleLabel("PLabV", k, QColor(160, 160, 0));
        PLabC[k] = scaleLabel("PLabC", k, QColor(255, 0, 0));
        PLabW[k] = scaleLabel("PLabW", k, QColor(0, 160, 0));
        scaleV->addWidget(PLabV[k], 0, Qt::AlignRight);
        auto* cw = new QHBoxLayout;
        cw->addWidget(PLabC[k]);
        cw->addWidget(PLabW[k]);
        scaleCW->addLayout(cw);
        if (k > 0) {
            scaleV->addStretch();
            scaleCW->addStretch();
        }
    }
    auto* scaleT = new QHBoxLayout;
    for (int k = 2; k >= 0; --k) {
        PLabT[k] = scaleLabel("PLabT", k, QColor(96, 96, 96));
        scaleT->addWidget(PLabT[k]);
        if (k > 0)
            scaleT->addStretch();
    }
    chart->addLayout(scaleV, 0, 0);
    chart->addWidget(PP, 0, 1);
    chart->addLayout(scaleCW, 0, 2);
    chart->addLayout(scaleT, 1, 1);
    chart->setColumnStretch(1, 1);
    chart->setRowStretch(0, 1);
    logLayout->addWidget(Picture1, 0, 0, 1, 3);
    Option2[0]
        = Named(new QRadioButton(QStringLiteral("Now"), pageLog), QStringLiteral("Option2(0)"));
    Option2[1]
        = Named(new QRadioButton(QStringLiteral("Log"), pageLog), QStringLiteral("Option2(1)"));
    Option2[0]->setChecked(true);
    Option2[1]->setEnabled(false);
    logLayout->addWidget(Option2[0], 1, 0);
    logLayout->addWidget(Option2[1], 1, 1);
    logLayout->setColumnStretch(2, 1);
    logLayout->setRowStretch(0, 1);
}

void MainFrmUi::buildSettingTab(QWidget* pageSetting)
{
    auto* settings = new QGridLayout(pageSetting);
    Label1
        = Named(new QLabel(QStringLiteral("COMM Port :"), pageSetting), QStringLiteral("Label1"));
    CboPort = Named(new QComboBox(pageSetting), QStringLiteral("CboPort"));
    CboAS = Named(new QComboBox(pageSetting), QStringLiteral("CboAS"));
    TextUVL = Named(new QLineEdit(pageSetting), QStringLiteral("TextUVL"));
    TextUCL = Named(new QLineEdit(pageSetting), QStringLiteral("TextUCL"));
    CmdDefault = Named(
        new QPushButton(QStringLiteral("Default"), pageSetting), QStringLiteral("CmdDefault"));
    CmdOK = Named(new QPushButton(QStringLiteral("OK"), pageSetting), QStringLiteral("CmdOK"));
    PictureBtmp = Picture("PictureBtmp", pageSetting);
    const auto settingLabel = [pageSetting](const char* text, QWidget* control) {
        auto* label = new QLabel(QLatin1String(text), pageSetting);
        label->setBuddy(control);
        return label;
    };
    Label1->setBuddy(CboPort);
    settings->addWidget(Label1, 0, 0);
    settings->addWidget(CboPort, 0, 1);
    settings->addWidget(settingLabel("Data Log Sampling Time :", CboAS), 1, 0);
    settings->addWidget(CboAS, 1, 1);
    settings->addWidget(settingLabel("Voltage Upper Limit (UVL) Setting :", TextUVL), 2, 0);
    settings->addWidget(TextUVL, 2, 1);
    settings->addWidget(settingLabel("Current Upper Limit (UCL) Setting :", TextUCL), 3, 0);
    settings->addWidget(TextUCL, 3, 1);
    auto* settingButtons = new QHBoxLayout;
    settingButtons->addStretch();
    settingButtons->addWidget(CmdDefault);
    settingButtons->addWidget(CmdOK);
    settings->addLayout(settingButtons, 4, 0, 1, 2);
    settings->addWidget(PictureBtmp, 0, 2, 5, 1);
    settings->setColumnStretch(2, 1);
    settings->setRowStretch(5, 1);
}

void MainFrmUi::buildChartRanges(QWidget* central, QVBoxLayout* right)
{
    Picture4 = Named(new QWidget(central), QStringLiteral("Picture4"));
    auto* ranges = new QGridLayout(Picture4);
    ranges->setContentsMargins(0, 0, 0, 0);
    ranges->setHorizontalSpacing(4);
    ranges->setVerticalSpacing(2);
    struct Range {
        QComboBox** combo;
        const char* name;
        const char* caption;
        int row, column;
    };
    const Range rangeBoxes[] = {
        { &CmbVMax, "CmbVMax", "V.Max:", 0, 0 },
        { &CmbVMin, "CmbVMin", "V.Min:", 1, 0 },
        { &CmbCMax, "CmbCMax", "C.Max:", 0, 1 },
        { &CmbCMin, "CmbCMin", "C.Min:", 1, 1 },
        { &CmbWMax, "CmbWMax", "W.Max:", 0, 2 },
        { &CmbWMin, "CmbWMin", "W.Min:", 1, 2 },
        { &CmbTMin, "CmbTMin", "T.Min:", 0, 3 },
        { &CmbTLen, "CmbTLen", "T.Len:", 1, 3 },
    };
    for (const Range& r : rangeBoxes) {
        *r.combo = RangeCombo(r.name, Picture4);
        ranges->addWidget(
            Caption(QLatin1String(r.caption), Picture4, *r.combo), r.row, 2 * r.column);
        ranges->addWidget(*r.combo, r.row, 2 * r.column + 1);
    }
    Picture4->hide();
    right->addWidget(Picture4);
}
