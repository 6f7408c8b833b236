// Container text from a puzzle's payload is outside input: reading it must end in a tree or an
// EKeyedNodeError, never in a crash, a hang or a leak, and whatever tree results (a partial one
// after an error included) must be writable. Writing and reading again is not required to
// succeed: names are written unescaped, so a name read with a "=" cannot close its element.

#include "engine/container/KeyedNode.h"

#include <cstddef>
#include <cstdint>

namespace
{

void LoadIgnoringErrors(TKeyedNode &node, const QByteArray &text)
{
    try {
        node.LoadFromText(text);
    } catch (const EKeyedNodeError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TKeyedNode node;
    LoadIgnoringErrors(
        node, QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    TKeyedNode reread;
    LoadIgnoringErrors(reread, node.SaveToText());
    return 0;
}
