// import-codes and export-codes end to end: the built qlvtool on real files from other tools,
// and the round trips through a project that must hold.
#include "toolrun.h"

#include <interchange/interchange.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using namespace qlv;
using namespace qlv::interchange;

namespace {

constexpr double TickUs = 1200.0 / 2212.0;

QByteArray fixture(const char* name)
{
    const QString folder = qEnvironmentVariable("QLV_FIXTURES");
    QFile file(folder + "/ir/" + QString::fromLatin1(name));
    return !folder.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#define QLV_IR_FIXTURE(var, name)                                                                  \
    const QByteArray var = fixture(name);                                                          \
    if (var.isNull())                                                                              \
        QSKIP(name " is not in the QLV_FIXTURES/ir folder");

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// name -> "protocol address / command" of every parsed signal of a Flipper file.
std::map<QString, QString> flipperParsed(const QByteArray& text)
{
    std::map<QString, QString> out;
    QString name, protocol, address;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith("name: "))
            name = QString::fromUtf8(line.mid(6));
        else if (line.startsWith("protocol: "))
            protocol = QString::fromUtf8(line.mid(10));
        else if (line.startsWith("address: "))
            address = QString::fromUtf8(line.mid(9));
        else if (line.startsWith("command: "))
            out[name] = protocol + ' ' + address + " / " + QString::fromUtf8(line.mid(9));
    }
    return out;
}

// The PROTOCOL column of import-codes' lines, by name.
std::map<QString, QString> protocolsByName(const QString& out)
{
    std::map<QString, QString> protocols;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 3)
            protocols[fields[1]] = fields[2];
    }
    return protocols;
}

// The signal as the record's pair merging leaves it: marks, and separately spaces, sorted and
// put in bins that grow while a value stays within 100 us or 5 % of the bin's mean; each value
// becomes its bin's mean.
IrSignal merged(const IrSignal& signal)
{
    IrSignal out = signal;
    for (std::size_t kind = 0; kind < 2; ++kind) {
        std::vector<std::uint32_t*> values;
        for (IrSequence* sequence : {&out.intro, &out.repeat})
            for (std::size_t i = kind; i < sequence->size(); i += 2)
                values.push_back(&(*sequence)[i]);
        std::sort(values.begin(), values.end(), [](auto* a, auto* b) { return *a < *b; });
        std::vector<double> original;
        for (auto* value : values)
            original.push_back(*value);
        std::size_t begin = 0;
        double sum = 0;
        const auto close = [&](std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                *values[i] = std::uint32_t(std::lround(sum / double(end - begin)));
        };
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double mean = i > begin ? sum / double(i - begin) : original[i];
            const double difference = std::abs(original[i] - mean);
            if (i > begin && difference > 100 && difference > 0.05 * std::max(original[i], mean)) {
                close(i);
                begin = i;
                sum = 0;
            }
            sum += original[i];
        }
        close(values.size());
    }
    return out;
}

// Every duration of got within tolerance of want, but the last of each sequence: the trailing
// gaps of intro and repeat become one value in a record.
void compareDurations(const QString& name, const IrSequence& want, const IrSequence& got,
                      double burstTolerance, double gapTolerance)
{
    QVERIFY2(want.size() == got.size(), qPrintable(QStringLiteral("%1: %2 durations, %3 back")
                                                       .arg(name)
                                                       .arg(want.size())
                                                       .arg(got.size())));
    for (std::size_t i = 0; i + 1 < want.size(); ++i) {
        const double tolerance = i % 2 == 0 ? burstTolerance : gapTolerance;
        QVERIFY2(std::abs(double(want[i]) - double(got[i])) <= tolerance,
                 qPrintable(QStringLiteral("%1: duration %2 was %3, came back %4 (tolerance %5)")
                                .arg(name)
                                .arg(i)
                                .arg(want[i])
                                .arg(got[i])
                                .arg(tolerance)));
    }
}

} // namespace

class TstCodeFiles : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    test::ToolRun qlvtool(const QStringList& args) const
    {
        return test::runQlvtool(m_dir->path(), args);
    }
    bool succeeds(const QStringList& args) const
    {
        return test::qlvtoolSucceeds(m_dir->path(), args);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(succeeds({"new", "p"}));
    }

    void flipperParsedRoundTrip()
    {
        QLV_IR_FIXTURE(ultimea, "ultimea-poseidon-m20.ir");
        QLV_IR_FIXTURE(vizio, "vizio-vx32l.ir");
        writeFile("ultimea.ir", ultimea);
        writeFile("vizio.ir", vizio);
        const test::ToolRun first = qlvtool({"import-codes", "ultimea.ir", "p"});
        QCOMPARE(first.exitCode, 0);
        QVERIFY(first.out.startsWith("1\tPower\tNEC1-f16 D=0 S=11 F=187 E=61\n"));
        QVERIFY(succeeds({"export-codes", "p", "ultimea-back.ir"}));
        QVERIFY(succeeds({"new", "q"}));
        QVERIFY(succeeds({"import-codes", "vizio.ir", "q", "--at", "100"}));
        QVERIFY(succeeds({"export-codes", "q", "vizio-back.ir"}));

        for (const auto& [input, output] : {std::pair{ultimea, QStringLiteral("ultimea-back.ir")},
                                            std::pair{vizio, QStringLiteral("vizio-back.ir")}}) {
            const auto back = flipperParsed(readFile(output));
            for (const auto& [name, code] : flipperParsed(input)) {
                QVERIFY2(back.count(name), qPrintable(name));
                QCOMPARE(back.at(name), code);
            }
        }
        // raw captures come back as the parsed signals the firmware would have stored
        QCOMPARE(flipperParsed(readFile("ultimea-back.ir")).at("Bass Up"),
                 QStringLiteral("NECext 00 0B 00 00 / BB 4A 00 00"));
        QCOMPARE(flipperParsed(readFile("vizio-back.ir")).at("Power"),
                 QStringLiteral("NEC 04 00 00 00 / 08 00 00 00"));
    }

    void rawRoundTripKeepsDurationsAndDecodes()
    {
        // A capture whose durations repeat exactly, so that merging leaves them as they are.
        QByteArray capture = "carrier 38000\npulse 9000\nspace 4500\n";
        for (int bit = 0; bit < 32; ++bit)
            capture += "pulse 560\nspace " + QByteArray(bit % 3 ? "560" : "1690") + "\n";
        capture += "pulse 560\nspace 39000\npulse 9000\nspace 2250\npulse 560\ntimeout 100000\n";
        writeFile("capture.mode2", capture);
        const test::ToolRun imported =
            qlvtool({"import-codes", "capture.mode2", "p", "--format", "mode2"});
        QCOMPARE(imported.exitCode, 0);
        QVERIFY(succeeds({"export-codes", "p", "back.mode2", "--format", "mode2"}));

        const IrSignal want = std::get<IrSignal>(parseMode2(view(capture)).codes.at(0).code);
        const IrSignal got =
            std::get<IrSignal>(parseMode2(view(readFile("back.mode2"))).codes.at(0).code);
        QCOMPARE(got.frequency, 37632u); // the device's carrier step nearest 38000 Hz
        compareDurations("capture", want.intro, got.intro, 1e6 / got.frequency, 8 * TickUs);

        QVERIFY(succeeds({"new", "q"}));
        const test::ToolRun again =
            qlvtool({"import-codes", "back.mode2", "q", "--format", "mode2"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, imported.out);
    }

    void realRawCapturesDecodeAsBefore_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<QString>("format");
        QTest::newRow("RC5 to mode2") << "mag-tv-box.ir"
                                      << "mode2";
        QTest::newRow("RC5 to Pronto") << "mag-tv-box.ir"
                                       << "pronto";
        QTest::newRow("NEC to LIRC") << "vizio-vx32l.ir"
                                     << "lirc";
        QTest::newRow("NEC to Flipper") << "vizio-vx32l.ir"
                                        << "flipper";
    }

    void realRawCapturesDecodeAsBefore()
    {
        QFETCH(QString, fixtureName);
        QFETCH(QString, format);
        const QByteArray text = fixture(fixtureName.toLatin1().constData());
        if (text.isNull())
            QSKIP("the fixture is not in the QLV_FIXTURES/ir folder");
        writeFile("in.ir", text);
        const test::ToolRun imported = qlvtool({"import-codes", "in.ir", "p"});
        QCOMPARE(imported.exitCode, 0);
        QVERIFY(succeeds({"export-codes", "p", "out.txt", "--format", format}));
        QVERIFY(succeeds({"new", "q"}));
        const test::ToolRun again = qlvtool({"import-codes", "out.txt", "q", "--format", format});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(protocolsByName(again.out), protocolsByName(imported.out));
    }

    void prontoRoundTrip()
    {
        QLV_IR_FIXTURE(examples, "pronto-examples.txt");
        writeFile("examples.txt", examples);
        const test::ToolRun imported = qlvtool({"import-codes", "examples.txt", "p"});
        QCOMPARE(imported.exitCode, 0);
        // the fixture's third column is the decode each code must give
        std::map<QString, QString> expected;
        for (const QByteArray& line : examples.split('\n'))
            if (const QList<QByteArray> f = line.split('\t'); f.size() == 3)
                expected[QString::fromUtf8(f[0]).left(15)] = QString::fromUtf8(f[2]); // 15 bytes
        QCOMPARE(protocolsByName(imported.out), expected);

        QVERIFY(succeeds({"export-codes", "p", "back.txt", "--format", "pronto"}));
        QVERIFY(succeeds({"new", "q"}));
        const test::ToolRun again = qlvtool({"import-codes", "back.txt", "q"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(protocolsByName(again.out), expected);

        const ParseResult in = parsePronto(view(examples));
        const ParseResult out = parsePronto(view(readFile("back.txt")));
        QCOMPARE(out.codes.size(), in.codes.size());
        for (std::size_t i = 0; i < in.codes.size(); ++i) {
            const auto* given = std::get_if<IrSignal>(&in.codes[i].code);
            if (!given)
                continue; // a short form: only its decode is kept
            const IrSignal mergedInput = merged(*given);
            const IrSignal* want = &mergedInput;
            const IrSignal& got = std::get<IrSignal>(out.codes[i].code);
            const QString name = QString::fromStdString(in.codes[i].name);
            // Bursts are whole carrier periods; gaps are 8-tick steps, read back through a
            // Pronto word, which adds half a unit of the written frequency code.
            const double unit = 1e6 / got.frequency;
            const double burst = 1e6 / want->frequency + unit / 2;
            const double gap = 8 * TickUs + unit / 2;
            if (want->intro.empty()) {
                compareDurations(name, want->repeat, got.repeat, burst, gap);
            } else {
                compareDurations(name, want->intro, got.intro, burst, gap);
                if (!want->repeat.empty())
                    compareDurations(name, want->repeat, got.repeat, burst, gap);
            }
        }
    }

    void csvRowsIdentifyAsWritten()
    {
        writeFile("tv.csv", "functionname,protocol,device,subdevice,function\n"
                            "POWER,NEC1,7,-1,2\n"
                            "\"VOL, UP\",nec1,4,251,2\n"
                            "OK,RC5,14,-1,44\n"
                            "Menu,Sony12,1,-1,21\n"
                            "Input,Panasonic,160,28,61\n"
                            "Tuner,JVC,163,-1,11\n"
                            "Eject,Sharp{1},1,-1,22\n"
                            "Page,Denon-K,4.1,945\n");
        const test::ToolRun imported = qlvtool({"import-codes", "tv.csv", "p", "--at", "5"});
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(imported.out.split(u'\n').value(1),
                 QStringLiteral("6\tVOL, UP\tNEC1 D=4 S=251 F=2"));
        const test::ToolRun identify = qlvtool({"identify", "p"});
        QCOMPARE(identify.exitCode, 0);
        QCOMPARE(identify.out, QStringLiteral("5\tA\tNEC1\tD=7 S=248 F=2\n"
                                              "6\tA\tNEC1\tD=4 S=251 F=2\n"
                                              "7\tA\tRC5\tD=14 F=44 T=0\n"
                                              "7\tB\tRC5\tD=14 F=44 T=1\n"
                                              "8\tA\tSony12\tD=1 F=21\n"
                                              "9\tA\tPanasonic\tD=160 S=28 F=61\n"
                                              "10\tA\tJVC\tD=163 F=11\n"
                                              "11\tA\tSharp\tD=1 F=22\n"
                                              "12\tA\tDenon-K\tD=4 S=1 F=945\n"));
        // and out again: the same rows
        QVERIFY(succeeds({"export-codes", "p", "back.csv"}));
        const ParseResult rows = parseIrdbCsv(view(readFile("back.csv")));
        QCOMPARE(rows.codes.size(), std::size_t(8));
        QCOMPARE(rows.codes[1].name, std::string("VOL, UP"));
    }

    void nothingIsStoredWhenOneCodeIsBad()
    {
        writeFile("tv.csv", "functionname,protocol,device,subdevice,function\n"
                            "POWER,NEC1,7,-1,2\n"
                            "Odd,RECS80,1,-1,2\n"
                            "One,Samsung36,32,0,0\n"
                            "MUTE,NEC1,7,-1,9\n");
        const QByteArray before = readFile("p.qlv");
        const test::ToolRun refused = qlvtool({"import-codes", "tv.csv", "p"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.out.isEmpty());
        QVERIFY2(refused.err.contains("line 3: protocol 'RECS80' is not one QLV renders") &&
                     refused.err.contains("line 4: Samsung36 needs E"),
                 qPrintable(refused.err));
        QCOMPARE(readFile("p.qlv"), before);

        const test::ToolRun skipped = qlvtool({"import-codes", "tv.csv", "p", "--skip-bad"});
        QCOMPARE(skipped.exitCode, 0);
        QCOMPARE(skipped.out,
                 QStringLiteral("1\tPOWER\tNEC1 D=7 S=248 F=2\n2\tMUTE\tNEC1 D=7 S=248 F=9\n"));
        QVERIFY(skipped.err.contains("line 3: protocol 'RECS80'"));

        const test::ToolRun full =
            qlvtool({"import-codes", "tv.csv", "p", "--at", "512", "--skip-bad"});
        QCOMPARE(full.exitCode, 0);
        QVERIFY2(full.err.contains("line 5 (MUTE): past slot 512"), qPrintable(full.err));
        const test::ToolRun past = qlvtool({"import-codes", "tv.csv", "p", "--at", "512"});
        QCOMPARE(past.exitCode, 1);
    }

    void usageErrors()
    {
        writeFile("codes.txt", "hello\n");
        QCOMPARE(qlvtool({"import-codes", "codes.txt", "p", "--format", "xml"}).exitCode, 2);
        const test::ToolRun unknown = qlvtool({"import-codes", "codes.txt", "p"});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.err.contains("give --format pronto, flipper, lirc, mode2 or csv"));
        QCOMPARE(qlvtool({"import-codes", "codes.txt", "p", "--skip-bad=yes"}).exitCode, 2);
        QCOMPARE(qlvtool({"export-codes", "p", "out.txt"}).exitCode, 2);
        QCOMPARE(qlvtool({"export-codes", "p", "out.ir", "--ids", "3-1"}).exitCode, 2);
        QVERIFY(qlvtool({"import-codes", "--help"}).out.contains("--skip-bad"));
    }

    void exportChoosesSlotsAndReplacesOnlyWithForce()
    {
        writeFile("tv.csv", "a,NEC1,1,-1,1\nOK,RC5,14,-1,44\n,NEC1,1,-1,3\n");
        QVERIFY(succeeds({"import-codes", "tv.csv", "p"}));
        QVERIFY(succeeds({"set-name", "p", "3", ""}));
        const test::ToolRun chosen =
            qlvtool({"export-codes", "p", "out.pronto", "--format", "pronto", "--ids", "2-4"});
        QCOMPARE(chosen.exitCode, 0);
        QVERIFY2(chosen.err.contains("No code in slot 4; left out."), qPrintable(chosen.err));
        const ParseResult back = parsePronto(view(readFile("out.pronto")));
        QCOMPARE(back.codes.size(), std::size_t(3));
        QCOMPARE(back.codes[0].name, std::string("OK"));
        QCOMPARE(back.codes[1].name, std::string("OK_T"));
        QCOMPARE(back.codes[2].name, std::string("Slot 3"));

        const QByteArray before = readFile("out.pronto");
        QCOMPARE(qlvtool({"export-codes", "p", "out.pronto", "--format", "pronto"}).exitCode, 1);
        QCOMPARE(readFile("out.pronto"), before);
        QVERIFY(succeeds({"export-codes", "p", "out.pronto", "--format", "pronto", "--force"}));
        QCOMPARE(parsePronto(view(readFile("out.pronto"))).codes.size(), std::size_t(4));
    }
};

QTEST_GUILESS_MAIN(TstCodeFiles)
#include "tst_codefiles.moc"
