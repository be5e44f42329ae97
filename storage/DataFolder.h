#pragma once

#include "core/Outcome.h"

#include <QString>
#include <QStringList>

// Where the database (and the ports/ folder) lives.
class DataFolder {
public:
    // What the choice depends on, gathered from the system by Resolve().
    struct Facts {
        QString overrideDir; // from --data-dir; empty when not given
        QString programDir; // the program's own folder
        bool databaseInProgramDir; // "Ovolta.DB" is already there
        bool programDirWritable;
        QString appDataDir; // the per-user application data folder
    };

    // The --data-dir value ("--data-dir DIR" or "--data-dir=DIR") made
    // absolute from the current folder; empty when not given. A --data-dir
    // without a folder is an error.
    static Outcome<QString> OverrideFromArguments(const QStringList& arguments);

    // The override when given; else the program's folder when the database is
    // already there or the folder is writable; else the application data folder.
    static QString Choose(const Facts& facts);

    // Gathers the facts, chooses, and creates the chosen folder when missing.
    // Fails when the command line is unusable or the folder cannot be made.
    static Outcome<QString> Resolve(
        const QStringList& arguments, const QString& programDir, const QString& appDataDir);
    // The same with the platform's per-user application data folder.
    static Outcome<QString> Resolve(const QStringList& arguments, const QString& programDir);
};
