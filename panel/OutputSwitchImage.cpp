#include "panel/OutputSwitchImage.h"

#include "panel/FocusFrame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

namespace {

QString ValueText(bool on)
{
    return on ? QStringLiteral("On") : QStringLiteral("Off");
}

class OutputSwitchAccessible : public QAccessibleWidget {
public:
    explicit OutputSwitchAccessible(OutputSwitchImage* image)
        : QAccessibleWidget(image, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = image()->outputOn();
        return state;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return ValueText(image()->outputOn());
        return QAccessibleWidget::text(t);
    }

private:
    OutputSwitchImage* image() const { return static_cast<OutputSwitchImage*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("OutputSwitchImage") && object && object->isWidgetType())
        return new OutputSwitchAccessible(static_cast<OutputSwitchImage*>(object));
    return nullptr;
}

} // namespace

OutputSwitchImage::OutputSwitchImage(QWidget* parent)
    : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
    setAlignment(Qt::AlignCenter);
    // Reached with Tab only: a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
}

void OutputSwitchImage::setOutputOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent state(this, changed);
    QAccessible::updateAccessibility(&state);
    QAccessibleValueChangeEvent value(this, ValueText(on));
    QAccessible::updateAccessibility(&value);
}

void OutputSwitchImage::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        FocusFrame::Paint(painter, *this);
    }
}

void OutputSwitchImage::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Space && modifiers == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            Q_EMIT keyClicked();
        return;
    }
    QLabel::keyPressEvent(event);
}
