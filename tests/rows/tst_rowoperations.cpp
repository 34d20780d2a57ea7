// Copy, Paste, Select All, Insert, Delete, the go-to rules and the two slot edits, on a real
// project with the row-change handler attached as the window attaches it.
#include <project/derivedfields.h>
#include <rows/gotorules.h>
#include <rows/rowoperations.h>
#include <rows/slotedits.h>
#include <support/projectrig.h>
#include <support/records.h>
#include <support/scriptedprompter.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace qlv;
using namespace qlv::test;

namespace {

// A slot with recognisable content: its own name, remark and carrier period.
KeyRow filled(const KeyRow& slot, int n)
{
    KeyRow row = slot;
    const std::string name = "K" + std::to_string(n);
    row.function = QString::fromStdString(name);
    row.remark = QStringLiteral("R%1").arg(n);
    row.irData = toBytes(oneCodeRecord(std::uint8_t(n % 200 + 20), name));
    return row;
}

bool isEmptySlot(const KeyRow& row)
{
    return textOf(row.function).isEmpty() && textOf(row.format).isEmpty() &&
           textOf(row.carry).isEmpty() && textOf(row.remark).isEmpty() &&
           row.irData == QByteArray(512, '\0');
}

// Everything but the ID, which belongs to the slot.
bool sameContent(const KeyRow& a, const KeyRow& b)
{
    return a.function == b.function && a.format == b.format && a.carry == b.carry &&
           a.irData == b.irData && a.remark == b.remark;
}

} // namespace

class TestRowOperations : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectRig> m_rig;
    ScriptedPrompter* m_prompter = nullptr;
    Project* m_project = nullptr;
    std::unique_ptr<RowSelection> m_selection;
    std::unique_ptr<CopyBuffer> m_buffer;
    std::unique_ptr<RowOperations> m_ops;
    int m_scrolls = 0;

    KeyTable& keys() { return m_project->keys(); }
    const KeyRow& row(int id) { return keys().row(id - 1); }

    // Rows 1..12 and 505..512 carry content; the rest stay empty.
    void fillSomeRows()
    {
        for (int id = 1; id <= 512; ++id) {
            if (id > 12 && id < 505)
                continue;
            keys().setRecNo(id);
            keys().post(filled(keys().current(), id));
        }
        m_project->setModified(false);
    }

    std::vector<KeyRow> snapshot()
    {
        std::vector<KeyRow> rows;
        for (int i = 0; i < keys().recordCount(); ++i)
            rows.push_back(keys().row(i));
        return rows;
    }

    // Moves as the keyboard does: the handler runs and, the button being up, clears.
    void moveTo(int id)
    {
        keys().setRecNo(id);
        m_scrolls = 0;
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ProjectRig>();
        m_prompter = &m_rig->prompter;
        m_project = &m_rig->project;
        QVERIFY(m_rig->start());
        m_selection = std::make_unique<RowSelection>();
        m_buffer = std::make_unique<CopyBuffer>();
        m_ops = std::make_unique<RowOperations>(*m_project, *m_selection, *m_buffer, *m_prompter);
        keys().setAfterScroll([this] {
            ++m_scrolls;
            m_selection->clear();
        });
        fillSomeRows();
        moveTo(1);
    }

    void copyTakesSelectedRowsInTableOrder()
    {
        // Ctrl+click on 7, 3, 5: the list keeps table order, row 5 was clicked last.
        moveTo(5);
        for (int id : {7, 3, 5})
            m_selection->toggleRow(id - 1);
        m_ops->CopyExecute();
        QCOMPARE(m_buffer->copyCount, 3);
        QCOMPARE(m_buffer->copiedFunctions[0], QStringLiteral("K3"));
        QCOMPARE(m_buffer->copiedFunctions[1], QStringLiteral("K5"));
        QCOMPARE(m_buffer->copiedFunctions[2], QStringLiteral("K7"));
        QCOMPARE(m_buffer->copiedRemarks[2], QStringLiteral("R7"));
        QCOMPARE(m_buffer->copiedIrData[1], recordOf(row(5)));
        QCOMPARE(keys().recNo(), 7);
        QCOMPARE(m_selection->rows(), (std::vector<int>{2, 4, 6}));
        QCOMPARE(m_scrolls, 0);
        QVERIFY(!m_project->modified());
    }

    void copyWithoutSelectionTakesCurrentRow()
    {
        moveTo(4);
        m_ops->CopyExecute();
        QCOMPARE(m_buffer->copyCount, 1);
        QCOMPARE(m_buffer->copiedFunctions[0], QStringLiteral("K4"));
        QCOMPARE(m_selection->rows(), std::vector<int>{3});
    }

    void pasteStopsAtLastRow()
    {
        for (int id : {7, 3, 5})
            m_selection->toggleRow(id - 1);
        m_ops->CopyExecute();
        const KeyRow row3 = row(3);
        const KeyRow row5 = row(5);
        const KeyRow row510 = row(510);
        moveTo(511);
        QSignalSpy redraws(m_project, &Project::redrawWave);
        m_ops->PasteExecute();
        QVERIFY(sameContent(row(511), row3));
        QVERIFY(sameContent(row(512), row5));
        QCOMPARE(row(511).id, 511);
        QCOMPARE(row(510), row510);
        QCOMPARE(m_selection->rows(), (std::vector<int>{510, 511}));
        QCOMPARE(keys().recNo(), 512);
        QVERIFY(m_project->modified());
        QCOMPARE(m_scrolls, 0);
        QCOMPARE(redraws.count(), 0);
    }

    void pasteTakesFunctionFromRecordName()
    {
        moveTo(20);
        {
            // A "Function" text that disagrees with the record, as another program may store.
            PostHandlerDetached detached(keys());
            KeyRow odd = keys().current();
            odd.function = QStringLiteral("Other");
            odd.irData = toBytes(oneCodeRecord(48, "REC"));
            keys().post(odd);
        }
        m_ops->CopyExecute();
        moveTo(30);
        m_ops->PasteExecute();
        QCOMPARE(textOf(row(30).function), QStringLiteral("REC"));
        QCOMPARE(textOf(row(30).carry), QStringLiteral("38416"));
    }

    void bufferOutlivesNew()
    {
        moveTo(3);
        m_ops->CopyExecute();
        m_prompter->answer(Answer::No);
        QVERIFY(m_project->NewExecute());
        QVERIFY(textOf(row(3).function).isEmpty());
        QVERIFY(m_ops->PasteUpdate());
        m_ops->PasteExecute();
        QCOMPARE(textOf(row(1).function), QStringLiteral("K3"));
        QCOMPARE(textOf(row(1).remark), QStringLiteral("R3"));
    }

    void pasteDisabledUntilCopy()
    {
        QVERIFY(!m_ops->PasteUpdate());
        const std::vector<KeyRow> before = snapshot();
        m_ops->PasteExecute();
        QVERIFY(snapshot() == before);
    }

    void selectAll()
    {
        QSignalSpy redraws(m_project, &Project::redrawWave);
        m_ops->SelectAllExecute();
        QCOMPARE(m_selection->count(), 512);
        QCOMPARE(m_selection->item(0), 0);
        QCOMPARE(m_selection->item(511), 511);
        QCOMPARE(keys().recNo(), 512);
        QCOMPARE(m_scrolls, 0);
        QCOMPARE(redraws.count(), 0);
        QVERIFY(!keys().controlsDisabled());
    }

    void insert_data()
    {
        QTest::addColumn<int>("at");
        QTest::newRow("row 10") << 10;
        QTest::newRow("row 512") << 512;
    }

    void insert()
    {
        QFETCH(int, at);
        const std::vector<KeyRow> before = snapshot();
        moveTo(at);
        m_selection->selectRow(2);
        QSignalSpy redraws(m_project, &Project::redrawWave);
        m_ops->InsertFunctionsExecute();
        for (int id = 1; id <= 512; ++id) {
            const KeyRow& now = row(id);
            QCOMPARE(now.id, id);
            if (id < at)
                QVERIFY2(now == before[std::size_t(id - 1)], qPrintable(QString::number(id)));
            else if (id == at)
                QVERIFY2(isEmptySlot(now), qPrintable(QString::number(id)));
            else
                QVERIFY2(sameContent(now, before[std::size_t(id - 2)]),
                         qPrintable(QString::number(id)));
        }
        QCOMPARE(keys().recNo(), at);
        QVERIFY(m_project->modified());
        QCOMPARE(m_selection->rows(), std::vector<int>{2});
        QCOMPARE(redraws.count(), 1);
        QCOMPARE(redraws.at(0).at(0).toBool(), true);
        QVERIFY(!keys().controlsDisabled());
        QVERIFY(keys().afterPost() && keys().afterScroll());
    }

    void remove_data()
    {
        QTest::addColumn<int>("at");
        QTest::newRow("row 10") << 10;
        QTest::newRow("row 512") << 512;
    }

    void remove()
    {
        QFETCH(int, at);
        const std::vector<KeyRow> before = snapshot();
        moveTo(at);
        m_selection->selectRow(2);
        m_prompter->answer(Answer::Yes);
        QVERIFY(m_ops->DelFunctionsExecute());
        QCOMPARE(m_prompter->questions(), QStringList{QString::fromLatin1(DeleteQuestion)});
        QCOMPARE(m_prompter->calls.at(0).title, QStringLiteral("K-817T"));
        for (int id = 1; id <= 512; ++id) {
            const KeyRow& now = row(id);
            QCOMPARE(now.id, id);
            if (id < at)
                QVERIFY2(now == before[std::size_t(id - 1)], qPrintable(QString::number(id)));
            else if (id == 512)
                QVERIFY2(isEmptySlot(now), qPrintable(QString::number(id)));
            else
                QVERIFY2(sameContent(now, before[std::size_t(id)]),
                         qPrintable(QString::number(id)));
        }
        QCOMPARE(keys().recNo(), at);
        QVERIFY(m_project->modified());
        QCOMPARE(m_selection->rows(), std::vector<int>{2});
        QVERIFY(keys().afterPost() && keys().afterScroll());
    }

    void removeAnsweredNoChangesNothing()
    {
        const std::vector<KeyRow> before = snapshot();
        moveTo(10);
        QSignalSpy redraws(m_project, &Project::redrawWave);
        m_prompter->answer(Answer::No);
        QVERIFY(!m_ops->DelFunctionsExecute());
        QVERIFY(snapshot() == before);
        QVERIFY(!m_project->modified());
        QCOMPARE(keys().recNo(), 10);
        QCOMPARE(redraws.count(), 0);
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "12" << true << 12;
        QTest::newRow("leading blanks") << "   12" << true << 12;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("minus") << "-5" << true << -5;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("x hex") << "x10" << true << 16;
        QTest::newRow("0x hex") << "0x10" << true << 16;
        QTest::newRow("0X hex") << "0X1f" << true << 31;
        QTest::newRow("signed hex") << "-$10" << true << -16;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("hex wraps") << "$FFFFFFFF" << true << -1;
        QTest::newRow("letters after") << "12abc" << false << 0;
        QTest::newRow("blank after") << "12 " << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("prefix alone") << "$" << false << 0;
        QTest::newRow("too large") << "2147483648" << false << 0;
        QTest::newRow("hex too large") << "$100000000" << false << 0;
        QTest::newRow("two signs") << "+-1" << false << 0;
        QTest::newRow("other digits") << QString::fromUtf8("\u0663") << false << 0;
    }

    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<int> parsed = qlv::strToInt(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void gotoById_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero") << "0" << 1 << "";
        QTest::newRow("negative") << "-5" << 1 << "";
        QTest::newRow("last") << "512" << 512 << "";
        QTest::newRow("hex") << "$20" << 32 << "";
        QTest::newRow("not a number") << "12abc" << 100 << "'12abc' is not a valid integer value";
        QTest::newRow("beyond the table")
            << "513" << 100 << "There is no row 513: the IDs run from 1 to 512.";
    }

    void gotoById()
    {
        QFETCH(QString, text);
        QFETCH(int, recNo);
        QFETCH(QString, message);
        moveTo(100);
        m_selection->selectRange(3, 5);
        qlv::gotoById(keys(), text, *m_prompter);
        QCOMPARE(keys().recNo(), recNo);
        QCOMPARE(m_prompter->notices(), message.isEmpty() ? QStringList() : QStringList{message});
        // A move clears the selection through the row-change handler; no move keeps it.
        QCOMPARE(m_selection->count(), recNo == 100 ? 3 : 0);
    }

    void gotoByFunction_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<QString>("message");
        QTest::newRow("other case") << "power" << 100 << 40 << "";
        QTest::newRow("first of two, from below") << "POWER" << 300 << 40 << "";
        QTest::newRow("first of two, from itself") << "POWER" << 40 << 40 << "";
        QTest::newRow("part of a name") << "POW" << 100 << 100 << "Not found POW!";
    }

    void gotoByFunction()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, recNo);
        QFETCH(QString, message);
        for (int id : {40, 90}) {
            moveTo(id);
            editFunctionName(keys(), QStringLiteral("POWER"));
        }
        moveTo(from);
        qlv::gotoByFunction(keys(), text, *m_prompter);
        QCOMPARE(keys().recNo(), recNo);
        QCOMPARE(m_prompter->notices(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    void functionNameGoesIntoRecord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "TV ON" << QByteArray("TV ON", 6) << "TV ON";
        QTest::newRow("empty") << "" << QByteArray(1, '\0') << "";
        // Twelve double-byte characters do not fit 15 bytes: whole characters only.
        const QString chinese = QString::fromUtf8("电视电视电视电视电视电视");
        QTest::newRow("double-byte cut")
            << chinese << QByteArray("\xB5\xE7\xCA\xD3\xB5\xE7\xCA\xD3\xB5\xE7\xCA\xD3\xB5\xE7", 15)
            << chinese.left(7);
    }

    void functionNameGoesIntoRecord()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, field);
        QFETCH(QString, shown);
        moveTo(5);
        const CodeRecord before = recordOf(row(5));
        const QString carry = textOf(row(5).carry);
        editFunctionName(keys(), name);
        const CodeRecord after = recordOf(row(5));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.data()) + 240, field.size()),
                 field);
        for (std::size_t i = 0; i < 240; ++i)
            QCOMPARE(after[i], before[i]);
        QCOMPARE(textOf(row(5).function), shown);
        QCOMPARE(textOf(row(5).carry), carry);
        QVERIFY(m_project->modified());
    }

    void remarkStaysOutOfRecord()
    {
        moveTo(6);
        const QByteArray record = *row(6).irData;
        const QString remark(120, QLatin1Char('r'));
        editRemark(keys(), remark);
        QCOMPARE(textOf(row(6).remark), remark);
        QCOMPARE(*row(6).irData, record);
        QVERIFY(m_project->modified());
    }
};

QTEST_GUILESS_MAIN(TestRowOperations)
#include "tst_rowoperations.moc"
