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
    const std::uint64_t end = elf.e_shoff + std::uint64_t(elf.e_shnum) * elf.e_shentsize;
    return end >= sizeof elf && end <= fileSize ? end : 0;
}

} // namespace PortableRuntime
