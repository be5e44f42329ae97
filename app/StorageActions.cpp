#include "app/StorageActions.h"

#include "app/FocusSelection.h"
#include "app/ProgramTabs.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/Printing.h"
#include "app/WindowState.h"
#include "core/Clock.h"
#include "storage/CsvFiles.h"
#include "storage/CsvImporter.h"
#include "storage/CsvPaths.h"
#include "storage/CsvWriter.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StorageMessages.h"
#include "storage/StoredTables.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <exception>

namespace {

constexpr int kEtpSteps = 20; // the output check boxes 1 to 20
constexpr int kSelectors = 9; // preset selectors 1 to 9
const QString kCsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");

std::size_t At(int index)
{
    return static_cast<std::size_t>(index);
}

// The busy pointer shows until the import has filled its table.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

StorageActions::StorageActions(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
    setObjectName(QStringLiteral("StorageActions"));
}

void StorageActions::wire()
{
    const std::array<std::function<void()>, 6> actions { {
        {},
        [this] { SaveTableToDb(); },
        [this] { ExportCsv(); },
        [this] { ImportCsv(); },
        [this] { DeleteTableFromDb(); },
        [this] { Printing::PrintWithDialog(m_window); },
    } };
    // The desktop's own keys, active while the tool bar shows; Delete asks
    // its question as the button does. Desktops without a Save As key get the
    // common one.
    const std::array<QKeySequence::StandardKey, 6> keys { QKeySequence::UnknownKey,
        QKeySequence::Save, QKeySequence::SaveAs, QKeySequence::Open, QKeySequence::Delete,
        QKeySequence::Print };
    for (std::size_t i = 1; i < actions.size(); ++i) {
        QList<QKeySequence> bindings = QKeySequence::keyBindings(keys[i]);
        if (bindings.isEmpty() && keys[i] == QKeySequence::SaveAs)
            bindings << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
        ui.Toolbar2Buttons[i]->setShortcuts(bindings);
        connect(ui.Toolbar2Buttons[i], &QAction::triggered, this,
            [this, action = actions[i]] { runAction(action); });
    }
    // Delete on a grid belongs to the cell, as in a text box (which keeps it
    // by itself): it never offers to delete the stored table.
    for (QTableView* grid : { ui.FGridP, ui.FGridE, ui.FGridM })
        grid->installEventFilter(this);
    for (int t = 0; t < kStoredKindCount; ++t) {
        QComboBox* combo = ui.CmbTableName[At(t)];
        connect(combo, &QComboBox::activated, this,
            [this, t](int) { runAction([this, t] { CmbTableName_Click(t); }); });
        connect(
            combo, &QComboBox::editTextChanged, this, [this] { m_window.UpdateStorageButtons(); });
        ui.TextTableD[At(t)]->installEventFilter(this);
    }
    // Start-up opens the database and then shows its first tab: the lists are
    // filled at that moment.
    connect(ui.Tab1, &QTabWidget::currentChanged, this, [this] {
        if (!m_listsFilled && m_window.database())
            RefreshTableLists();
    });
}

void StorageActions::setSaveFileDialog(SaveFileDialog dialog)
{
    m_saveDialog = std::move(dialog);
}

void StorageActions::setOpenFileDialog(OpenFileDialog dialog)
{
    m_openDialog = std::move(dialog);
}

bool StorageActions::eventFilter(QObject* watched, QEvent* event)
{
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
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
        QMessageBox::Yes | QMessageBox::No, &m_window);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void StorageActions::tell(const QString& text)
{
    QMessageBox box(
        QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, &m_window);
    box.exec();
}

int StorageActions::currentTab() const
{
    return ui.Tab1->currentIndex();
}

void StorageActions::showPresetSelectors()
{
    ProgramTabs& programs = m_window.programs();
    programs.PlacePresetSelectors();
    // The check decides which presets are valid enough to be selected.
    programs.CheckIpmTable();
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
        m_window.DrawChart();
    else
        ui.Option2[1]->setChecked(true); // the window redraws on the switch
}

// ---------------------------------------------------------------- name lists

void StorageActions::RefreshTableLists()
{
    std::array<QStringList, kStoredKindCount> lists;
    if (OvoltaDatabase* db = m_window.database()) {
        const StoredTables tables(*db);
        // A file another program holds cannot be read: the lists stay as they
        // are rather than show nothing stored.
        if (m_listsFilled && !tables.readable()) {
            m_window.UpdateStorageButtons();
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
    m_window.UpdateStorageButtons();
}

// ---------------------------------------------------------------- save and delete

void StorageActions::SaveTableToDb()
{
    const int tab = currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(tab);
    OvoltaDatabase* db = m_window.database();
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
    info.savedAt = m_window.clock().now();

    const Outcome<void> saved = [&]() -> Outcome<void> {
        switch (*kind) {
        case StoredKind::DataLog:
            return tables.saveLog(name, S.LogSamples, info);
        case StoredKind::PresetMemory:
            return tables.savePresets(name, m_window.tableM().presets(), info);
        case StoredKind::InternalProgram:
            return tables.saveProgram(*kind, name, m_window.tableP().steps(), info);
        case StoredKind::ExternalProgram:
            return tables.saveProgram(*kind, name, m_window.tableE().steps(), info);
        }
        return {};
    }();
    if (!saved)
        tell(saved.error());
    RefreshTableLists();
}

void StorageActions::DeleteTableFromDb()
{
    const int tab = currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(tab);
    OvoltaDatabase* db = m_window.database();
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

void StorageActions::clearAfterDelete(int tab)
{
    QComboBox* combo = ui.CmbTableName[At(tab)];
    combo->setCurrentIndex(0);
    combo->setEditText(TableRules::kUntitled);
    ui.TextTableD[At(tab)]->clear();
    if (tab == StoredKindIndex(StoredKind::DataLog)) {
        chooseLiveLog();
        return;
    }
    ProgramTabs& programs = m_window.programs();
    if (tab == StoredKindIndex(StoredKind::ExternalProgram)) {
        TableRules::ClearTable(m_window.tableE(), m_window.supply().currFormat);
        programs.CheckEtpTable();
    } else if (tab == StoredKindIndex(StoredKind::PresetMemory)) {
        TableRules::ClearTable(m_window.tableM(), m_window.supply().currFormat);
        programs.CheckIpmTable();
    }
}

// ---------------------------------------------------------------- loading

void StorageActions::CmbTableName_Click(int tab)
{
    m_window.UpdateStorageButtons();
    const std::optional<StoredKind> kind = StoredKindOfTab(tab);
    if (!kind)
        return;
    const QString name = ui.CmbTableName[At(tab)]->currentText();
    if (StoredTables::IsUntitled(name)) {
        ui.TextTableD[At(tab)]->clear();
        if (name == TableRules::kUntitled && !m_window.supply().connected) {
            if (*kind == StoredKind::InternalProgram) {
                m_window.tableP().cutToHeader();
            } else if (*kind == StoredKind::PresetMemory) {
                m_window.tableM().cutToHeader();
                for (int k = 1; k <= kSelectors; ++k)
                    ui.Option1[At(k)]->hide();
            }
        }
        if (*kind == StoredKind::DataLog)
            chooseLiveLog();
        return;
    }
    if (!m_window.database())
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
const Rows* StorageActions::showLoad(int tab, const StoredTables::Load<Rows>& load)
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

void StorageActions::loadEtpRows(int tab)
{
    const StoredKind kind = *StoredKindOfTab(tab);
    const StoredTables::ProgramLoad load
        = StoredTables(*m_window.database())
              .loadProgram(kind, ui.CmbTableName[At(tab)]->currentText());
    const std::vector<ProgramStep>* stored = showLoad(tab, load);
    // The Internal Timed Program grid holds no rows: only the description shows.
    if (!stored || kind != StoredKind::ExternalProgram)
        return;

    ProgramTable& etp = m_window.tableE();
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
    m_window.programs().CheckEtpTable();
    m_window.programs().PlaceOutputChecks();
}

void StorageActions::loadPresets(int tab)
{
    const StoredTables::PresetLoad load
        = StoredTables(*m_window.database()).loadPresets(ui.CmbTableName[At(tab)]->currentText());
    const std::vector<PresetRow>* presets = showLoad(tab, load);
    if (!presets)
        return;
    ProgramTable& ipm = m_window.tableM();
    ipm.cutToHeader();
    ipm.setPresets(*presets);
    showPresetSelectors();
}

void StorageActions::loadLog(int tab)
{
    const StoredTables::LogLoad load
        = StoredTables(*m_window.database()).loadLog(ui.CmbTableName[At(tab)]->currentText());
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

// ---------------------------------------------------------------- CSV files

std::optional<QString> StorageActions::askSavePath(const QString& proposedName)
{
    if (m_saveDialog)
        return m_saveDialog(proposedName);
    const QString start
        = m_dialogFolder.isEmpty() ? proposedName : QDir(m_dialogFolder).filePath(proposedName);
    // The overwrite question comes after the extension is forced, so the
    // dialog asks none of its own.
    const QString path = QFileDialog::getSaveFileName(
        &m_window, QString(), start, kCsvFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    m_dialogFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> StorageActions::askOpenPath()
{
    if (m_openDialog)
        return m_openDialog();
    const QString path
        = QFileDialog::getOpenFileName(&m_window, QString(), m_dialogFolder, kCsvFilter);
    if (path.isEmpty())
        return std::nullopt;
    m_dialogFolder = QFileInfo(path).absolutePath();
    return path;
}

void StorageActions::ExportCsv()
{
    const int tab = currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(tab);
    if (!kind)
        return;
    LogSource source = LogSource::None;
    if (ui.Option2[0]->isChecked())
        source = LogSource::Live;
    else if (ui.Option2[1]->isChecked())
        source = LogSource::Stored;
    if (const std::optional<QString> proposed
        = CsvPaths::ProposedExportName(*kind, source, m_window.clock().now(), S.StoredLogName))
        m_exportName = *proposed;

    const std::optional<QString> chosen = askSavePath(m_exportName);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = CsvPaths::WithCsvExtension(*chosen);
    if (QFileInfo::exists(path) && !ask(StorageMessages::FileAlreadyExist(path)))
        return;

    const QString description = ui.TextTableD[At(tab)]->text();
    // The Internal Timed Program has no file form: its file stays empty.
    Outcome<QByteArray> bytes = QByteArray();
    switch (*kind) {
    case StoredKind::InternalProgram:
        break;
    case StoredKind::ExternalProgram:
        bytes = CsvWriter::EtpFile(description, m_window.tableE().steps());
        break;
    case StoredKind::PresetMemory: {
        const ProgramTable& ipm = m_window.tableM();
        bytes = CsvWriter::IpmFile(description, ipm.presets(), ipm.selectedPreset());
        break;
    }
    case StoredKind::DataLog:
        if (source == LogSource::Live) {
            bytes = CsvWriter::LogFile(description, S.LogSamples, S.SampleTime);
        } else if (source == LogSource::Stored) {
            bytes = CsvWriter::LogFile(description, S.StoredLog, S.StoredLogSampling);
        } else {
            LogSamples none;
            none.markEmpty();
            bytes = CsvWriter::LogFile(description, none, 0);
        }
        break;
    }
    // A cell that cannot be written leaves the file as it was.
    if (!bytes) {
        tell(bytes.error());
        return;
    }
    if (const Outcome<void> written = CsvFiles::Write(path, *bytes); !written)
        tell(written.error());
}

void StorageActions::ImportCsv()
{
    const int tab = currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(tab);
    if (!kind)
        return;
    const std::optional<QString> chosen = askOpenPath();
    if (!chosen || chosen->isEmpty())
        return;
    const Outcome<QByteArray> file = CsvFiles::Read(*chosen);
    if (!file) {
        tell(file.error());
        return;
    }
    switch (*kind) {
    case StoredKind::InternalProgram:
        break; // no file form: nothing is read
    case StoredKind::ExternalProgram:
        importEtp(*file);
        break;
    case StoredKind::PresetMemory:
        importIpm(*file);
        break;
    case StoredKind::DataLog:
        importLog(*file, CsvPaths::ImportBaseName(*chosen));
        break;
    }
}

// An import changes the tab only when the whole file was read: on any problem
// the table, its name and its description stay as they were.
void StorageActions::importEtp(const QByteArray& bytes)
{
    const Outcome<CsvImporter::EtpFile> imported = CsvImporter::ImportEtp(bytes);
    if (!imported) {
        tell(imported.error());
        return;
    }
    const BusyCursor busy;
    ProgramTable& etp = m_window.tableE();
    etp.cutToHeader();
    ui.TextTableD[At(StoredKindIndex(StoredKind::ExternalProgram))]->setText(imported->description);
    // Each output goes to the box that lies over its row, whatever step number
    // the file gave.
    etp.setSteps(imported->steps);
    m_window.programs().CheckEtpTable();
    m_window.programs().PlaceOutputChecks();
}

void StorageActions::importIpm(const QByteArray& bytes)
{
    const Outcome<CsvImporter::IpmFile> imported
        = CsvImporter::ImportIpm(bytes, m_window.supply().currFormat);
    if (!imported) {
        tell(imported.error());
        return;
    }
    const BusyCursor busy;
    ProgramTable& ipm = m_window.tableM();
    ipm.cutToHeader();
    ui.TextTableD[At(StoredKindIndex(StoredKind::PresetMemory))]->setText(imported->description);
    ipm.setPresets(imported->presets);
    ipm.setSelectedPreset(imported->selected);
    showPresetSelectors();
}

void StorageActions::importLog(const QByteArray& bytes, const QString& baseName)
{
    const Outcome<CsvImporter::LogFile> imported = CsvImporter::ImportLog(bytes);
    if (!imported) {
        tell(imported.error());
        return;
    }
    const BusyCursor busy;
    // The name goes with the log it names.
    S.StoredLogName = baseName;
    S.StoredLog = imported->samples;
    if (imported->sampling)
        S.StoredLogSampling = *imported->sampling;
    if (imported->description)
        S.StoredLogDesc = *imported->description;
    ui.TextTableD[At(StoredKindIndex(StoredKind::DataLog))]->setText(S.StoredLogDesc);
    showStoredLog();
}
