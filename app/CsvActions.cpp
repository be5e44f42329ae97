#include "app/CsvActions.h"

#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "app/WindowState.h"
#include "core/Clock.h"
#include "programs/ProgramTable.h"
#include "session/SupplySession.h"
#include "storage/CsvFiles.h"
#include "storage/CsvImporter.h"
#include "storage/CsvPaths.h"
#include "storage/CsvWriter.h"
#include "storage/StorageMessages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString kCsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");

// The busy pointer shows until the import has filled its table.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

CsvActions::CsvActions(MainFrmUi& ui_, WindowState& state, const StorageActions::Tables& tables,
    const SupplySession& session, Clock& clock, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , ui(ui_)
    , S(state)
    , m_tables(tables)
    , m_session(session)
    , m_clock(clock)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("CsvActions"));
}

void CsvActions::tell(const QString& text)
{
    m_prompts.tell(text);
}

std::optional<QString> CsvActions::askSavePath(const QString& proposedName)
{
    const QString start
        = m_dialogFolder.isEmpty() ? proposedName : QDir(m_dialogFolder).filePath(proposedName);
    // The overwrite question comes after the extension is forced, so the
    // dialog asks none of its own.
    const QString path = m_prompts.saveFileName(start, kCsvFilter);
    if (path.isEmpty())
        return std::nullopt;
    m_dialogFolder = QFileInfo(path).absolutePath();
    return path;
}

std::optional<QString> CsvActions::askOpenPath()
{
    const QString path = m_prompts.openFileName(m_dialogFolder, kCsvFilter);
    if (path.isEmpty())
        return std::nullopt;
    m_dialogFolder = QFileInfo(path).absolutePath();
    return path;
}

void CsvActions::ExportCsv()
{
    const Tab tab = ui.currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(TabIndex(tab));
    if (!kind)
        return;
    LogSource source = LogSource::None;
    if (ui.Option2[0]->isChecked())
        source = LogSource::Live;
    else if (ui.Option2[1]->isChecked())
        source = LogSource::Stored;
    if (const std::optional<QString> proposed
        = CsvPaths::ProposedExportName(*kind, source, m_clock.now(), S.StoredLogName))
        m_exportName = *proposed;

    const std::optional<QString> chosen = askSavePath(m_exportName);
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = CsvPaths::WithCsvExtension(*chosen);
    if (QFileInfo::exists(path) && !m_prompts.ask(StorageMessages::FileAlreadyExist(path)))
        return;

    const QString description = ui.TextTableD[TabSlot(tab)]->text();
    // The Internal Timed Program has no file form: its file stays empty.
    Outcome<QByteArray> bytes = QByteArray();
    switch (*kind) {
    case StoredKind::InternalProgram:
        break;
    case StoredKind::ExternalProgram:
        bytes = CsvWriter::EtpFile(description, m_tables.externalProgram.steps());
        break;
    case StoredKind::PresetMemory: {
        const ProgramTable& ipm = m_tables.presets;
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

void CsvActions::ImportCsv()
{
    const Tab tab = ui.currentTab();
    const std::optional<StoredKind> kind = StoredKindOfTab(TabIndex(tab));
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
void CsvActions::importEtp(const QByteArray& bytes)
{
    const Outcome<CsvImporter::EtpFile> imported = CsvImporter::ImportEtp(bytes);
    if (!imported) {
        tell(imported.error());
        return;
    }
    const BusyCursor busy;
    ProgramTable& etp = m_tables.externalProgram;
    etp.cutToHeader();
    ui.TextTableD[TabSlot(Tab::ExternalProgram)]->setText(imported->description);
    // Each output goes to the box that lies over its row, whatever step number
    // the file gave.
    etp.setSteps(imported->steps);
    Q_EMIT externalProgramChanged();
}

void CsvActions::importIpm(const QByteArray& bytes)
{
    const Outcome<CsvImporter::IpmFile> imported
        = CsvImporter::ImportIpm(bytes, m_session.state().currFormat);
    if (!imported) {
        tell(imported.error());
        return;
    }
    const BusyCursor busy;
    ProgramTable& ipm = m_tables.presets;
    ipm.cutToHeader();
    ui.TextTableD[TabSlot(Tab::Presets)]->setText(imported->description);
    ipm.setPresets(imported->presets);
    ipm.setSelectedPreset(imported->selected);
    // The grid's check decides which presets are valid enough to be selected.
    Q_EMIT presetsChanged();
}

void CsvActions::importLog(const QByteArray& bytes, const QString& baseName)
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
    ui.TextTableD[TabSlot(Tab::DataLog)]->setText(S.StoredLogDesc);
    Q_EMIT storedLogImported();
}
