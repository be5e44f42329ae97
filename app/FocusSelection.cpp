#include "app/FocusSelection.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

namespace FocusSelection {

void SelectAllOnFocus(QLineEdit* box, const QEvent* focusIn)
{
    box->selectAll();
    // Only after a click: keys typed right after a Tab must not be selected
    // again and replaced by the next one.
    if (static_cast<const QFocusEvent*>(focusIn)->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

} // namespace FocusSelection
