#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QHash>

class SegmentDisplay;

// What a screen reader sees of a SegmentDisplay. A display of one spoken row
// is that row: a spin box (focusable set-point) or a static text, named by the
// row, with the row's value. A display of several rows is a group with one
// child per row. Values are read-only here: a set-point changes only through
// the display's clicks and keys.
class SegmentDisplayAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SegmentDisplayAccessible(SegmentDisplay* display);
    ~SegmentDisplayAccessible() override;

    // Makes Qt build this interface for every SegmentDisplay; once is enough.
    static void Install();
    // Tells screen readers that row `row` of display shows a new value.
    static void ValueChanged(SegmentDisplay* display, int row);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override { }
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override;

private:
    SegmentDisplay* display() const;
    bool isGroup() const;

    mutable QHash<int, QAccessible::Id> m_rows;
};
