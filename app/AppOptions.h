#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// The panel's command line.
struct AppOptions {
    bool showHelp = false;
    bool showVersion = false;
    QString dataDir; // --data-dir DIR: where the database and ports/ live; empty when not given
    QString screenshot; // --screenshot FILE: save the window and quit
    int quitAfterMs = 0; // --quit-after MS: close the window after that time
    int tab = -1; // --tab N: show tab N after start-up (for screenshots)
    QSize size; // --size WxH: window size (smaller sizes stop at the minimum)
    QString error; // set when the command line cannot be used

    // arguments with the program name first. Qt's own options (-platform...,
    // -style...) are left to QApplication; other words are ignored.
    static AppOptions Parse(const QStringList& arguments);
    static QString HelpText();
};
