// Scenario scripts: drive the window from a text file.
#pragma once

#include <QString>

class TMainApp;

namespace ScriptRunner {

// Reads the script before the window exists and sets up what start-up must
// already see (e.g. the simulated board's manual clock). False with *error
// when the file cannot be read.
bool Prepare(const QString& file, QString* error);

// Runs the prepared script against the window; returns the process exit code.
int Run(TMainApp& window);

} // namespace ScriptRunner
