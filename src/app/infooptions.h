#pragma once

#include <QStringList>
#include <QTextStream>

// Answers "--help" (or "-h") with the usage and "--version" with the version when it is the
// only argument; args holds the program name first. Returns true when it printed something
// and the program should exit with status 0, false for every command line that plays.
bool handleInfoOptions(const QStringList& args, QTextStream& out);
