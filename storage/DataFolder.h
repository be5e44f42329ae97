#pragma once

#include "core/Outcome.h"

#include <QString>

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


    // The override when given; else the program's folder when the database is
    // already there or the folder is writable; else the application data folder.
    static QString Choose(const Facts& facts);

    // Gathers the facts, chooses, and creates the chosen folder when missing.
    // `given` is the --data-dir folder (empty when not given), taken from the
    // current folder when relative. Fails when the folder cannot be made.
    static Outcome<QString> Resolve(
        const QString& given, const QString& programDir, const QString& appDataDir);
};
