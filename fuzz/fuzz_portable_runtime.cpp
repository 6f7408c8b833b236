// A portable puzzle's runtime as its start stage reads it from a file a user was sent: where the
// stage's own ELF bytes end, the runtime header's sizes, the archive's entries and the
// completion marker's lines. Whatever the bytes, every offset and size that comes out lies
// inside them, and every name stays inside the runtime's folder.
#include "FuzzSupport.h"
#include "platform/PortableRuntime.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace PortableRuntime;
    const std::uint64_t stageEnd = StageEnd(data, size, size);
    Require(stageEnd == 0 || (stageEnd >= sizeof(Elf64_Ehdr) && stageEnd <= size));
    if (stageEnd != 0) {
        // The end the header declares, in arithmetic that cannot wrap round.
        Elf64_Ehdr elf;
        std::memcpy(&elf, data, sizeof elf);
        Require(stageEnd == static_cast<unsigned __int128>(elf.e_shoff) +
                                std::uint64_t(elf.e_shnum) * elf.e_shentsize);
    }
    if (stageEnd != 0 && size - stageEnd >= std::uint64_t(HeaderSize)) {
        const auto header = ReadRuntimeHeaderFields(data + stageEnd, stageEnd, size);
        Require(!header ||
                (header->offset <= size && header->compressedSize <= size - header->offset &&
                 header->unpackedSize <= MaxUnpackedSize));
    }
    std::uint64_t previousEnd = 0;
    ForEachArchiveEntry(data, size, [&](const TArchiveEntry &entry) {
        Require(IsSafeName(entry.name) && entry.offset >= previousEnd && entry.offset <= size &&
                entry.size <= size - entry.offset && (entry.mode & ~0755u) == 0);
        previousEnd = entry.offset + entry.size;
    });
    const std::string marker(reinterpret_cast<const char *>(data), size);
    ForEachMarkedFile(marker, [](std::uint64_t, const std::string &name) {
        Require(IsSafeName(name) && name.find('\n') == std::string::npos);
    });
    return 0;
}
