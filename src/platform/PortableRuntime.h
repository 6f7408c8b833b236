#pragma once
// What a portable puzzle's start stage and the program agree on. Plain C++ without Qt: the start
// stage includes it too.
//
// A portable puzzle is the start stage (a static ELF program), directly followed by the carried
// runtime, then the puzzle's payload sections. The runtime is:
//   magic (8 bytes) | compressed size (8, little endian) | unpacked size (8, little endian) |
//   SHA-256 of the unpacked bytes (32) | a zstd frame holding a ustar archive.
// The archive holds the program as "tessalune", its libraries in "lib/", Qt's plug-ins in
// "plugins/" and the fonts in "fonts/".

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <optional>
#include <string>

namespace PortableRuntime
{

inline constexpr char Magic[8] = {'T', 'S', 'L', 'R', 'U', 'N', '0', '1'};
inline constexpr int HeaderSize = 8 + 8 + 8 + 32;
// Unpacked runtimes larger than this are refused: the header is read from a file a user was
// sent, and it decides how much memory the stage takes.
inline constexpr std::uint64_t MaxUnpackedSize = std::uint64_t(1) << 30;

// Set by the start stage for the program it starts: the puzzle file's own path. The program
// removes it at once, so nothing it starts inherits it.
inline constexpr char PuzzleFileVariable[] = "TESSALUNE_PUZZLE_FILE";

// The program's name inside the unpacked runtime, and the file that marks a runtime complete
// (one line "SIZE PATH" per unpacked file).
inline constexpr char ProgramName[] = "tessalune";
inline constexpr char CompleteMarker[] = ".complete";

// Where the start stage's own bytes end in a file of fileSize bytes that begins with `header`
// (headerSize bytes of it): the end of its section header table, the last thing the linker
// writes; the runtime follows there. 0 when the file is no 64-bit ELF file or the table lies
// outside it.
inline std::uint64_t StageEnd(const unsigned char *header, std::size_t headerSize,
                              std::uint64_t fileSize)
{
    Elf64_Ehdr elf;
    if (headerSize < sizeof elf || std::memcmp(header, ELFMAG, SELFMAG) != 0 ||
        header[EI_CLASS] != ELFCLASS64)
        return 0;
    std::memcpy(&elf, header, sizeof elf);
    // Checked before it is added to: a hostile offset would wrap round to a small end.
    if (elf.e_shoff > fileSize)
        return 0;
    const std::uint64_t end = elf.e_shoff + std::uint64_t(elf.e_shnum) * elf.e_shentsize;
    return end >= sizeof elf && end <= fileSize ? end : 0;
}

struct TRuntimeHeader {
    std::uint64_t offset = 0; // of the compressed bytes in the puzzle file
    std::uint64_t compressedSize = 0;
    std::uint64_t unpackedSize = 0;
    unsigned char hash[32] = {};
};

inline std::uint64_t LittleEndian64(const unsigned char *bytes)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

// The runtime header's fields (bytes: its HeaderSize bytes, magic first) for a runtime whose
// header starts at headerOffset in a file of fileSize bytes; none when the sizes it declares
// cannot be right there.
inline std::optional<TRuntimeHeader> ReadRuntimeHeaderFields(const unsigned char *bytes,
                                                             std::uint64_t headerOffset,
                                                             std::uint64_t fileSize)
{
    if (headerOffset > fileSize || fileSize - headerOffset < std::uint64_t(HeaderSize))
        return std::nullopt;
    TRuntimeHeader header;
    header.offset = headerOffset + HeaderSize;
    header.compressedSize = LittleEndian64(bytes + 8);
    header.unpackedSize = LittleEndian64(bytes + 16);
    std::memcpy(header.hash, bytes + 24, sizeof header.hash);
    if (header.compressedSize > fileSize - header.offset || header.unpackedSize > MaxUnpackedSize)
        return std::nullopt;
    return header;
}

// One entry of the runtime's ustar archive.
struct TArchiveEntry {
    std::string name; // relative, never climbing out of the runtime's folder
    char type = 0;    // '5' a folder, '0' or '\0' a file; others are skipped
    unsigned mode = 0;
    std::uint64_t offset = 0; // of its data in the archive
    std::uint64_t size = 0;
};

inline std::uint64_t OctalField(const char *field, int length)
{
    std::uint64_t value = 0;
    for (int i = 0; i < length && field[i] >= '0' && field[i] <= '7'; ++i)
        value = value * 8 + std::uint64_t(field[i] - '0');
    return value;
}

// A relative path inside the runtime, nothing that climbs out of it.
inline bool IsSafeName(const std::string &name)
{
    return !name.empty() && name[0] != '/' && name.find("..") == std::string::npos;
}

// Calls visit for each entry of the archive up to its end block. False, after the entries
// before it, at an entry whose name is not safe or whose data runs past the archive's end.
template <typename TVisit>
bool ForEachArchiveEntry(const unsigned char *archive, std::uint64_t size, TVisit visit)
{
    constexpr std::uint64_t Block = 512;
    std::uint64_t at = 0;
    while (at + Block <= size && archive[at] != 0) {
        const char *block = reinterpret_cast<const char *>(archive + at);
        const std::string prefix(block + 345, strnlen(block + 345, 155));
        const std::string ownName(block, strnlen(block, 100));
        TArchiveEntry entry;
        entry.name = prefix.empty() ? ownName : prefix + "/" + ownName;
        entry.size = OctalField(block + 124, 12);
        entry.mode = unsigned(OctalField(block + 100, 8) & 0755);
        entry.type = block[156];
        entry.offset = at + Block;
        if (!IsSafeName(entry.name) || entry.size > size - entry.offset)
            return false;
        visit(entry);
        at = entry.offset + (entry.size + Block - 1) / Block * Block;
    }
    return true;
}

// Calls visit(size, name) for each line "SIZE NAME" of a completion marker. False at a line
// that is not one or names a file outside the runtime (the marker is damaged), or when no line
// names a file.
template <typename TVisit> bool ForEachMarkedFile(const std::string &marker, TVisit visit)
{
    std::size_t lineStart = 0;
    int files = 0;
    while (lineStart < marker.size()) {
        std::size_t lineEnd = marker.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = marker.size();
        const std::size_t space = marker.find(' ', lineStart);
        if (space == std::string::npos || space >= lineEnd || space == lineStart ||
            space + 1 == lineEnd || space - lineStart > 20)
            return false;
        std::uint64_t size = 0;
        for (std::size_t i = lineStart; i < space; ++i) {
            const char digit = marker[i];
            if (digit < '0' || digit > '9' || size > (UINT64_MAX - 9) / 10)
                return false;
            size = size * 10 + std::uint64_t(digit - '0');
        }
        const std::string name = marker.substr(space + 1, lineEnd - space - 1);
        if (!IsSafeName(name))
            return false;
        visit(size, name);
        ++files;
        lineStart = lineEnd + 1;
    }
    return files > 0;
}

} // namespace PortableRuntime
