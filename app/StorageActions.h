#pragma once

#include "app/Tab.h"
#include "storage/StoredTables.h"

#include <QObject>
#include <QString>
#include <functional>

class Clock;
class CsvActions;
class OvoltaDatabase;
class ProgramTable;
class Prompts;
class QEvent;
class SupplySession;
struct MainFrmUi;
struct WindowState;

// The storage tool bar with its buttons and tool-tips, the table-name boxes and
// "Clear Table": saving, loading and deleting stored tables and logs, CSV
// export and import (by CsvActions), printing. The rules and the file and database work live
// in storage/; this class moves texts between them and the controls and asks
// the user. The grids and the chart hear of changed tables by its signals.
class StorageActions : public QObject {
    Q_OBJECT
public:
    // The three program tables, by tab.
    struct Tables {
        ProgramTable& internalProgram;
        ProgramTable& externalProgram;
        ProgramTable& presets;
    };

    StorageActions(MainFrmUi& ui, WindowState& state, const Tables& tables,
        const SupplySession& session, Clock& clock, Prompts& prompts, QObject* parent);

    // Connects the controls' events.
    void wire();
    // The database once start-up has opened it.
    void setDatabase(OvoltaDatabase* database);

    // The buttons' tool-tips and the panel's captions.
    void applyLanguage();
    // Save, Import, Delete and Print as the current tab's name and the program allow.
    void updateButtons();
    void tabShown(Tab tab);
    // "Clear Table": the current tab's table and name start afresh.
    void clearTableClick();

    // Refills the four name lists from the catalogue, keeping the typed names.
    void RefreshTableLists();

    // Tool bar actions on the current tab. Errors end up in an OK message box.
    void SaveTableToDb();
    void DeleteTableFromDb();
    void ExportCsv();
    void ImportCsv();

    // A name chosen in the name combo of tab: loads that stored table or log.
    void CmbTableName_Click(Tab tab);

Q_SIGNALS:
    // The External Timed Program was loaded or imported.
    void externalProgramChanged();
    // The presets were loaded or imported.
    void presetsChanged();
    // The preset table was emptied to its header.
    void presetsEmptied();
    // The program or preset table of tab is to be cleared to its defaults.
    void tableCleared(Tab tab);
    // The stored log to show has changed.
    void storedLogChanged();
    void printRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a tool bar or combo action: after the transaction in progress, with
    // anything it throws shown in an OK box.
    void runAction(const std::function<void()>& action);
    bool ask(const QString& question);
    void tell(const QString& text);
    // The tool-tips of Save, Delete and Print name what the tab holds.
    void nameToolTips();

    Tab currentTab() const;
    // Shows the description of a table being loaded and tells of a failure.
    // The rows to show, or nothing.
    template <typename Rows> const Rows* showLoad(Tab tab, const StoredTables::Load<Rows>& load);
    void loadEtpRows(Tab tab);
    void loadPresets(Tab tab);
    void loadLog(Tab tab);
    void clearAfterDelete(Tab tab);
    void chooseLiveLog();
    void showStoredLog();
    void showPresetSelectors();

    MainFrmUi& ui;
    WindowState& S;
    Tables m_tables;
    const SupplySession& m_session;
    Clock& m_clock;
    Prompts& m_prompts;
    OvoltaDatabase* m_db = nullptr;
    CsvActions* m_csv;
    // Start-up fills the lists once the database is open.
    bool m_listsFilled = false;
};
