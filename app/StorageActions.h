#pragma once

#include "storage/StoredTables.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class MainFrm;
class QEvent;
struct MainFrmUi;
struct WindowState;

// The storage tool bar and the table-name boxes: saving, loading and deleting
// stored tables and logs, CSV export and import, printing. The rules and the
// file and database work live in storage/; this class moves texts between them
// and the controls and asks the user.
class StorageActions : public QObject {
    Q_OBJECT
public:
    // A file dialog's answer: the chosen path, or nothing when the user cancelled.
    using SaveFileDialog = std::function<std::optional<QString>(const QString& proposedName)>;
    using OpenFileDialog = std::function<std::optional<QString>()>;

    StorageActions(MainFrm& window, MainFrmUi& ui, WindowState& state);

    // Connects the controls' events.
    void wire();

    // Refills the four name lists from the catalogue, keeping the typed names.
    void RefreshTableLists();

    // Tool bar actions on the current tab. Errors end up in an OK message box.
    void SaveTableToDb();
    void DeleteTableFromDb();
    void ExportCsv();
    void ImportCsv();

    // A name chosen in the name combo of tab: loads that stored table or log.
    void CmbTableName_Click(int tab);

    // Replace the platform file dialogs (an empty function restores them).
    void setSaveFileDialog(SaveFileDialog dialog);
    void setOpenFileDialog(OpenFileDialog dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a tool bar or combo action: after the transaction in progress, with
    // anything it throws shown in an OK box.
    void runAction(const std::function<void()>& action);
    bool ask(const QString& question);
    void tell(const QString& text);

    int currentTab() const;
    // Shows the description of a table being loaded and tells of a failure.
    // The rows to show, or nothing.
    template <typename Rows> const Rows* showLoad(int tab, const StoredTables::Load<Rows>& load);
    void loadEtpRows(int tab);
    void loadPresets(int tab);
    void loadLog(int tab);
    void clearAfterDelete(int tab);
    void chooseLiveLog();
    void showStoredLog();
    void showPresetSelectors();
    void importEtp(const QByteArray& bytes);
    void importIpm(const QByteArray& bytes);
    void importLog(const QByteArray& bytes, const QString& baseName);

    std::optional<QString> askSavePath(const QString& proposedName);
    std::optional<QString> askOpenPath();

    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
    SaveFileDialog m_saveDialog;
    OpenFileDialog m_openDialog;
    // The save dialog keeps its previous name when no name is proposed.
    QString m_exportName;
    QString m_dialogFolder;
    // Start-up fills the lists once the database is open.
    bool m_listsFilled = false;
};
