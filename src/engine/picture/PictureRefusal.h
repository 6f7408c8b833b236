#pragma once
// Why a picture file was not loaded, and the one place that puts each cause into words for the
// user: the picture editor, the properties dialog (through its editor) and the command line's
// --make all show these messages.

#include <QSize>
#include <QString>
#include <cstdint>

enum class TRefusalCause {
    NotFound,
    Folder,
    NoPermission,
    Empty,
    UnknownType, // an extension outside the table of types
    WrongType,   // content of another type than the extension names
    Truncated,   // the file ends before its picture does
    Damaged,
    TooManyPixels,   // size: the picture's; limit: pixels
    OverMemoryBudget // limit: bytes of the budget left; needed: bytes decoding takes
};

struct TPictureRefusal {
    TPictureRefusal(TRefusalCause cause, QSize size = QSize(), std::int64_t limit = 0,
                    std::int64_t needed = 0)
        : cause(cause), size(size), limit(limit), needed(needed)
    {
    }

    TRefusalCause cause;
    QSize size;
    std::int64_t limit;
    std::int64_t needed;
};

// The message for a refusal; role names the picture in the messages about size ("The source
// picture", "The alternative picture"; "The picture" when there is one only).
QString RefusalMessage(const TPictureRefusal &refusal,
                       const QString &role = QStringLiteral("The picture"));
