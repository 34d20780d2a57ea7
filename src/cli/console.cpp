#include "console.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qlv::cli {

namespace {

QStringList s_files;
bool s_quiet = false;

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stream);
}

// The file's name as a word of text, with or without its extension.
bool namesFile(const QString& text, const QString& file)
{
    const QString name = QRegularExpression::escape(QFileInfo(file).fileName());
    const QRegularExpression word(QStringLiteral("(^|[\\s/\"'(])%1($|[\\s.:,;\"')!])").arg(name));
    return word.match(text).hasMatch();
}

} // namespace

void setMessageFiles(const QStringList& files)
{
    s_files = files;
}

const QStringList& messageFiles()
{
    return s_files;
}

void setQuiet(bool quiet)
{
    s_quiet = quiet;
}

bool quiet()
{
    return s_quiet;
}

QString messageLine(const QString& text)
{
    const QString prefix = QStringLiteral("qlvtool: ");
    if (s_files.isEmpty() ||
        std::any_of(s_files.cbegin(), s_files.cend(),
                    [&text](const QString& file) { return namesFile(text, file); }))
        return prefix + text;
    return prefix + s_files.first() + QStringLiteral(": ") + text;
}

void printOut(const QString& text)
{
    print(stdout, text);
}

void printErr(const QString& text)
{
    // Keeps a message after the output it explains when both go to one terminal.
    std::fflush(stdout);
    print(stderr, messageLine(text));
}

void printNote(const QString& text)
{
    if (!s_quiet)
        printErr(text);
}

void printRawErr(const QString& text)
{
    std::fflush(stdout);
    print(stderr, text);
}

bool outputWritten()
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    const int error = errno;
    printRawErr(QStringLiteral("qlvtool: standard output: %1.")
                    .arg(QString::fromLocal8Bit(std::strerror(error != 0 ? error : EIO))));
    return false;
}

} // namespace qlv::cli
