#pragma once

class QEvent;
class QLineEdit;

namespace FocusSelection {

// Selects the whole text of a box that has just received the focus (its
// FocusIn event): at once, and when a click gave the focus once more after the
// click has placed the caret, so that typing replaces the text either way.
void SelectAllOnFocus(QLineEdit* box, const QEvent* focusIn);

} // namespace FocusSelection
