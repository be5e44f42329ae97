#pragma once

#include "storage/SupplyList.h"

#include <QObject>
#include <QString>

#include <optional>

enum class StatusField;
class MainFrm;
class QLineEdit;
struct MainFrmUi;
struct SupplyState;
struct WindowState;

// The Setting tab (port, sampling time, limits) and the list of supplies
// (location and description per bus address).
class SettingsPage : public QObject {
    Q_OBJECT

public:
    SettingsPage(MainFrm& window, MainFrmUi& ui, WindowState& state);
    ~SettingsPage() override;

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

    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
    // The user has changed `TextUVL` / `TextUCL` since the limit was read.
    bool m_uvlChanged = false;
    bool m_uclChanged = false;
};
