#pragma once
// What a portable puzzle's runtime takes from the computer it runs on, and whether that computer
// has it: read before anything is unpacked, from the list the bundle computed at build time.

#include <string>
#include <vector>

namespace HostLibraries
{

struct TLibrary {
    std::string name;               // the file name the loader looks for, e.g. "libOpenGL.so.0"
    std::string package;            // what installs it on Debian and Ubuntu
    bool carried = false;           // the runtime carries its own for hosts whose one is too old
    std::vector<std::string> needs; // symbol versions, or symbols, it must define
};

// The libraries of the bundle's list: lines "library NAME PACKAGE [carried]", then lines
// "need NAME WHAT". Lines of any other form are skipped.
std::vector<TLibrary> ParseList(const std::string &text);

struct TVerdict {
    bool useCarried = false; // start with the carried loader and libraries
    std::string problem;     // what this computer lacks, as a sentence for its user; empty if none
};

// Checks every library where the host's loader would find it: those not carried must be there
// with all they must define; when a carried one (or the loader itself) is missing or too old,
// the carried ones are used instead.
TVerdict Check(const std::vector<TLibrary> &libraries);

} // namespace HostLibraries
