#pragma once

#include <QString>

class MainFrm;
class PrintPage;
class QPrinter;

// Printing the current tab: a program table (tabs 0 to 2) or the log chart
// (tab 3), one page each. The tables on screen are only read.
namespace Printing {

// Prints the current tab onto printer. False, with the reason in plain words
// in error, when nothing could be printed: no table on this tab, a page too
// small for the layout, a printer or file that cannot be written.
bool PrintCurrentTab(MainFrm& window, QPrinter& printer, QString* error = nullptr);

// Prints the current tab onto page and ends its document; nothing on a tab
// without a table or log. The heading texts come from the tab's name and
// description boxes, the address box and the window state.
void PrintCurrentTabOn(MainFrm& window, PrintPage& page);

// The toolbar's "Print": the printer dialog, then PrintCurrentTab. Cancelling the
// dialog does nothing; a failure is shown in an OK message box. Without any
// installed printer the dialog still offers writing a PDF file.
void PrintWithDialog(MainFrm& window);
// The same on a given printer, whose settings the dialog starts from.
void PrintWithDialog(MainFrm& window, QPrinter& printer);

} // namespace Printing
