#include "console.h"

#include <cstdio>

namespace qlv::cli {

namespace {

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stream);
}

} // namespace

void printOut(const QString& text)
{
    print(stdout, text);
}

void printErr(const QString& text)
{
    // Keeps a message after the output it explains when both go to one terminal.
    std::fflush(stdout);
    print(stderr, text);
}

} // namespace qlv::cli
