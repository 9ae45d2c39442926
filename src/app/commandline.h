#pragma once

#include <optional>

// Reads the program's options before the application object exists, so --help and --version
// work where there is no display. Gives the exit code when the program should end at once:
// 0 after --help or --version, 2 (with the usage on standard error) for anything it does not
// know; nothing when the program should start.
std::optional<int> HandleCommandLine(int argc, char** argv);
