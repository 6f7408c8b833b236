#include "CacheFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace CacheFolder
{
namespace
{

constexpr std::time_t UnusedFor = 30 * 24 * 60 * 60;

// The home field of this user's line in /etc/passwd; the stage is static, so the C library's
// user lookup (through the host's NSS modules) is not available to it.
std::string HomeFromUserDatabase()
{
    std::string users(1 << 20, '\0');
    const int file = open("/etc/passwd", O_RDONLY | O_CLOEXEC);
    const ssize_t size = file >= 0 ? read(file, users.data(), users.size()) : 0;
    if (file >= 0)
        close(file);
    users.resize(std::size_t(size > 0 ? size : 0));
    const std::string uid = std::to_string(getuid());
    for (std::size_t start = 0; start < users.size();) {
        std::size_t end = users.find('\n', start);
        if (end == std::string::npos)
            end = users.size();
        std::string fields[7];
        std::size_t field = start;
        for (int i = 0; i < 7 && field <= end; ++i) {
            const std::size_t colon = std::min(users.find(':', field), end);
            fields[i] = users.substr(field, colon - field);
            field = colon + 1;
        }
        if (fields[2] == uid && fields[5].size() > 1 && fields[5][0] == '/')
            return fields[5];
        start = end + 1;
    }
    return {};
}

bool MakeFolders(const std::string &path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

} // namespace

std::string HomeFolder()
{
    const char *home = std::getenv("HOME");
    return home && home[0] == '/' ? std::string(home) : HomeFromUserDatabase();
}

std::vector<std::string> Candidates(const std::string &home)
{
    std::vector<std::string> folders;
    const char *cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        folders.push_back(std::string(cache) + "/tessalune");
    if (!home.empty()) {
        folders.push_back(home + "/.cache/tessalune");
        folders.push_back(home + "/.local/share/tessalune");
    }
    // Lost at logout, but in memory: a last resort where the home folder allows no programs.
    const char *session = std::getenv("XDG_RUNTIME_DIR");
    if (session && session[0] == '/')
        folders.push_back(std::string(session) + "/tessalune");
    return folders;
}

std::string Unusable(const std::string &folder, std::uint64_t needed)
{
    struct statvfs system {
    };
    if (!MakeFolders(folder) || statvfs(folder.c_str(), &system) != 0)
        return std::strerror(errno);
    chmod(folder.c_str(), 0700);
    if (system.f_flag & ST_RDONLY)
        return std::strerror(EROFS);
    if (system.f_flag & ST_NOEXEC)
        return "it is on a file system mounted noexec, which allows no programs to run";
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    if (needed > std::uint64_t(system.f_bavail) * system.f_frsize)
        return std::string(std::strerror(ENOSPC)) + "; it needs about " +
               std::to_string((needed >> 20) + 1) + " MB of free space there, once";
    return {};
}

void RemoveUnused(const std::string &folder, const std::string &keep)
{
    DIR *entries = opendir(folder.c_str());
    if (!entries)
        return;
    std::vector<std::string> runtimes;
    while (const dirent *entry = readdir(entries))
        if (std::strncmp(entry->d_name, "runtime-", 8) == 0 && folder + "/" + entry->d_name != keep)
            runtimes.push_back(folder + "/" + entry->d_name);
    closedir(entries);
    const std::time_t now = std::time(nullptr);
    for (const std::string &runtime : runtimes) {
        // A start holds the marker shared from before it checks the runtime until its program
        // ends; only a runtime no one holds can be taken exclusively.
        const int marker = open((runtime + "/.complete").c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {
        };
        const bool free = marker < 0 || flock(marker, LOCK_EX | LOCK_NB) == 0;
        const bool old =
            (marker >= 0 ? fstat(marker, &status) : stat(runtime.c_str(), &status)) == 0 &&
            now - status.st_mtime > UnusedFor;
        const std::string removing = folder + "/.damaged-" + std::to_string(getpid());
        if (free && old && rename(runtime.c_str(), removing.c_str()) == 0)
            RemoveTree(removing);
        if (marker >= 0)
            close(marker);
    }
}

void RemoveTree(const std::string &path)
{
    if (DIR *folder = opendir(path.c_str())) {
        while (const dirent *entry = readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                RemoveTree(path + "/" + name);
        }
        closedir(folder);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

int HoldRuntime(const std::string &runtime, const std::string &marker)
{
    // Deliberately without O_CLOEXEC: the program the stage becomes keeps holding it.
    const int file = open((runtime + "/" + marker).c_str(), O_RDONLY);
    if (file < 0)
        return -1;
    struct stat before {
    }, after{};
    if (flock(file, LOCK_SH) != 0 || fstat(file, &before) != 0 ||
        stat((runtime + "/" + marker).c_str(), &after) != 0 || before.st_ino != after.st_ino) {
        close(file); // removed while this start waited for it
        return -1;
    }
    futimens(file, nullptr);
    return file;
}

} // namespace CacheFolder
