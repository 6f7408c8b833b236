// The start stage of a portable puzzle: the first part of its file, a static program without Qt.
// It unpacks the runtime the puzzle carries (the program, its libraries, Qt's plug-ins and the
// fonts) once per version into the user's cache folder, then runs the program on the puzzle's
// own file. Later starts find the unpacked runtime by its content hash and check only its
// completion marker and file sizes, so that they stay fast.
#include "platform/PortableRuntime.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <elf.h>
#include <fcntl.h>
#include <nettle/sha2.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zstd.h>

namespace
{

using namespace PortableRuntime;

// The completion marker is a line per unpacked file; one far longer is not ours.
constexpr off_t MaxMarkerSize = 1 << 20;

std::string HexOf(const unsigned char *bytes, int count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// Shows the message in a window when a display and one of the desktop's message tools exist.
void ShowInWindow(const std::string &message)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        return;
    const std::vector<std::vector<std::string>> tools = {
        {"zenity", "--error", "--title=Tessalune", "--text=" + message},
        {"kdialog", "--title", "Tessalune", "--error", message},
        {"xmessage", "-center", message}};
    for (const auto &tool : tools) {
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char *> argv;
            for (const std::string &argument : tool)
                argv.push_back(const_cast<char *>(argument.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
            WEXITSTATUS(status) != 127)
            return;
    }
}

[[noreturn]] void Fail(const std::string &message)
{
    std::fprintf(stderr, "tessalune: %s\n", message.c_str());
    ShowInWindow(message);
    std::exit(1);
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

bool ReadAt(int descriptor, void *buffer, std::uint64_t size, std::uint64_t offset)
{
    auto *next = static_cast<unsigned char *>(buffer);
    while (size > 0) {
        const ssize_t got = pread(descriptor, next, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        next += got;
        size -= std::uint64_t(got);
        offset += std::uint64_t(got);
    }
    return true;
}

// The runtime's header right after this program's own ELF bytes (which end with the section
// header table) in the puzzle file.
TRuntimeHeader ReadRuntimeHeader(int descriptor, const std::string &path)
{
    unsigned char elf[sizeof(Elf64_Ehdr)];
    struct stat status {
    };
    if (fstat(descriptor, &status) != 0 || !ReadAt(descriptor, elf, sizeof elf, 0))
        Fail("cannot read \"" + path + "\": " + SystemReason(errno));
    const std::uint64_t fileSize = std::uint64_t(status.st_size);
    const std::uint64_t headerOffset = StageEnd(elf, sizeof elf, fileSize);
    unsigned char bytes[HeaderSize];
    if (headerOffset == 0 || headerOffset + HeaderSize > fileSize ||
        !ReadAt(descriptor, bytes, HeaderSize, headerOffset) ||
        std::memcmp(bytes, Magic, sizeof Magic) != 0)
        Fail("\"" + path + "\" carries no runtime to start a puzzle with; it is damaged");
    const std::optional<TRuntimeHeader> header =
        ReadRuntimeHeaderFields(bytes, headerOffset, fileSize);
    if (!header)
        Fail("the runtime that \"" + path + "\" carries is damaged");
    return *header;
}

bool HasHash(const std::vector<unsigned char> &bytes, const unsigned char (&expected)[32])
{
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    unsigned char hash[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof hash, hash);
    return std::memcmp(hash, expected, sizeof hash) == 0;
}

// Makes the folder and any missing parents, new ones readable by the user alone.
void MakeFolders(const std::string &path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            Fail("cannot make the folder \"" + part + "\": " + SystemReason(errno));
        if (slash == std::string::npos)
            return;
    }
}

std::string CacheFolder()
{
    const char *cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return std::string(cache) + "/tessalune";
    const char *home = std::getenv("HOME");
    if (!home || home[0] != '/')
        Fail("neither XDG_CACHE_HOME nor HOME names a folder to unpack the puzzle's runtime in");
    return std::string(home) + "/.cache/tessalune";
}

// The completion marker's text; empty when it is missing, unreadable or too large to be ours.
std::string ReadMarker(const std::string &runtime)
{
    const int file = open((runtime + "/" + CompleteMarker).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {
    };
    std::string marker;
    if (file >= 0 && fstat(file, &status) == 0 && status.st_size <= MaxMarkerSize) {
        marker.resize(std::size_t(status.st_size));
        if (!ReadAt(file, marker.data(), marker.size(), 0))
            marker.clear();
    }
    if (file >= 0)
        close(file);
    return marker;
}

// True when the runtime's completion marker is there and every file it lists has its size.
bool IsComplete(const std::string &runtime)
{
    bool complete = true;
    const bool wellFormed =
        ForEachMarkedFile(ReadMarker(runtime), [&](std::uint64_t size, const std::string &name) {
            struct stat status {
            };
            complete = complete && stat((runtime + "/" + name).c_str(), &status) == 0 &&
                       std::uint64_t(status.st_size) == size;
        });
    return wellFormed && complete;
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

// Folders that starts killed while unpacking left behind, each as large as a runtime.
void RemoveLeftovers(const std::string &cache)
{
    DIR *folder = opendir(cache.c_str());
    if (!folder)
        return;
    std::vector<std::string> leftovers;
    while (const dirent *entry = readdir(folder)) {
        const std::string name = entry->d_name;
        for (const char *prefix : {".unpacking-", ".damaged-"}) {
            const std::size_t length = std::strlen(prefix);
            if (name.compare(0, length, prefix) != 0)
                continue;
            const long pid = std::strtol(name.c_str() + length, nullptr, 10);
            if (pid > 0 && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                leftovers.push_back(cache + "/" + name);
        }
    }
    closedir(folder);
    for (const std::string &leftover : leftovers)
        RemoveTree(leftover);
}

// Where an unpacked file failed to be written: the message the user gets.
[[noreturn]] void FailWriting(const std::string &path, int error, const TRuntimeHeader &header,
                              const std::string &unpacking)
{
    RemoveTree(unpacking);
    std::string message = "cannot unpack what the puzzle needs to run into \"" + path +
                          "\": " + SystemReason(error) + ".";
    if (error == ENOSPC || error == EDQUOT)
        message += " It needs about " + std::to_string(header.unpackedSize >> 20) +
                   " MB of free space in that folder, once.";
    Fail(message);
}

void WriteUnpackedFile(const std::string &path, const unsigned char *bytes, std::uint64_t size,
                       unsigned mode, const TRuntimeHeader &header, const std::string &unpacking)
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    std::uint64_t written = 0;
    while (file >= 0 && written < size) {
        const ssize_t done = write(file, bytes + written, size - written);
        if (done <= 0 && errno != EINTR)
            break;
        written += done > 0 ? std::uint64_t(done) : 0;
    }
    const int error = errno;
    if (file < 0 || written != size || close(file) != 0)
        FailWriting(path, file < 0 || written != size ? error : errno, header, unpacking);
}

// Writes the ustar archive's folders and files below `folder`; returns the completion marker's
// lines. Fails (after removing `folder`) when the archive is malformed or a write fails.
std::string WriteArchive(const std::vector<unsigned char> &archive, const std::string &folder,
                         const TRuntimeHeader &header)
{
    std::string marker;
    const bool wellFormed =
        ForEachArchiveEntry(archive.data(), archive.size(), [&](const TArchiveEntry &entry) {
            const std::string path = folder + "/" + entry.name;
            if (entry.type == '5') {
                if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
                    FailWriting(path, errno, header, folder);
            } else if (entry.type == '0' || entry.type == '\0') {
                WriteUnpackedFile(path, archive.data() + entry.offset, entry.size, entry.mode,
                                  header, folder);
                marker += std::to_string(entry.size) + " " + entry.name + "\n";
            }
        });
    if (!wellFormed) {
        RemoveTree(folder);
        Fail("the runtime the puzzle carries is damaged");
    }
    return marker;
}

void WriteMarker(const std::string &folder, const std::string &lines, const TRuntimeHeader &header)
{
    const std::string path = folder + "/" + CompleteMarker;
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0 || write(file, lines.data(), lines.size()) != ssize_t(lines.size()) ||
        fsync(file) != 0 || close(file) != 0)
        FailWriting(path, errno, header, folder);
}

// Decompresses and checks the runtime, then writes it into a folder of its own beside the
// final one and renames it into place, so that no start ever sees half a runtime.
void Unpack(int descriptor, const TRuntimeHeader &header, const std::string &cache,
            const std::string &runtime, const std::string &puzzle)
{
    std::vector<unsigned char> compressed(header.compressedSize);
    if (!ReadAt(descriptor, compressed.data(), compressed.size(), header.offset))
        Fail("cannot read \"" + puzzle + "\": " + SystemReason(errno));
    std::vector<unsigned char> archive(header.unpackedSize);
    const std::size_t unpacked =
        ZSTD_decompress(archive.data(), archive.size(), compressed.data(), compressed.size());
    if (ZSTD_isError(unpacked) || unpacked != archive.size() || !HasHash(archive, header.hash))
        Fail("the runtime that \"" + puzzle +
             "\" carries is damaged; please ask for the puzzle "
             "again");
    compressed.clear();
    compressed.shrink_to_fit();

    RemoveLeftovers(cache);
    const std::string unpacking = cache + "/.unpacking-" + std::to_string(getpid());
    RemoveTree(unpacking); // left by an earlier start with the same process id
    if (mkdir(unpacking.c_str(), 0700) != 0)
        FailWriting(unpacking, errno, header, unpacking);
    WriteMarker(unpacking, WriteArchive(archive, unpacking, header), header);
    if (rename(unpacking.c_str(), runtime.c_str()) == 0)
        return;
    // Another start got there first, or a damaged runtime is in the way.
    if (IsComplete(runtime)) {
        RemoveTree(unpacking);
        return;
    }
    const std::string damaged = cache + "/.damaged-" + std::to_string(getpid());
    rename(runtime.c_str(), damaged.c_str());
    const bool placed = rename(unpacking.c_str(), runtime.c_str()) == 0 || IsComplete(runtime);
    const int error = errno;
    RemoveTree(damaged);
    if (!placed)
        FailWriting(runtime, error, header, unpacking);
    RemoveTree(unpacking);
}

std::string OwnPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        Fail("cannot find the puzzle's own file (is /proc mounted?)");
    return std::string(path, std::size_t(length));
}

} // namespace

int main(int, char **argv)
{
    const std::string puzzle = OwnPath();
    const int descriptor = open(puzzle.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        Fail("cannot open \"" + puzzle + "\": " + SystemReason(errno));
    const TRuntimeHeader header = ReadRuntimeHeader(descriptor, puzzle);
    const std::string cache = CacheFolder();
    MakeFolders(cache);
    chmod(cache.c_str(), 0700);
    const std::string runtime = cache + "/runtime-" + HexOf(header.hash, 16);
    if (!IsComplete(runtime))
        Unpack(descriptor, header, cache, runtime, puzzle);
    close(descriptor);
    if (setenv(PuzzleFileVariable, puzzle.c_str(), 1) != 0)
        Fail("cannot pass the puzzle's path on: " + SystemReason(errno));
    const std::string program = runtime + "/" + ProgramName;
    execv(program.c_str(), argv);
    Fail("cannot start \"" + program + "\": " + SystemReason(errno));
}
