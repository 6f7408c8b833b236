// The command-line parser: any arguments end in a job or a usage error, never in a crash. The
// input is the argument list, arguments separated by NUL bytes. Nothing is run.

#include "app/CommandLine.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &argument : bytes.split('\0'))
        arguments.append(QString::fromUtf8(argument));
    CommandLineUsageError(arguments);
    return 0;
}
