// What the command line asks of a run.
#pragma once

#include <QString>
#include <QStringList>

struct AppOptions {
    bool wideBusList = false;  // "-r" exactly, as the first argument
    QString settingsFile;      // --settings FILE: an INI file instead of the user's store
    QString scriptFile;        // --script FILE: run a scenario script
};

// Parses the arguments after the program name. Returns false with a message
// in *error for a malformed line (e.g. --script without a file).
bool ParseCommandLine(const QStringList& args, AppOptions* options, QString* error);
