// The section reader and the in-memory section edits over an arbitrary image. Input: one byte
// giving the name's length (modulo 16), the name, then the image.
#include "FuzzSupport.h"
#include "engine/container/ExecutablePayload.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto *bytes = reinterpret_cast<const char *>(data);
    const std::size_t nameLength = std::min<std::size_t>(data[0] % 16, size - 1);
    const QByteArray name(bytes + 1, static_cast<qsizetype>(nameLength));
    const QByteArray image(bytes + 1 + nameLength, static_cast<qsizetype>(size - 1 - nameLength));
    if (image.isEmpty())
        return 0; // an empty image would be read from the fuzzer's own file

    ExeImage() = image;
    const QByteArray section = ReadSection(name);
    Require(image.contains(section));

    QByteArray removed = image;
    RemoveSection(name, removed);
    Require(removed.size() <= image.size());
    Require(section.isEmpty() || removed.size() < image.size() - section.size());

    ReplaceSection(name, "replacement");
    Require(ExeImage().size() >= removed.size());

    DeleteSection(name);
    QByteArray appended = image;
    AppendSection(name, section, appended);
    Require(appended.startsWith(image));
    ExeImage().clear();
    return 0;
}
