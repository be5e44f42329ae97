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
#include <QCheckBox>
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

bool StorageActions::outputChecked(int row) const
{
    if (row >= 1 && row <= kEtpSteps)
        return ui.OutputCK[At(row)]->isChecked();
    return m_window.tableE().outputOn(row);
}

void StorageActions::setOutput(int row, bool on)
{
    m_window.tableE().setOutputOn(row, on);
    if (row >= 1 && row <= kEtpSteps)
        ui.OutputCK[At(row)]->setChecked(on);
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
        if (m_listsFilled && !tables.readProblem().isEmpty()) {
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

    StoredTables::Result result;
    switch (*kind) {
    case StoredKind::DataLog:
        result = tables.saveLog(name, S.LogSamples, info);
        break;
    case StoredKind::PresetMemory: {
        const ProgramTable& ipm = m_window.tableM();
        std::vector<StoredTables::PresetRow> rows;
        for (int r = 1; r < ipm.rows(); ++r)
            rows.push_back({ ipm.cell(r, 2), ipm.cell(r, 3) });
        result = tables.savePresets(name, rows, info);
        break;
    }
    case StoredKind::InternalProgram:
    case StoredKind::ExternalProgram: {
        const bool external = *kind == StoredKind::ExternalProgram;
        const ProgramTable& table = external ? m_window.tableE() : m_window.tableP();
        std::vector<StoredTables::ProgramRow> rows;
        for (int r = 1; r < table.rows(); ++r) {
            rows.push_back({ table.cell(r, 1), table.cell(r, 2), table.cell(r, 3), table.cell(r, 4),
                external && outputChecked(r) });
        }
        result = tables.saveProgram(*kind, name, rows, info);
        break;
    }
    }
    if (!result.ok())
        tell(result.error);
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
    if (const QString problem = tables.readProblem(); !problem.isEmpty()) {
        tell(problem);
        return;
    }
    if (!tables.exists(*kind, name)) {
        // Nothing is left to delete but the name in the list.
        const StoredTables::Result forgotten = tables.forgetMissing(*kind, name);
        tell(forgotten.ok() ? StorageMessages::TableNoExist(name) : forgotten.error);
        RefreshTableLists();
        return;
    }
    if (!ask(StorageMessages::DeleteQuestion(*kind, name)))
        return;
    const StoredTables::Result result = tables.remove(*kind, name);
    if (!result.ok()) {
        tell(result.error);
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
        ProgramTable& etp = m_window.tableE();
        TableRules::ClearTable(etp, m_window.supply().currFormat);
        for (int r = 1; r < etp.rows(); ++r)
            setOutput(r, true);
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

template <typename Load> bool StorageActions::showLoad(int tab, const Load& load)
{
    if (load.catalogue)
        ui.TextTableD[At(tab)]->setText(load.catalogue->descriptionText());
    if (load.outcome == StoredTables::Outcome::NotLoaded)
        return false;
    if (!load.ok()) {
        tell(load.error);
        return false;
    }
    return true;
}

void StorageActions::loadEtpRows(int tab)
{
    const StoredKind kind = *StoredKindOfTab(tab);
    const StoredTables::ProgramLoad load
        = StoredTables(*m_window.database())
              .loadProgram(kind, ui.CmbTableName[At(tab)]->currentText());
    if (!showLoad(tab, load))
        return;
    // The Internal Timed Program grid holds no rows: only the description shows.
    if (kind != StoredKind::ExternalProgram)
        return;

    ProgramTable& etp = m_window.tableE();
    // The grid has one row per check box; stored rows past the last box are left out.
    const int count = std::min(static_cast<int>(load.rows.size()), kEtpSteps);
    if (etp.rows() == 1)
        etp.setRowCount(kEtpSteps + 1);
    if (etp.rows() < count + 1)
        etp.setRowCount(count + 1);
    for (int r = 1; r <= count; ++r) {
        const StoredTables::ProgramRow& row = load.rows[At(r - 1)];
        etp.setCell(r, 0, QString::number(r));
        etp.setCell(r, 1, row.voltage);
        etp.setCell(r, 2, row.current);
        etp.setCell(r, 3, row.minute);
        etp.setCell(r, 4, row.second);
        setOutput(r, row.output);
    }
    m_window.programs().CheckEtpTable();
    m_window.programs().PlaceOutputChecks();
}

void StorageActions::loadPresets(int tab)
{
    const StoredTables::PresetLoad load
        = StoredTables(*m_window.database()).loadPresets(ui.CmbTableName[At(tab)]->currentText());
    if (!showLoad(tab, load))
        return;
    ProgramTable& ipm = m_window.tableM();
    ipm.cutToHeader();
    for (std::size_t r = 0; r < load.rows.size(); ++r)
        ipm.addRow(
            { QString(), QString::number(r + 1), load.rows[r].voltage, load.rows[r].current });
    showPresetSelectors();
}

void StorageActions::loadLog(int tab)
{
    const StoredTables::LogLoad load
        = StoredTables(*m_window.database()).loadLog(ui.CmbTableName[At(tab)]->currentText());
    if (!showLoad(tab, load))
        return;
    S.StoredLog = load.samples;
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
    QByteArray bytes; // the Internal Timed Program has no file form: its file stays empty
    CsvWriter::Output written;
    switch (*kind) {
    case StoredKind::InternalProgram:
        break;
    case StoredKind::ExternalProgram: {
        const ProgramTable& etp = m_window.tableE();
        std::vector<CsvWriter::EtpRow> rows;
        for (int r = 1; r < etp.rows(); ++r) {
            rows.push_back({ etp.cell(r, 0), etp.cell(r, 1), etp.cell(r, 2), etp.cell(r, 3),
                etp.cell(r, 4), outputChecked(r) });
        }
        written = CsvWriter::EtpFile(description, rows);
        bytes = written.bytes;
        break;
    }
    case StoredKind::PresetMemory: {
        const ProgramTable& ipm = m_window.tableM();
        std::vector<CsvWriter::IpmRow> rows;
        for (int r = 1; r < ipm.rows(); ++r) {
            const bool selected = r <= kSelectors && ui.Option1[At(r)]->isChecked();
            rows.push_back({ ipm.cell(r, 1), selected, ipm.cell(r, 2), ipm.cell(r, 3) });
        }
        written = CsvWriter::IpmFile(description, rows);
        bytes = written.bytes;
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
    if (!written.ok()) {
        tell(written.error);
        return;
    }
    const QString error = CsvFiles::Write(path, bytes);
    if (!error.isEmpty())
        tell(error);
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
    const CsvFiles::ReadResult file = CsvFiles::Read(*chosen);
    if (!file.error.isEmpty()) {
        tell(file.error);
        return;
    }
    switch (*kind) {
    case StoredKind::InternalProgram:
        break; // no file form: nothing is read
    case StoredKind::ExternalProgram:
        importEtp(file.bytes);
        break;
    case StoredKind::PresetMemory:
        importIpm(file.bytes);
        break;
    case StoredKind::DataLog:
        importLog(file.bytes, CsvPaths::ImportBaseName(*chosen));
        break;
    }
}

// An import changes the tab only when the whole file was read: on any problem
// the table, its name and its description stay as they were.
void StorageActions::importEtp(const QByteArray& bytes)
{
    const CsvImporter::EtpImport imported = CsvImporter::ImportEtp(bytes);
    if (!imported.ok()) {
        tell(imported.error);
        return;
    }
    const BusyCursor busy;
    ProgramTable& etp = m_window.tableE();
    etp.cutToHeader();
    ui.TextTableD[At(StoredKindIndex(StoredKind::ExternalProgram))]->setText(imported.description);
    for (const CsvImporter::EtpRow& row : imported.rows) {
        if (row.stepOnly) {
            etp.addRow({ row.step });
            continue;
        }
        etp.addRow({ row.step, row.voltage, row.current, row.minute, row.second });
        // The box that lies over the row, whatever step number the file gave.
        setOutput(etp.dataRows(), row.output);
    }
    m_window.programs().CheckEtpTable();
    m_window.programs().PlaceOutputChecks();
}

void StorageActions::importIpm(const QByteArray& bytes)
{
    const CsvImporter::IpmImport imported = CsvImporter::ImportIpm(bytes, m_window.supply().currFormat);
    if (!imported.ok()) {
        tell(imported.error);
        return;
    }
    const BusyCursor busy;
    ProgramTable& ipm = m_window.tableM();
    ipm.cutToHeader();
    ui.TextTableD[At(StoredKindIndex(StoredKind::PresetMemory))]->setText(imported.description);
    for (const CsvImporter::IpmRow& row : imported.rows)
        ipm.addRow({ QString(), row.preset, row.voltage, row.current });
    ipm.setSelectedPreset(imported.selected);
    showPresetSelectors();
}

void StorageActions::importLog(const QByteArray& bytes, const QString& baseName)
{
    const CsvImporter::LogImport imported = CsvImporter::ImportLog(bytes);
    if (!imported.ok()) {
        tell(imported.error);
        return;
    }
    const BusyCursor busy;
    // The name goes with the log it names.
    S.StoredLogName = baseName;
    S.StoredLog = imported.samples;
    if (imported.sampling)
        S.StoredLogSampling = *imported.sampling;
    if (imported.description)
        S.StoredLogDesc = *imported.description;
    ui.TextTableD[At(StoredKindIndex(StoredKind::DataLog))]->setText(S.StoredLogDesc);
    showStoredLog();
}
