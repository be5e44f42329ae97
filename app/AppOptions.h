#pragma once

#include <QString>
#include <QStringList>

// The panel's command line.
struct AppOptions {
    bool showHelp = false;
    bool showVersion = false;
    QString dataDir;      // --data-dir DIR: where the database and ports/ live
    QString screenshot;   // --screenshot FILE: save the window and quit
    int quitAfterMs = 0;  // --quit-after MS: close the window after that time
    QString error;        // set when the command line cannot be used

    static AppOptions Parse(const QStringList& arguments);
    static QString HelpText();
};
