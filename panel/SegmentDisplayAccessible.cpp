#include "panel/SegmentDisplayAccessible.h"

#include "core/Numbers.h"
#include "panel/SegmentDisplay.h"

#include <QPointer>

namespace {

constexpr double kSetpointStep = 0.1;

double ValueOf(const SpokenRow& row)
{
    return Numbers::LeadingNumber(row.value);
}

// One row of a display of several rows: a static text with the row's name and
// value, lying in its share of the display's height.
class SegmentRowAccessible : public QAccessibleInterface, public QAccessibleValueInterface {
public:
    SegmentRowAccessible(SegmentDisplay* display, int row)
        : m_display(display)
        , m_row(row)
    {
    }

    bool isValid() const override { return m_display && m_row < m_display->spokenRows().size(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_display.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const SpokenRow& row = m_display->spokenRows()[m_row];
        if (t == QAccessible::Name)
            return row.name;
        if (t == QAccessible::Value)
            return row.value;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const auto rows = static_cast<int>(m_display->spokenRows().size());
        const int height = m_display->height();
        const QRect band(0, height * m_row / rows, m_display->width(), height / rows);
        return QRect(m_display->mapToGlobal(band.topLeft()), band.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !m_display || !m_display->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    QVariant currentValue() const override
    {
        return isValid() ? QVariant(ValueOf(m_display->spokenRows()[m_row])) : QVariant();
    }
    void setCurrentValue(const QVariant&) override { }
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

private:
    QPointer<SegmentDisplay> m_display;
    int m_row;
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("SegmentDisplay") && object && object->isWidgetType())
        return new SegmentDisplayAccessible(static_cast<SegmentDisplay*>(object));
    return nullptr;
}

} // namespace

SegmentDisplayAccessible::SegmentDisplayAccessible(SegmentDisplay* display)
    : QAccessibleWidget(display)
{
}

SegmentDisplayAccessible::~SegmentDisplayAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
}

void SegmentDisplayAccessible::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void SegmentDisplayAccessible::ValueChanged(SegmentDisplay* display, int row)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(display);
    if (!iface)
        return;
    if (iface->childCount() > 0)
        iface = iface->child(row);
    if (!iface)
        return;
    QAccessibleValueChangeEvent event(iface, iface->text(QAccessible::Value));
    QAccessible::updateAccessibility(&event);
}

SegmentDisplay* SegmentDisplayAccessible::display() const
{
    return static_cast<SegmentDisplay*>(widget());
}

bool SegmentDisplayAccessible::isGroup() const
{
    return display()->spokenRows().size() > 1;
}

QAccessible::Role SegmentDisplayAccessible::role() const
{
    if (isGroup())
        return QAccessible::Grouping;
    return display()->focusPolicy() & Qt::TabFocus ? QAccessible::SpinBox : QAccessible::StaticText;
}

QString SegmentDisplayAccessible::text(QAccessible::Text t) const
{
    const QList<SpokenRow>& rows = display()->spokenRows();
    if (rows.size() == 1 && t == QAccessible::Name && display()->accessibleName().isEmpty())
        return rows.first().name;
    if (rows.size() == 1 && t == QAccessible::Value)
        return rows.first().value;
    return QAccessibleWidget::text(t);
}

int SegmentDisplayAccessible::childCount() const
{
    return isGroup() ? static_cast<int>(display()->spokenRows().size()) : 0;
}

QAccessibleInterface* SegmentDisplayAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto found = m_rows.constFind(index); found != m_rows.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* row = new SegmentRowAccessible(display(), index);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int SegmentDisplayAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = m_rows.constBegin(); it != m_rows.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return it.key();
    }
    return -1;
}

QAccessibleInterface* SegmentDisplayAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface* row = child(i);
        if (row && row->rect().contains(x, y))
            return row;
    }
    return nullptr;
}

void* SegmentDisplayAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface && !isGroup())
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant SegmentDisplayAccessible::currentValue() const
{
    const QList<SpokenRow>& rows = display()->spokenRows();
    return rows.size() == 1 ? QVariant(ValueOf(rows.first())) : QVariant();
}

QVariant SegmentDisplayAccessible::minimumStepSize() const
{
    return role() == QAccessible::SpinBox ? QVariant(kSetpointStep) : QVariant();
}
