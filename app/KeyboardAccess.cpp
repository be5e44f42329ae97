#include "app/KeyboardAccess.h"

#include "app/MainFrmUi.h"
#include "panel/OutputSwitchImage.h"
#include "panel/SegmentDisplay.h"

#include <QAction>
#include <QCheckBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace {

QString KeyNames(std::initializer_list<int> keys)
{
    QStringList names;
    for (const int key : keys)
        names << QKeySequence(key).toString(QKeySequence::NativeText);
    return names.join(QStringLiteral(", "));
}

bool IsPlainSpace(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Space
        && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

KeyboardAccess::KeyboardAccess(MainFrmUi& ui_, QObject* parent)
    : QObject(parent)
    , ui(ui_)
{
    setObjectName(QStringLiteral("KeyboardAccess"));
}

void KeyboardAccess::wire()
{
    for (QAction* action : ui.storageButtons()) {
        if (QWidget* button = ui.Toolbar2->widgetForAction(action))
            button->installEventFilter(this);
    }
    for (QWidget* w : std::initializer_list<QWidget*> { ui.ImageOnOff, ui.LcdOutput,
             ui.LcdPSetVC[0], ui.LcdPSetVC[1], ui.FGridE, ui.TextE, ui.Tab1->window() })
        w->installEventFilter(this);
}

bool KeyboardAccess::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const QString tip = toolTipWithKeys(watched);
        if (tip.isEmpty())
            return false;
        QToolTip::showText(
            static_cast<QHelpEvent*>(event)->globalPos(), tip, static_cast<QWidget*>(watched));
        return true;
    }
    if ((watched == ui.FGridE || watched == ui.TextE) && IsPlainSpace(event)) {
        if (static_cast<QKeyEvent*>(event)->isAutoRepeat())
            return true;
        return toggleOutputOfCurrentStep();
    }
    if (event->type() == QEvent::Show && watched == ui.Tab1->window() && !m_shown) {
        // Tab 0 cannot be used: the tab bar starts on the first that can.
        m_shown = true;
        ui.Tab1->setFocus(Qt::OtherFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

QString KeyboardAccess::toolTipWithKeys(const QObject* watched) const
{
    QString tip;
    QString keys;
    if (const auto* button = qobject_cast<const QToolButton*>(watched)) {
        if (const QAction* action = button->defaultAction()) {
            tip = action->toolTip();
            keys = action->shortcut().toString(QKeySequence::NativeText);
        }
    } else if (watched == ui.ImageOnOff || watched == ui.LcdOutput) {
        tip = static_cast<const QWidget*>(watched)->toolTip();
        keys = KeyNames({ Qt::Key_Space });
    } else if (watched == ui.LcdPSetVC[0] || watched == ui.LcdPSetVC[1]) {
        tip = static_cast<const QWidget*>(watched)->toolTip();
        keys = KeyNames({ Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown });
    }
    if (tip.isEmpty() || keys.isEmpty())
        return {};
    return QStringLiteral("%1 (%2)").arg(tip, keys);
}

bool KeyboardAccess::toggleOutputOfCurrentStep()
{
    const QModelIndex current = ui.FGridE->currentIndex();
    const int step = current.row() + 1;
    if (!current.isValid() || step < 1 || step >= static_cast<int>(ui.OutputCK.size()))
        return false;
    // The box's own click: a disabled box (a program runs) does nothing.
    ui.OutputCK[static_cast<std::size_t>(step)]->click();
    return true;
}
