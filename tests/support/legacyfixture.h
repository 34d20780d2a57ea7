// The Windows version's project file among the shared fixtures, what its README says it holds,
// and damaged variants of it built on the spot.
#pragma once

#include <project/keyrow.h>

#include <QByteArray>
#include <QString>

#include <vector>

namespace qlv::test {

// The fixture's path, or empty when the QLV_FIXTURES folder does not hold it.
QString legacyFixturePath();

#define QLV_REQUIRE_LEGACY_FIXTURE(path)                                                           \
    const QString path = qlv::test::legacyFixturePath();                                           \
    if (path.isEmpty())                                                                            \
    QSKIP("legacy-tv.qlv is not in the QLV_FIXTURES folder; the Windows version's files go "       \
          "untested")

// Fails the running test at the first row that differs from the README's account; rows are in
// ID order. Check QTest::currentTestFailed() after it.
void verifyLegacyFixtureRows(const std::vector<KeyRow>& rows);

// Variants of the fixture's bytes that must be refused, and a part of the message each gets.
struct RefusedVariant {
    const char* name;
    const char* message;
};
inline constexpr RefusedVariant RefusedVariants[] = {
    {"no Jet file", "not a project file of the Windows version"},
    {"Jet 3", "is a Jet 3 database"},
    {"unknown Jet version", "unknown version"},
    {"cut inside a page", "not a whole number of 4096-byte pages"},
    {"cut at a page", "the file is damaged"},
    {"header, then garbage", "the file is damaged"},
    {"long value pages flipped", "the file is damaged"},
    {"no KeyInfo", "no table \"KeyInfo\""},
    {"no Carry", "table \"KeyInfo\" has no column \"Carry\""},
    {"no ReCyc", "table \"ModelInfo\" has no column \"ReCyc\""},
};
QByteArray refusedVariant(const QByteArray& jet, const QString& name);

} // namespace qlv::test
