#pragma once
// The command-line jobs, for scripted use without windows:
//   tessalune --make PICTURE OUTPUT [options]   writes a puzzle executable as the maker does;
//   tessalune --export-pieces PUZZLE DIR        writes a puzzle's pieces as PNG files;
//   tessalune --help | --version.
// A job runs before the start-up step, so relative paths are the caller's. A failed job writes
// nothing: no output file, no piece files.

class TJPEGImage;
class TKelPigger;

// Whether the arguments ask for a command-line job: the first one begins with "--". All other
// starts ("maketn", "deltemp" and its path, none) belong to the windowed program.
bool IsCommandLineJob(int argc, char **argv);

// Runs the job; help and version go to stdout, errors to stderr. Returns the exit code: 0 done,
// 1 the job failed (unreadable picture or puzzle, failed write), 2 bad arguments.
int RunCommandLine(int argc, char **argv);

// Adds a new puzzle's payload to the process-wide executable image as the maker's Step 3 does:
// "IS_PUZZLE", "SRC_IMG", "PRM_IMG" when alternative is given, then "USE_PRM" set on the
// document and "PIG_TXT". Puzzle sections the image already carries (when the running program is
// itself a puzzle) are removed first, so that the new ones are the ones read. Throws EJPEGError
// when a picture cannot be encoded; the image is then unchanged.
void AddPuzzleSections(const TJPEGImage &source, const TJPEGImage *alternative,
                       TKelPigger &document);
