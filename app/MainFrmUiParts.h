#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>

// Small makers the window's control builders share (MainFrmUi.cpp and
// MainFrmUiTabs.cpp).
namespace UiParts {

template <typename T> T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

inline QString Indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// A caption before a control; screen readers name the control by it.
inline QLabel* Caption(const QString& text, QWidget* parent, QWidget* control)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(control);
    return label;
}

// A typed entry stays what was typed and is never taken for a choice from the
// list: the combo's own completion would turn a typed "1" into "10S", and its
// own match on leaving the box would load a stored table over the grid because
// its name was typed. Enter does not add the text to the list either.
inline void EditableWithoutCompletion(QComboBox* combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
}

inline QLabel* Picture(const char* name, QWidget* parent)
{
    auto* label = Named(new QLabel(parent), QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace UiParts
