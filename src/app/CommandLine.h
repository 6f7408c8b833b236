#pragma once
// The command-line jobs, for scripted use without windows:
//   tessalune --make PICTURE OUTPUT [options]   writes a puzzle executable as the maker does;
//   tessalune --export-pieces PUZZLE DIR        writes a puzzle's pieces as PNG files;
//   tessalune --help | --version.
// A job runs before the start-up step, so relative paths are the caller's. A failed job writes
// nothing: no output file, no piece files.

#include <QStringList>
#include <string>

// Whether the arguments ask for a command-line job: the first one begins with "--". All other
// starts ("maketn", "deltemp" and its path, none) belong to the windowed program.
bool IsCommandLineJob(int argc, char **argv);

// Runs the job; help and version go to stdout, errors to stderr. Returns the exit code: 0 done,
// 1 the job failed (unreadable picture or puzzle, failed write), 2 bad arguments.
int RunCommandLine(int argc, char **argv);

// Checks the arguments of a job (argv[1..]) without running it: the usage error RunCommandLine
// would report with exit code 2, or empty when they are well formed.
std::string CommandLineUsageError(const QStringList &arguments);
