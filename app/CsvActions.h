#pragma once

#include "app/StorageActions.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

// The storage tool bar's CSV buttons: exporting the current tab's table or log
// to a file and importing one over it. The file forms live in storage/; this
// class asks for the file, moves the texts between it and the tab, and
// remembers the folder the user last chose.
class CsvActions : public QObject {
    Q_OBJECT
public:
    CsvActions(MainFrmUi& ui, WindowState& state, const StorageActions::Tables& tables,
        const SupplySession& session, Clock& clock, Prompts& prompts, QObject* parent);

    // On the current tab. A file that cannot be written or read is told of
    // in an OK message box.
    void ExportCsv();
    void ImportCsv();

Q_SIGNALS:
    // The External Timed Program was imported.
    void externalProgramChanged();
    // The presets were imported.
    void presetsChanged();
    // An imported log is now the stored log.
    void storedLogImported();

private:
    void tell(const QString& text);
    void importEtp(const QByteArray& bytes);
    void importIpm(const QByteArray& bytes);
    void importLog(const QByteArray& bytes, const QString& baseName);

    std::optional<QString> askSavePath(const QString& proposedName);
    std::optional<QString> askOpenPath();

    MainFrmUi& ui;
    WindowState& S;
    StorageActions::Tables m_tables;
    const SupplySession& m_session;
    Clock& m_clock;
    Prompts& m_prompts;
    // The save dialog keeps its previous name when no name is proposed.
    QString m_exportName;
    QString m_dialogFolder;
};
