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

// The file with a table or column name (stored as UTF-16) renamed, so that it goes missing.
QByteArray withNameReplaced(QByteArray jet, const QString& from, const QString& to);

} // namespace qlv::test
