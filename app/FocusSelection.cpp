#include "app/FocusSelection.h"

#include <QLineEdit>
#include <QTimer>

namespace FocusSelection {

void SelectAllOnFocus(QLineEdit* box)
{
    box->selectAll();
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
}

} // namespace FocusSelection
