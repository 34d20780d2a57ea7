#include "legacyfixture.h"

#include <core/codepage.h>
#include <irdata/coderecord.h>
#include <project/derivedfields.h>

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace qlv::test {

QString legacyFixturePath()
{
    const QString folder = qEnvironmentVariable("QLV_FIXTURES");
    const QString path = QDir(folder).filePath(QStringLiteral("legacy-tv.qlv"));
    return !folder.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void verifyLegacyFixtureRows(const std::vector<KeyRow>& rows)
{
    static const QStringList names = {"POWER", "MUTE",  "VOL+",  "VOL-", "CH+", "CH-", "音量+",
                                      "音量-", "频道+", "频道-", "MENU", "OK",  "UP",  "DOWN",
                                      "LEFT",  "RIGHT", "1",     "2",    "3",   "4"};
    static const QStringList oddRemarks = {"客厅电视", "Living room TV", ""};
    QCOMPARE(rows.size(), std::size_t(512));
    for (int id = 1; id <= 512; ++id) {
        const KeyRow& row = rows[std::size_t(id - 1)];
        const QByteArray where = "ID " + QByteArray::number(id);
        QVERIFY2(row.id == id, where);
        if (id <= 20) {
            const bool twoCodes = id % 5 == 4;
            QVERIFY2(row.function == names[id - 1], where);
            QVERIFY2(row.format == QString(twoCodes ? "RC5/RC6" : "Normal"), where);
            QVERIFY2(row.carry == QString(twoCodes ? "36156" : "38416"), where);
            if (id % 2)
                QVERIFY2(row.remark && oddRemarks.contains(*row.remark), where);
            else
                QVERIFY2(!row.remark, where);
            QVERIFY2(row.irData && row.irData->size() == 512, where);
            const CodeRecord record = recordOf(row);
            QVERIFY2(record[0] == CodeMarker, where);
            const QByteArray gbk = toCodePage(names[id - 1]);
            QVERIFY2(row.irData->mid(int(NameOffset), gbk.size() + 1) == gbk + '\0', where);
            // The stored texts are those the record gives.
            QVERIFY2(withDerivedFields(row) == row, where);
            continue;
        }
        QByteArray irData(512, '\0');
        std::optional<QString> remark;
        QString function;
        if (id == 301) {
            irData.resize(300);
            for (int i = 0; i < 200; ++i)
                irData[i] = char(i);
            function = "SHORT";
            remark = "300 bytes";
        } else if (id == 512) {
            remark = QString(120, u'R');
        }
        QVERIFY2(row.function == function, where);
        QVERIFY2(row.format == QString() && row.carry == QString(), where);
        QVERIFY2(row.remark == remark, where);
        if (id == 300)
            QVERIFY2(!row.irData, where);
        else
            QVERIFY2(row.irData == irData, where);
    }
}

namespace {

constexpr qsizetype PageSize = 4096;

// A table or column name (stored as UTF-16) renamed, so that it goes missing.
QByteArray withNameReplaced(QByteArray jet, const QString& from, const QString& to)
{
    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    const qsizetype at = jet.indexOf(utf16(from));
    if (at >= 0)
        jet.replace(at, from.size() * 2, utf16(to));
    return jet;
}

// The header bytes of every long-value page flipped: the IR Data bytes can no longer be found.
QByteArray withLongValuePagesFlipped(QByteArray jet)
{
    for (qsizetype at = 0; at + PageSize <= jet.size(); at += PageSize)
        if (jet.mid(at + 4, 4) == "LVAL")
            for (qsizetype i = at; i < at + 16; ++i)
                jet[i] = char(~jet[i]);
    return jet;
}

} // namespace

QByteArray refusedVariant(const QByteArray& jet, const QString& name)
{
    if (name == "no Jet file")
        return "K-817T\r\n";
    if (name == "Jet 3" || name == "unknown Jet version") {
        QByteArray bytes = jet;
        bytes[0x14] = name == "Jet 3" ? '\0' : '\x09';
        return bytes;
    }
    if (name == "cut inside a page")
        return jet.left(jet.size() - 1000);
    if (name == "cut at a page")
        return jet.left(jet.size() / PageSize / 2 * PageSize);
    if (name == "header, then garbage") {
        QByteArray bytes = jet.left(PageSize);
        for (int i = 0; i < 20 * PageSize; ++i)
            bytes += char(i * 37 + i / 91);
        return bytes;
    }
    if (name == "long value pages flipped")
        return withLongValuePagesFlipped(jet);
    if (name == "no KeyInfo")
        return withNameReplaced(jet, "KeyInfo", "KeyInfX");
    if (name == "no Carry")
        return withNameReplaced(jet, "Carry", "Carrx");
    if (name == "no ReCyc")
        return withNameReplaced(jet, "ReCyc", "ReCyx");
    return jet;
}

} // namespace qlv::test
