#include "app/StorageActions.h"

#include "app/CsvActions.h"
#include "app/FocusSelection.h"
#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "core/Clock.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"
#include "session/SupplySession.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StorageMessages.h"
#include "storage/StoredTables.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <algorithm>
#include <exception>

namespace {

constexpr int kEtpSteps = 20; // the output check boxes 1 to 20

std::size_t At(int index)
{
    return static_cast<std::size_t>(index);
}

std::size_t At(Tab tab)
{
    return TabSlot(tab);
}

std::optional<StoredKind> KindOf(Tab tab)
{
    return StoredKindOfTab(TabIndex(tab));
}

} // namespace

StorageActions::StorageActions(MainFrmUi& ui_, WindowState& state, const Tables& tables,
    const SupplySession& session, Clock& clock, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , ui(ui_)
    , S(state)
    , m_tables(tables)
    , m_session(session)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_csv(new CsvActions(ui_, state, tables, session, clock, prompts, this))
{
    setObjectName(QStringLiteral("StorageActions"));
    connect(
        m_csv, &CsvActions::externalProgramChanged, this, &StorageActions::externalProgramChanged);
    connect(m_csv, &CsvActions::presetsChanged, this, &StorageActions::showPresetSelectors);
    connect(m_csv, &CsvActions::storedLogImported, this, &StorageActions::showStoredLog);
}

void StorageActions::ExportCsv()
{
    m_csv->ExportCsv();
}

void StorageActions::ImportCsv()
{
    m_csv->ImportCsv();
}

void StorageActions::setDatabase(OvoltaDatabase* database)
{
    m_db = database;
}

void StorageActions::wire()
{
    const std::array<std::function<void()>, 6> actions { {
        {},
        [this] { SaveTableToDb(); },
        [this] { ExportCsv(); },
        [this] { ImportCsv(); },
        [this] { DeleteTableFromDb(); },
        [this] { Q_EMIT printRequested(); },
    } };
    // The desktop's own keys, active while the tool bar shows; Delete asks
    // its question as the button does. Desktops without a Save As key get the
    // common one.
    const std::array<QAction*, 6> buttons { nullptr, ui.saveButton, ui.exportButton,
        ui.importButton, ui.deleteButton, ui.printButton };
    const std::array<QKeySequence::StandardKey, 6> keys { QKeySequence::UnknownKey,
        QKeySequence::Save, QKeySequence::SaveAs, QKeySequence::Open, QKeySequence::Delete,
        QKeySequence::Print };
    for (std::size_t i = 1; i < actions.size(); ++i) {
        QList<QKeySequence> bindings = QKeySequence::keyBindings(keys[i]);
        if (bindings.isEmpty() && keys[i] == QKeySequence::SaveAs)
            bindings << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
        buttons[i]->setShortcuts(bindings);
        connect(buttons[i], &QAction::triggered, this,
            [this, action = actions[i]] { runAction(action); });
    }
    // Delete on a grid belongs to the cell, as in a text box (which keeps it
    // by itself): it never offers to delete the stored table.
    for (QTableView* grid : { ui.FGridP, ui.FGridE, ui.FGridM })
        grid->installEventFilter(this);
    for (int t = 0; t < kStoredKindCount; ++t) {
        QComboBox* combo = ui.CmbTableName[At(t)];
        connect(combo, &QComboBox::activated, this,
            [this, t](int) { runAction([this, t] { CmbTableName_Click(static_cast<Tab>(t)); }); });
        connect(combo, &QComboBox::editTextChanged, this, &StorageActions::updateButtons);
        ui.TextTableD[At(t)]->installEventFilter(this);
    }
    // Start-up opens the database and then shows its first tab: the lists are
    // filled at that moment.
    connect(ui.Tab1, &QTabWidget::currentChanged, this, [this] {
        if (!m_listsFilled && m_db)
            RefreshTableLists();
    });
    connect(ui.CmdCT, &QPushButton::clicked, this, &StorageActions::clearTableClick);
    ui.Toolbar2->installEventFilter(this);
    ui.Toolbar2->setMouseTracking(true);
}

void StorageActions::applyLanguage()
{
    const Captions& c = Captions::English();
    ui.LabelTableName->setText(c.tableName + QStringLiteral(":"));
    ui.LabelTableDescription->setText(c.tableDescription + QStringLiteral(":"));
    ui.saveButton->setToolTip(QStringLiteral("Save to data of Ovolta"));
    ui.exportButton->setToolTip(QStringLiteral("Save a file of csv type"));
    ui.importButton->setToolTip(QStringLiteral("Open a file of csv type"));
    ui.deleteButton->setToolTip(QStringLiteral("Delete for data of Ovolta"));
    ui.printButton->setToolTip(QStringLiteral("Print"));
}

void StorageActions::nameToolTips()
{
    const Tab tab = currentTab();
    const Captions& c = Captions::English();
    if (tab == Tab::InternalProgram || tab == Tab::Presets) {
        ui.saveButton->setToolTip(c.saveTable);
        ui.deleteButton->setToolTip(c.deleteTable);
        ui.printButton->setToolTip(c.printTable);
    } else if (tab == Tab::DataLog) {
        ui.saveButton->setToolTip(c.saveLog);
        ui.deleteButton->setToolTip(c.deleteLog);
        ui.printButton->setToolTip(c.printLog);
    }
}

void StorageActions::updateButtons()
{
    const Tab tab = currentTab();
    if (!HasTable(tab))
        return;
    const QString name = ui.CmbTableName[At(tab)]->currentText();
    const bool named = !StoredTables::IsUntitled(name);
    // Import and Delete would change the program under a run.
    const bool programRuns = tab == Tab::ExternalProgram && m_session.programRunning();
    ui.saveButton->setEnabled(named);
    ui.importButton->setEnabled(!programRuns);
    ui.deleteButton->setEnabled(named && !programRuns);
    ui.printButton->setEnabled(ui.exportButton->isEnabled());
}

void StorageActions::tabShown(Tab tab)
{
    if (tab == Tab::Setting) {
        ui.saveButton->setEnabled(false);
        ui.deleteButton->setEnabled(false);
    }
    ui.Picture2->setVisible(HasTable(tab));
    const bool running = m_session.programRunning();
    for (int t = 0; t < kStoredKindCount; ++t) {
        const bool shown = t == TabIndex(tab);
        ui.CmbTableName[At(t)]->setVisible(shown);
        ui.CmbTableName[At(t)]->setEnabled(
            shown && !(t == TabIndex(Tab::ExternalProgram) && running));
        ui.TextTableD[At(t)]->setVisible(shown);
        ui.TextTableD[At(t)]->setEnabled(shown);
    }
    const Captions& c = Captions::English();
    if (tab == Tab::DataLog) {
        ui.LabelTableName->setText(c.logName + QStringLiteral(":"));
        ui.LabelTableDescription->setText(c.logDescription + QStringLiteral(":"));
    } else {
        ui.LabelTableName->setText(c.tableName + QStringLiteral(":"));
        ui.LabelTableDescription->setText(c.tableDescription + QStringLiteral(":"));
    }
    ui.exportButton->setEnabled(tab != Tab::Setting);
    ui.printButton->setEnabled(ui.exportButton->isEnabled());
    updateButtons();
}

void StorageActions::clearTableClick()
{
    const Tab tab = currentTab();
    if (!HasTable(tab))
        return;
    if (tab == Tab::ExternalProgram || tab == Tab::Presets)
        Q_EMIT tableCleared(tab);
    ui.CmbTableName[At(tab)]->setEditText(TableRules::kUntitled);
    ui.TextTableD[At(tab)]->clear();
    updateButtons();
}

bool StorageActions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.Toolbar2) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            nameToolTips();
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QTableView*>(watched)
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* box : ui.TextTableD) {
            if (watched == box)
                FocusSelection::SelectAllOnFocus(box, event);
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- helpers

void StorageActions::runAction(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        tell(QString::fromLocal8Bit(error.what()));
    }
}

bool StorageActions::ask(const QString& question)
{
    return m_prompts.ask(question);
}

void StorageActions::tell(const QString& text)
{
    m_prompts.tell(text);
}

Tab StorageActions::currentTab() const
{
    return ui.currentTab();
}

void StorageActions::showPresetSelectors()
{
    // The grid's check decides which presets are valid enough to be selected.
    Q_EMIT presetsChanged();
}

void StorageActions::chooseLiveLog()
{
    ui.Option2[0]->setChecked(true);
    ui.Option2[1]->setEnabled(false);
}

void StorageActions::showStoredLog()
{
    ui.Option2[1]->setEnabled(true);
    if (ui.Option2[1]->isChecked())
        Q_EMIT storedLogChanged();
    else
        ui.Option2[1]->setChecked(true); // the window redraws on the switch
}

// ---------------------------------------------------------------- name lists

void StorageActions::RefreshTableLists()
{
    std::array<QStringList, kStoredKindCount> lists;
    if (OvoltaDatabase* db = m_db) {
        const StoredTables tables(*db);
        // A file another program holds cannot be read: the lists stay as they
        // are rather than show nothing stored.
        if (m_listsFilled && !tables.readable()) {
            updateButtons();
            return;
        }
        lists = tables.tableLists();
        m_listsFilled = true;
    }
    for (int t = 0; t < kStoredKindCount; ++t) {
        QComboBox* combo = ui.CmbTableName[At(t)];
        const QString text = combo->currentText();
        {
            const QSignalBlocker quiet(combo);
            combo->clear();
            combo->addItem(TableRules::kUntitled);
            combo->addItems(lists[At(t)]);
            const int found = text.isEmpty() ? 0 : combo->findText(text);
            if (found >= 0)
                combo->setCurrentIndex(found);
            else
                combo->setEditText(text);
        }
        if (text.isEmpty())
            ui.TextTableD[At(t)]->clear();
    }
    updateButtons();
}

// ---------------------------------------------------------------- save and delete

void StorageActions::SaveTableToDb()
{
    const Tab tab = currentTab();
    const std::optional<StoredKind> kind = KindOf(tab);
    OvoltaDatabase* db = m_db;
    if (!kind || !db)
        return;
    QComboBox* combo = ui.CmbTableName[At(tab)];
    const QString name = combo->currentText();
    if (StoredTables::IsUntitled(name)) {
        combo->setFocus();
        return;
    }
    StoredTables tables(*db);
    if (tables.exists(*kind, name) && !ask(StorageMessages::OverwriteQuestion(*kind)))
        return;

    StoredTables::SaveInfo info;
    info.description = ui.TextTableD[At(tab)]->text();
    info.sampling = S.SampleTime;
    info.savedAt = m_clock.now();

    const Outcome<void> saved = [&]() -> Outcome<void> {
        switch (*kind) {
        case StoredKind::DataLog:
            return tables.saveLog(name, S.LogSamples, info);
        case StoredKind::PresetMemory:
            return tables.savePresets(name, m_tables.presets.presets(), info);
        case StoredKind::InternalProgram:
            return tables.saveProgram(*kind, name, m_tables.internalProgram.steps(), info);
        case StoredKind::ExternalProgram:
            return tables.saveProgram(*kind, name, m_tables.externalProgram.steps(), info);
        }
        return {};
    }();
    if (!saved)
        tell(saved.error());
    RefreshTableLists();
}

void StorageActions::DeleteTableFromDb()
{
    const Tab tab = currentTab();
    const std::optional<StoredKind> kind = KindOf(tab);
    OvoltaDatabase* db = m_db;
    if (!kind || !db)
        return;
    const QString name = ui.CmbTableName[At(tab)]->currentText();
    if (StoredTables::IsUntitled(name))
        return;
    StoredTables tables(*db);
    if (const Outcome<void> read = tables.readable(); !read) {
        tell(read.error());
        return;
    }
    if (!tables.exists(*kind, name)) {
        // Nothing is left to delete but the name in the list.
        const Outcome<void> forgotten = tables.forgetMissing(*kind, name);
        tell(forgotten ? StorageMessages::TableNoExist(name) : forgotten.error());
        RefreshTableLists();
        return;
    }
    if (!ask(StorageMessages::DeleteQuestion(*kind, name)))
        return;
    if (const Outcome<void> removed = tables.remove(*kind, name); !removed) {
        tell(removed.error());
        RefreshTableLists();
        return;
    }
    clearAfterDelete(tab);
    RefreshTableLists();
}

void StorageActions::clearAfterDelete(Tab tab)
{
    QComboBox* combo = ui.CmbTableName[At(tab)];
    combo->setCurrentIndex(0);
    combo->setEditText(TableRules::kUntitled);
    ui.TextTableD[At(tab)]->clear();
    if (tab == Tab::DataLog)
        chooseLiveLog();
    else if (tab == Tab::ExternalProgram || tab == Tab::Presets)
        Q_EMIT tableCleared(tab);
}

// ---------------------------------------------------------------- loading

void StorageActions::CmbTableName_Click(Tab tab)
{
    updateButtons();
    const std::optional<StoredKind> kind = KindOf(tab);
    if (!kind)
        return;
    const QString name = ui.CmbTableName[At(tab)]->currentText();
    if (StoredTables::IsUntitled(name)) {
        ui.TextTableD[At(tab)]->clear();
        if (name == TableRules::kUntitled && !m_session.state().connected) {
            if (*kind == StoredKind::InternalProgram) {
                m_tables.internalProgram.cutToHeader();
            } else if (*kind == StoredKind::PresetMemory) {
                m_tables.presets.cutToHeader();
                Q_EMIT presetsEmptied();
            }
        }
        if (*kind == StoredKind::DataLog)
            chooseLiveLog();
        return;
    }
    if (!m_db)
        return;
    switch (*kind) {
    case StoredKind::InternalProgram:
    case StoredKind::ExternalProgram:
        loadEtpRows(tab);
        break;
    case StoredKind::PresetMemory:
        loadPresets(tab);
        break;
    case StoredKind::DataLog:
        loadLog(tab);
        break;
    }
}

template <typename Rows>
const Rows* StorageActions::showLoad(Tab tab, const StoredTables::Load<Rows>& load)
{
    if (load.catalogue)
        ui.TextTableD[At(tab)]->setText(load.catalogue->descriptionText());
    if (!load.rows) {
        // A preset or log table of the wrong size is passed over without a word.
        if (!load.rows.error().isEmpty())
            tell(load.rows.error());
        return nullptr;
    }
    return &*load.rows;
}

void StorageActions::loadEtpRows(Tab tab)
{
    const StoredKind kind = *KindOf(tab);
    const StoredTables::ProgramLoad load
        = StoredTables(*m_db).loadProgram(kind, ui.CmbTableName[At(tab)]->currentText());
    const std::vector<ProgramStep>* stored = showLoad(tab, load);
    // The Internal Timed Program grid holds no rows: only the description shows.
    if (!stored || kind != StoredKind::ExternalProgram)
        return;

    ProgramTable& etp = m_tables.externalProgram;
    // The stored steps go over the grid's first rows; an empty grid gets its 20
    // rows first. Stored rows past the last check box are left out.
    std::vector<ProgramStep> steps = etp.steps();
    if (steps.empty())
        steps.resize(kEtpSteps);
    const std::size_t count = std::min(stored->size(), At(kEtpSteps));
    if (steps.size() < count)
        steps.resize(count);
    std::copy_n(stored->begin(), count, steps.begin());
    etp.setSteps(steps);
    Q_EMIT externalProgramChanged();
}

void StorageActions::loadPresets(Tab tab)
{
    const StoredTables::PresetLoad load
        = StoredTables(*m_db).loadPresets(ui.CmbTableName[At(tab)]->currentText());
    const std::vector<PresetRow>* presets = showLoad(tab, load);
    if (!presets)
        return;
    ProgramTable& ipm = m_tables.presets;
    ipm.cutToHeader();
    ipm.setPresets(*presets);
    showPresetSelectors();
}

void StorageActions::loadLog(Tab tab)
{
    const StoredTables::LogLoad load
        = StoredTables(*m_db).loadLog(ui.CmbTableName[At(tab)]->currentText());
    const LogSamples* samples = showLoad(tab, load);
    if (!samples)
        return;
    S.StoredLog = *samples;
    if (load.catalogue) {
        const StoredTables::CatalogueRow& row = *load.catalogue;
        S.StoredLogName = row.name;
        if (row.date.isValid())
            S.StoredLogDate = row.date;
        if (row.time.isValid())
            S.StoredLogTime = row.time;
        if (row.sampling)
            S.StoredLogSampling = *row.sampling;
        if (row.description)
            S.StoredLogDesc = *row.description;
    }
    showStoredLog();
}
