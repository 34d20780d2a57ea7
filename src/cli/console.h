// Lines to stdout and stderr, always UTF-8 whatever the locale says. Every message on stderr
// starts with "qlvtool: " and names the file it is about.
#pragma once

#include <QString>
#include <QStringList>

namespace qlv::cli {

void printOut(const QString& text);
// A message: an error, or a warning about a result.
void printErr(const QString& text);
// A message that only tells how things go (a prompt, a completion); --quiet silences it.
void printNote(const QString& text);
// The text as it is, for the usage error's "Try ..." line and help on stderr.
void printRawErr(const QString& text);

// The files the command works on, as the user named them: a message that names none of them
// is put under the first.
void setMessageFiles(const QStringList& files);
const QStringList& messageFiles();
void setQuiet(bool quiet);
bool quiet();

// "qlvtool: " and, unless text names one of the command's files, the first one.
QString messageLine(const QString& text);

// Flushes stdout; false (and the message said) when what was printed could not all be written.
bool outputWritten();

} // namespace qlv::cli
