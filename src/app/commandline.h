#pragma once

#include <QString>

#include <optional>

// What the command line asks for.
struct CommandLine {
    // End at once with this code: 0 after --help or --version, 2 (with the usage on standard
    // error) for anything unknown.
    std::optional<int> ExitCode;
    // --chart: open the rate history's chart, in the running program when there is one.
    bool Chart = false;
    // --export-history FILE: write the history as CSV and end, without a display.
    QString ExportPath;
};

// Reads the program's options before the application object exists, so --help, --version and
// --export-history work where there is no display.
CommandLine HandleCommandLine(int argc, char** argv);
