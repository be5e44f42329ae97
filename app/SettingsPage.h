#pragma once

#include "storage/SupplyList.h"

#include <QObject>
#include <QString>

#include <optional>

enum class StatusField;
class LogPacing;
class OvoltaDatabase;
class PortLock;
class Prompts;
class QLineEdit;
class SupplySession;
struct MainFrmUi;
struct SupplyState;
struct WindowState;

// The Setting tab (port, sampling time, limits) and the list of supplies
// (location and description per bus address).
class SettingsPage : public QObject {
    Q_OBJECT

public:
    // What the page works with besides the controls and the window's state.
    struct Parts {
        SupplySession& session;
        Prompts& prompts;
        LogPacing& pacing;
        // Keeps the page off a port another program talks on; none: no port is refused.
        const PortLock* portLock;
    };

    SettingsPage(MainFrmUi& ui, WindowState& state, const Parts& parts, QObject* parent);
    ~SettingsPage() override;

    // The database the port and the supplies' labels are stored in, once it is open.
    void setDatabase(OvoltaDatabase* database);

    // Fills the sampling choices and connects the controls' events.
    void wire();

    void TextUVL_LostFocus();
    void TextUCL_LostFocus();
    void CmdDefault_Click();
    // Applies every setting that differs from the one in force.
    void CmdOK_Click();
    // The limits as just read from the supply; the boxes count as unchanged.
    void ShowLimits();

    // Every keystroke in `TextLocation` / `TextEngineryD` is stored at once.
    void StoreLocation();
    void StoreDescription();

Q_SIGNALS:
    // The supply took new limits.
    void limitsApplied();
    // The port list is about to be seen: it should be listed again.
    void portListWanted();
    // Another port was chosen (and stored): the supply left behind goes back
    // to local mode and the new one is looked for.
    void portChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyPort();
    void applySampling();
    // A limit the user changed to a value other than the one in force: to be sent.
    std::optional<float> changedVoltageLimit();
    std::optional<float> changedCurrentLimit();
    const SupplyState& supply() const;
    bool ask(const QString& question);
    // The value to show after storing a label, or nothing to change.
    std::optional<QString> storedValue(const Outcome<SupplyList::Stored>& result,
        const QString& address, QString SupplyList::Labels::*field) const;
    void showStored(
        QLineEdit* box, StatusField panel, const QString& caption, const QString& value);
    QList<QLineEdit*> watchedBoxes() const;

    MainFrmUi& ui;
    WindowState& S;
    Parts m_parts;
    OvoltaDatabase* m_db = nullptr;
    // The user has changed `TextUVL` / `TextUCL` since the limit was read.
    bool m_uvlChanged = false;
    bool m_uclChanged = false;
};
