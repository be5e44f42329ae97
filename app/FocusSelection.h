#pragma once

class QLineEdit;

namespace FocusSelection {

// Selects the whole text of a box that has just received the focus: at once
// for the keyboard, and once more after a click that gave the focus has placed
// the caret, so that typing replaces the text either way.
void SelectAllOnFocus(QLineEdit* box);

} // namespace FocusSelection
