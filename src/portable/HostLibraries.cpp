#include "HostLibraries.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <set>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HostLibraries
{
namespace
{

// The path the carried program names as its loader (padded with slashes, see src/app).
constexpr char HostLoader[] = "/lib64/ld-linux-x86-64.so.2";
// Where distributions keep x86-64 libraries when the loader's cache does not say.
const char *const UsualFolders[] = {"/lib/x86_64-linux-gnu",
                                    "/usr/lib/x86_64-linux-gnu",
                                    "/lib64",
                                    "/usr/lib64",
                                    "/lib",
                                    "/usr/lib"};

// A read-only view of a whole file; empty when it cannot be read.
class TMappedFile
{
public:
    explicit TMappedFile(const std::string &path)
    {
        const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {
        };
        if (file >= 0 && fstat(file, &status) == 0 && status.st_size > 0) {
            void *bytes =
                mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_PRIVATE, file, 0);
            if (bytes != MAP_FAILED) {
                m_bytes = static_cast<const unsigned char *>(bytes);
                m_size = std::size_t(status.st_size);
            }
        }
        if (file >= 0)
            close(file);
    }
    ~TMappedFile()
    {
        if (m_bytes)
            munmap(const_cast<unsigned char *>(m_bytes), m_size);
    }
    TMappedFile(const TMappedFile &) = delete;
    TMappedFile &operator=(const TMappedFile &) = delete;

    // `count` records of `size` bytes at `offset`, or null when they do not fit in the file.
    const unsigned char *At(std::uint64_t offset, std::uint64_t count, std::uint64_t size) const
    {
        if (!m_bytes || offset > m_size || (size != 0 && count > (m_size - offset) / size))
            return nullptr;
        return m_bytes + offset;
    }
    // The NUL-terminated text at `offset` within [begin, end); empty when it runs past it.
    std::string TextAt(std::uint64_t begin, std::uint64_t end, std::uint64_t offset) const
    {
        end = std::min<std::uint64_t>(end, m_size);
        if (!m_bytes || begin + offset >= end)
            return {};
        const char *text = reinterpret_cast<const char *>(m_bytes + begin + offset);
        const std::size_t length = strnlen(text, end - begin - offset);
        return begin + offset + length < end ? std::string(text, length) : std::string();
    }

private:
    const unsigned char *m_bytes = nullptr;
    std::size_t m_size = 0;
};

template <typename T> std::optional<T> Read(const TMappedFile &file, std::uint64_t offset)
{
    const unsigned char *bytes = file.At(offset, 1, sizeof(T));
    if (!bytes)
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// x86-64 libraries by file name, as the loader's cache lists them.
std::map<std::string, std::string> LoaderCache()
{
    static const char Magic[] = "glibc-ld.so.cache1.1";
    constexpr std::int32_t X8664Library = 0x0303; // ELF libc6, x86-64
    struct TEntry {
        std::int32_t flags;
        std::uint32_t key, value, osVersion;
        std::uint64_t hardwareCapabilities;
    };
    std::map<std::string, std::string> libraries;
    const TMappedFile file("/etc/ld.so.cache");
    // Older glibc writes an older table first; the one read here follows it, 8-byte aligned.
    for (std::uint64_t start = 0; start < 1 << 20; start += 8) {
        const unsigned char *magic = file.At(start, 1, sizeof Magic - 1);
        if (!magic)
            return libraries;
        if (std::memcmp(magic, Magic, sizeof Magic - 1) != 0)
            continue;
        const auto count = Read<std::uint32_t>(file, start + 20);
        const std::uint64_t entries = start + 48;
        if (!count || *count == 0 || !file.At(entries, *count, sizeof(TEntry)))
            return libraries;
        // Text offsets count from the file's start; behind an older table, glibc before 2.32
        // counted them from this table's start.
        const TEntry first = *Read<TEntry>(file, entries);
        const std::uint64_t base =
            file.TextAt(0, UINT64_MAX, first.value).rfind('/', 0) == 0 ? 0 : start;
        for (std::uint32_t i = 0; i < *count; ++i) {
            const TEntry entry = *Read<TEntry>(file, entries + i * sizeof(TEntry));
            if ((entry.flags & 0xffff) == X8664Library)
                libraries.emplace(file.TextAt(base, UINT64_MAX, entry.key),
                                  file.TextAt(base, UINT64_MAX, entry.value));
        }
        return libraries;
    }
    return libraries;
}

std::string FindLibrary(const std::map<std::string, std::string> &cache, const std::string &name)
{
    const auto cached = cache.find(name);
    if (cached != cache.end() && access(cached->second.c_str(), R_OK) == 0)
        return cached->second;
    for (const char *folder : UsualFolders) {
        const std::string path = std::string(folder) + "/" + name;
        if (access(path.c_str(), R_OK) == 0)
            return path;
    }
    return {};
}

// The symbol versions a library defines and the symbols it exports; none for a file that is
// no readable x86-64 ELF library.
std::optional<std::set<std::string>> DefinedNames(const std::string &path)
{
    const TMappedFile file(path);
    const auto elf = Read<Elf64_Ehdr>(file, 0);
    if (!elf || std::memcmp(elf->e_ident, ELFMAG, SELFMAG) != 0 ||
        elf->e_ident[EI_CLASS] != ELFCLASS64 || elf->e_machine != EM_X86_64 ||
        elf->e_shentsize != sizeof(Elf64_Shdr) ||
        !file.At(elf->e_shoff, elf->e_shnum, sizeof(Elf64_Shdr)))
        return std::nullopt;
    auto section = [&](std::uint32_t index) {
        return Read<Elf64_Shdr>(file, elf->e_shoff + std::uint64_t(index) * sizeof(Elf64_Shdr));
    };
    std::set<std::string> names;
    for (std::uint32_t i = 0; i < elf->e_shnum; ++i) {
        const Elf64_Shdr table = *section(i);
        const auto strings = section(table.sh_link);
        if (!strings || (table.sh_type != SHT_DYNSYM && table.sh_type != SHT_GNU_verdef))
            continue;
        const std::uint64_t textBegin = strings->sh_offset;
        const std::uint64_t textEnd = textBegin + strings->sh_size;
        if (table.sh_type == SHT_DYNSYM) {
            for (std::uint64_t at = table.sh_offset;
                 at + sizeof(Elf64_Sym) <= table.sh_offset + table.sh_size;
                 at += sizeof(Elf64_Sym)) {
                const auto symbol = Read<Elf64_Sym>(file, at);
                if (symbol && symbol->st_shndx != SHN_UNDEF)
                    names.insert(file.TextAt(textBegin, textEnd, symbol->st_name));
            }
            continue;
        }
        std::uint64_t at = table.sh_offset;
        for (std::uint64_t n = 0; n < table.sh_info && n < 4096; ++n) {
            const auto definition = Read<Elf64_Verdef>(file, at);
            if (!definition)
                break;
            if (const auto name = Read<Elf64_Verdaux>(file, at + definition->vd_aux))
                names.insert(file.TextAt(textBegin, textEnd, name->vda_name));
            if (definition->vd_next == 0)
                break;
            at += definition->vd_next;
        }
    }
    return names;
}

// What the library at `path` lacks of what it must define; empty when it has all.
std::string FirstLacking(const std::string &path, const TLibrary &library)
{
    const std::optional<std::set<std::string>> defined = DefinedNames(path);
    if (!defined)
        return "a readable library";
    for (const std::string &need : library.needs)
        if (!defined->count(need))
            return need;
    return {};
}

} // namespace

std::vector<TLibrary> ParseList(const std::string &text)
{
    std::vector<TLibrary> libraries;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> words;
        for (std::size_t word = start; word < end;) {
            const std::size_t space = std::min(text.find(' ', word), end);
            if (space > word)
                words.push_back(text.substr(word, space - word));
            word = space + 1;
        }
        start = end + 1;
        if (words.size() >= 3 && words[0] == "library") {
            libraries.push_back(
                {words[1], words[2], words.size() > 3 && words[3] == "carried", {}});
        } else if (words.size() >= 3 && words[0] == "need") {
            for (TLibrary &library : libraries)
                if (library.name == words[1])
                    library.needs.push_back(words[2]);
        }
    }
    return libraries;
}

TVerdict Check(const std::vector<TLibrary> &libraries)
{
    const std::map<std::string, std::string> cache = LoaderCache();
    TVerdict verdict;
    verdict.useCarried = access(HostLoader, X_OK) != 0;
    for (const TLibrary &library : libraries) {
        const std::string path = FindLibrary(cache, library.name);
        const std::string lacking = path.empty() ? std::string() : FirstLacking(path, library);
        if (!path.empty() && lacking.empty())
            continue;
        if (library.carried) {
            verdict.useCarried = true;
        } else if (verdict.problem.empty()) {
            verdict.problem = path.empty()
                                  ? "This puzzle needs the library " + library.name +
                                        ", which this computer lacks: please install the package " +
                                        library.package + " (so named on Debian and Ubuntu)."
                                  : "This puzzle needs a newer " + library.name +
                                        " than this computer has (" + path + " lacks " + lacking +
                                        "): please update the package " + library.package + ".";
        }
    }
    return verdict;
}

} // namespace HostLibraries
