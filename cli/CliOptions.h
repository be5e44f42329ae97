#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The command line of ovolta-cli: global options, a command and its options.
struct CliOptions {
    enum class Command { Ports, Identify, Read, Set, Output, Limits, Presets, Run, Record };

    QString dataDir;
    int port = 0; // 0: search the ports like the panel
    bool json = false;
    bool help = false;
    bool version = false;
    Command command = Command::Identify;

    double everySeconds = 0; // read, record; 0 when not given
    int count = 0; // read; 0 when not given
    qint64 forMs = 0; // read, record; 0 when not given
    QString volt; // set: as typed, empty when not given
    QString curr;
    bool outputOn = false;
    QString uvl; // limits: as typed, empty when not given
    QString ucl;
    QString store; // presets: "V,A V,A V,A", empty when not given
    int recall = 0;
    QString file; // run: a CSV file, or
    QString table; // a stored table
    int cycles = 1;
    QString out; // record
    bool append = false;
    bool force = false;

    // The command runs until it is interrupted.
    bool openEnded() const;

    // arguments with the program name first. Nothing, and *error set, when unusable.
    static std::optional<CliOptions> Parse(const QStringList& arguments, QString* error);
    static QString HelpText();
    // "90s", "15m", "8h", "2d" or plain seconds, fractions allowed; nothing otherwise.
    static std::optional<qint64> DurationMs(const QString& text);
};
