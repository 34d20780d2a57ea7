// The Windows version's project files are Jet databases. They are told apart by their header,
// whatever their name, so that a renamed file still opens as what it is.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace qlv {

enum class JetHeader {
    None,    // not a Jet database (or not readable)
    Jet3,    // Access 97 or older
    Jet4,    // Access 2000 to 2003: the Windows version's project files
    Unknown, // the Jet text with a version byte no Jet release used
};

// "Standard Jet DB" at offset 4, the version byte at offset 0x14.
inline constexpr qsizetype JetHeaderSize = 0x15;

JetHeader jetHeaderOf(QByteArrayView firstBytes);
JetHeader readJetHeader(const QString& path);

// Why a Jet file of this header cannot be read; empty for Jet 4 and for no Jet file at all.
QString jetHeaderProblem(const QString& path, JetHeader header);

} // namespace qlv
