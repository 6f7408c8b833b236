// The start stage of a portable puzzle: the first part of its file, a static program without Qt.
// It unpacks the runtime the puzzle carries (the program, its libraries, Qt's plug-ins and the
// fonts) once per version into the user's cache folder, then runs the program on the puzzle's
// own file. Later starts find the unpacked runtime by its content hash and check only its
// completion marker and file sizes, so that they stay fast. Before it unpacks anything it checks
// that the computer has what the runtime takes from it, and it tells what stops a puzzle in a
// window of its own as well as on the terminal.
#include "CacheFolder.h"
#include "HostLibraries.h"
#include "MessageWindow.h"
#include "platform/PortableRuntime.h"

#include <algorithm>
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
#include <unistd.h>
#include <vector>
#include <zstd.h>

namespace
{

using namespace PortableRuntime;

// The completion marker is a line per unpacked file, the host list a line per need; one far
// longer is not ours.
constexpr off_t MaxMarkerSize = 1 << 20;
// Where the runtime carries the C library and the libraries that go with it for older hosts.
constexpr char OlderHostFolder[] = "older-host";

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

[[noreturn]] void Fail(const std::string &message)
{
    std::fprintf(stderr, "tessalune: %s\n", message.c_str());
    ShowMessageWindow(message, CacheFolder::HomeFolder());
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
        CacheFolder::RemoveTree(leftover);
}

// Where an unpacked file failed to be written: the message the user gets.
[[noreturn]] void FailWriting(const std::string &path, int error, const TRuntimeHeader &header,
                              const std::string &unpacking)
{
    CacheFolder::RemoveTree(unpacking);
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
        CacheFolder::RemoveTree(folder);
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
    CacheFolder::RemoveTree(unpacking); // left by an earlier start with the same process id
    if (mkdir(unpacking.c_str(), 0700) != 0)
        FailWriting(unpacking, errno, header, unpacking);
    WriteMarker(unpacking, WriteArchive(archive, unpacking, header), header);
    if (rename(unpacking.c_str(), runtime.c_str()) == 0)
        return;
    // Another start got there first, or a damaged runtime is in the way.
    if (IsComplete(runtime)) {
        CacheFolder::RemoveTree(unpacking);
        return;
    }
    const std::string damaged = cache + "/.damaged-" + std::to_string(getpid());
    rename(runtime.c_str(), damaged.c_str());
    const bool placed = rename(unpacking.c_str(), runtime.c_str()) == 0 || IsComplete(runtime);
    const int error = errno;
    CacheFolder::RemoveTree(damaged);
    if (!placed)
        FailWriting(runtime, error, header, unpacking);
    CacheFolder::RemoveTree(unpacking);
}

// What the runtime takes from the host: the text of the zstd skippable frame before the
// archive's frame (see scripts/bundle_runtime.sh).
std::string ReadHostList(int descriptor, const TRuntimeHeader &header, const std::string &puzzle)
{
    constexpr std::uint32_t SkippableFrame = 0x184D2A50;
    unsigned char frame[8];
    std::string list;
    if (header.compressedSize >= sizeof frame &&
        ReadAt(descriptor, frame, sizeof frame, header.offset)) {
        const std::uint64_t size = LittleEndian64(frame) >> 32;
        if ((LittleEndian64(frame) & 0xffffffff) == SkippableFrame &&
            size <= header.compressedSize - sizeof frame && size <= MaxMarkerSize) {
            list.resize(size);
            if (!ReadAt(descriptor, list.data(), size, header.offset + sizeof frame))
                list.clear();
        }
    }
    if (list.empty())
        Fail("the runtime that \"" + puzzle +
             "\" carries is damaged; please ask for the puzzle again");
    return list;
}

// A start without command-line work shows the game: it needs an X display (the runtime carries
// Qt's X platform only, which XWayland serves too) unless Qt is told to use another platform.
bool NeedsDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) == 0)
            return false;
    return !std::getenv("QT_QPA_PLATFORM");
}

// The runtime's folder in the first candidate folder that can run it, holding it complete or
// with room to unpack it; says why none can.
std::string ChooseRuntime(const TRuntimeHeader &header)
{
    const std::vector<std::string> folders = CacheFolder::Candidates(CacheFolder::HomeFolder());
    if (folders.empty())
        Fail("neither XDG_CACHE_HOME, HOME nor the user database names a folder to unpack what "
             "the puzzle needs to run in");
    const std::string name = "/runtime-" + HexOf(header.hash, 16);
    std::string reasons;
    for (const std::string &folder : folders) {
        // Room for the runtime, and for the copy of the program that older hosts start.
        const std::uint64_t needed = IsComplete(folder + name) ? 0 : header.unpackedSize * 11 / 10;
        const std::string why = CacheFolder::Unusable(folder, needed);
        if (why.empty())
            return folder + name;
        reasons += " \"" + folder + "\": " + why + ";";
    }
    reasons.back() = '.';
    Fail("there is no folder to unpack what the puzzle needs to run in:" + reasons);
}

// The loader the ELF program in `bytes` names; empty when it names none.
std::string InterpreterOf(const std::string &bytes, std::uint64_t *offset = nullptr,
                          std::uint64_t *size = nullptr)
{
    Elf64_Ehdr elf;
    if (bytes.size() < sizeof elf)
        return {};
    std::memcpy(&elf, bytes.data(), sizeof elf);
    for (std::uint64_t i = 0; i < elf.e_phnum; ++i) {
        Elf64_Phdr segment;
        const std::uint64_t at = elf.e_phoff + i * sizeof segment;
        if (at + sizeof segment > bytes.size())
            return {};
        std::memcpy(&segment, bytes.data() + at, sizeof segment);
        if (segment.p_type != PT_INTERP || segment.p_offset + segment.p_filesz > bytes.size())
            continue;
        if (offset && size) {
            *offset = segment.p_offset;
            *size = segment.p_filesz;
        }
        return std::string(bytes.c_str() + segment.p_offset,
                           strnlen(bytes.c_str() + segment.p_offset, segment.p_filesz));
    }
    return {};
}

// The file's first `most` bytes, or all of a shorter one; empty when it cannot be read.
std::string ReadStart(const std::string &path, std::uint64_t most)
{
    std::string bytes;
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {
    };
    if (file >= 0 && fstat(file, &status) == 0) {
        bytes.resize(std::min<std::uint64_t>(std::uint64_t(status.st_size), most));
        if (!ReadAt(file, bytes.data(), bytes.size(), 0))
            bytes.clear();
    }
    if (file >= 0)
        close(file);
    return bytes;
}

// For a host whose C library is older than the runtime needs: a copy of the program in
// "older-host" beside the carried C library, loader and the libraries that go with them, which
// names the carried loader as its own (its loader field is padded for this at build time), and
// finds the runtime's libraries, plug-ins and fonts there through links. Made once per runtime
// folder; later starts only check that the copy names this folder's loader.
std::string OlderHostProgram(const std::string &runtime)
{
    const std::string folder = runtime + "/" + OlderHostFolder;
    const std::string program = folder + "/" + ProgramName;
    const std::string loader = folder + "/lib/ld-linux-x86-64.so.2";
    if (InterpreterOf(ReadStart(program, 1 << 16)) == loader)
        return program;
    auto fail = [&](const std::string &path) {
        Fail("cannot prepare \"" + path +
             "\" for this computer's older C library: " + SystemReason(errno));
    };
    DIR *libraries = opendir((runtime + "/lib").c_str());
    if (!libraries)
        fail(runtime + "/lib");
    while (const dirent *entry = readdir(libraries)) {
        const std::string name = entry->d_name;
        const std::string link = folder + "/lib/" + name;
        if (name[0] != '.' && symlink(("../../lib/" + name).c_str(), link.c_str()) != 0 &&
            errno != EEXIST)
            fail(link);
    }
    closedir(libraries);
    for (const char *shared : {"plugins", "fonts"})
        if (symlink((std::string("../") + shared).c_str(), (folder + "/" + shared).c_str()) != 0 &&
            errno != EEXIST)
            fail(folder + "/" + shared);

    std::string bytes = ReadStart(runtime + "/" + ProgramName, std::size_t(MaxUnpackedSize));
    std::uint64_t offset = 0, size = 0;
    if (InterpreterOf(bytes, &offset, &size).empty() || loader.size() >= size) {
        errno = ENAMETOOLONG;
        fail(loader);
    }
    std::memset(bytes.data() + offset, 0, size);
    std::memcpy(bytes.data() + offset, loader.data(), loader.size());
    const std::string part = folder + "/.program-" + std::to_string(getpid());
    const int file = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    const bool written =
        file >= 0 && write(file, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    if (file < 0 || close(file) != 0 || !written || rename(part.c_str(), program.c_str()) != 0) {
        const int error = errno;
        unlink(part.c_str());
        errno = error;
        fail(program);
    }
    return program;
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

int main(int argc, char **argv)
{
    const std::string puzzle = OwnPath();
    const int descriptor = open(puzzle.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        Fail("cannot open \"" + puzzle + "\": " + SystemReason(errno));
    const TRuntimeHeader header = ReadRuntimeHeader(descriptor, puzzle);
    const HostLibraries::TVerdict host =
        HostLibraries::Check(HostLibraries::ParseList(ReadHostList(descriptor, header, puzzle)));
    if (!host.problem.empty())
        Fail(host.problem);
    if (NeedsDisplay(argc, argv) && (!std::getenv("DISPLAY") || LocalDisplayUnreachable()))
        Fail("the puzzle shows its game in a window, but it cannot reach a display (DISPLAY): "
             "please start it on a desktop with X or XWayland");
    const std::string runtime = ChooseRuntime(header);
    const std::string cache = runtime.substr(0, runtime.rfind('/'));
    RemoveLeftovers(cache);
    CacheFolder::RemoveUnused(cache, runtime);
    // Unpacked again when it is damaged, or a start that cleaned up took it away in between.
    for (int attempt = 0;; ++attempt) {
        const int held = CacheFolder::HoldRuntime(runtime, CompleteMarker);
        if (held >= 0 && IsComplete(runtime))
            break;
        if (held >= 0)
            close(held);
        if (attempt == 3)
            Fail("cannot keep what the puzzle needs to run in \"" + runtime + "\"");
        Unpack(descriptor, header, cache, runtime, puzzle);
    }
    close(descriptor);
    // The program and what it starts find the home folder the stage found.
    const std::string home = CacheFolder::HomeFolder();
    if (setenv(PuzzleFileVariable, puzzle.c_str(), 1) != 0 ||
        (!home.empty() && setenv("HOME", home.c_str(), 0) != 0))
        Fail("cannot pass the puzzle's path on: " + SystemReason(errno));
    const std::string program =
        host.useCarried ? OlderHostProgram(runtime) : runtime + "/" + ProgramName;
    execv(program.c_str(), argv);
    Fail("cannot start \"" + program + "\": " + SystemReason(errno));
}
