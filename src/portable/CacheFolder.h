#pragma once
// Where a portable puzzle's runtime is unpacked: a folder of the user's that can be written and
// run from, chosen before anything is unpacked, and kept tidy.

#include <cstdint>
#include <string>
#include <vector>

namespace CacheFolder
{

// HOME, or when it is unset the home folder the user database gives this user; empty if none.
std::string HomeFolder();

// The folders a runtime may go to, in the order they are tried.
std::vector<std::string> Candidates(const std::string &home);

// Why a runtime cannot be run from `folder` (made when missing), or with `needed` bytes not yet
// unpacked there, cannot be unpacked into it; empty when it can.
std::string Unusable(const std::string &folder, std::uint64_t needed);

// Removes the runtimes in `folder` other than `keep` that no start has used for 30 days;
// never one a running puzzle holds (see HoldRuntime).
void RemoveUnused(const std::string &folder, const std::string &keep);

// Marks the runtime as in use by this process and the program it becomes (the returned
// descriptor stays open across exec), and as used now. -1 when the runtime is not (or no
// longer) there.
int HoldRuntime(const std::string &runtime, const std::string &marker);

// Removes a file, or a folder with all it holds.
void RemoveTree(const std::string &path);

} // namespace CacheFolder
