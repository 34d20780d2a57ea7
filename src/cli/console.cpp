#include "console.h"

#include <QDir>
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

// The file as a word of text: its path as given or absolute, or its name, each only when it has
// a folder or an extension. A bare word such as the "1" of /dev/pts/1 matches ordinary text.
bool namesFile(const QString& text, const QString& file)
{
    const QFileInfo info(file);
    for (const QString& form :
         {QDir::toNativeSeparators(file), QDir::toNativeSeparators(info.absoluteFilePath()),
          info.fileName()}) {
        if (!form.contains(u'/') && !form.contains(u'.'))
            continue;
        const QRegularExpression word(QStringLiteral("(^|[\\s/\"'(])%1($|[\\s.:,;\"')!])")
                                          .arg(QRegularExpression::escape(form)));
        if (word.match(text).hasMatch())
            return true;
    }
    return false;
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
