#include <irdata/irprotocol.h>
#include <irdata/signalrecord.h>

#include "flipperraw.h"

#include <QFile>
#include <QTest>

#include <random>

using namespace qlv;

Q_DECLARE_METATYPE(qlv::IrSignal)
Q_DECLARE_METATYPE(qlv::DecodeOptions)
Q_DECLARE_METATYPE(std::vector<qlv::ProtocolParameter>)

namespace {

using Parameters = std::vector<ProtocolParameter>;

IrSignal render(std::string_view protocol, const Parameters& parameters)
{
    auto result = renderSignal(protocol, parameters);
    if (const auto* error = std::get_if<RenderError>(&result))
        qFatal("%s", error->message.c_str());
    return std::get<IrSignal>(result);
}

QString decoded(const IrSignal& signal, DecodeOptions options = {})
{
    const auto code = decodeSignal(signal, options);
    return code ? QString::fromStdString(describeDecoded(*code)) : QStringLiteral("-");
}

QString text(std::string_view protocol, const Parameters& parameters)
{
    return QString::fromStdString(describeDecoded({std::string(protocol), parameters, {}}));
}

// Every parameter of the protocol, each at its low or high bound, or at random.
Parameters boundParameters(const ProtocolSpec& known, int pattern)
{
    Parameters parameters;
    int k = 0;
    for (const ParameterSpec& p : known.parameters)
        parameters.push_back({p.name, (pattern >> k++) & 1 ? p.max : p.min});
    return parameters;
}

// NEC1-f16's fourth byte must not be the complement to be told from NEC1.
bool decodable(const ProtocolSpec& known, const Parameters& parameters)
{
    if (known.name.find("-f16") == std::string::npos)
        return true;
    return parameters[3].value != 255 - parameters[2].value;
}

IrSignal throughRecord(const IrSignal& signal)
{
    const auto record = recordFromSignal(signal);
    if (const auto* error = std::get_if<EncodeError>(&record))
        qFatal("%s", error->message.c_str());
    return signalFromCode(std::get<CodeRecord>(record), Code::A);
}

// A demodulating receiver: marks longer, spaces shorter, and every duration jittered.
IrSignal captured(IrSignal signal, std::mt19937& random, int bias)
{
    std::uniform_int_distribution<int> jitter(-40, 40);
    for (IrSequence* sequence : {&signal.intro, &signal.repeat})
        for (std::size_t i = 0; i < sequence->size(); ++i)
            (*sequence)[i] =
                std::uint32_t(int((*sequence)[i]) + (i % 2 == 0 ? bias : -bias) + jitter(random));
    return signal;
}

// The long Pronto form: frequency word, intro and repeat pairs, durations in its unit.
std::optional<IrSignal> fromPronto(const QString& hex)
{
    const QStringList words = hex.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.value(0) != QLatin1String("0000"))
        return std::nullopt;
    const double unit = words.at(1).toUInt(nullptr, 16) * 0.241246;
    IrSignal signal;
    signal.frequency = std::uint32_t(std::lround(1e6 / unit));
    const int intro = 2 * int(words.at(2).toUInt(nullptr, 16));
    for (int i = 4; i < words.size(); ++i)
        (i - 4 < intro ? signal.intro : signal.repeat)
            .push_back(std::uint32_t(std::lround(words.at(i).toUInt(nullptr, 16) * unit)));
    return signal;
}

void flipSpace(IrSequence& sequence, std::size_t bit)
{
    std::uint32_t& space = sequence[2 + 2 * bit + 1];
    space = space < 1000 ? 1692 : 564;
}

} // namespace

class TestIrProtocol : public QObject {
    Q_OBJECT

private slots:
    void everyProtocolRoundTripsAtItsBounds()
    {
        for (const ProtocolSpec& known : knownProtocols()) {
            if (!known.renderable)
                continue;
            for (int pattern : {0, -1, 0x55, 0x2A}) {
                const Parameters parameters = boundParameters(known, pattern);
                if (!decodable(known, parameters))
                    continue;
                const IrSignal signal = render(known.name, parameters);
                const QString expected = text(known.name, parameters);
                QCOMPARE(decoded(signal), expected);
                QCOMPARE(decoded(throughRecord(signal)), expected);
            }
        }
    }

    void randomParametersRoundTrip()
    {
        std::mt19937 random(11);
        for (const ProtocolSpec& known : knownProtocols()) {
            if (!known.renderable)
                continue;
            for (int round = 0; round < 60; ++round) {
                Parameters parameters;
                for (const ParameterSpec& p : known.parameters)
                    parameters.push_back({p.name, std::uniform_int_distribution<std::int64_t>(
                                                      p.min, p.max)(random)});
                if (!decodable(known, parameters))
                    continue;
                const IrSignal signal = render(known.name, parameters);
                const QString expected = text(known.name, parameters);
                QCOMPARE(decoded(signal), expected);
                // Bias within what receivers do; RC6's half-bit of 444 us leaves less room.
                const int bias = known.name.rfind("RC6", 0) == 0 || known.name == "MCE" ? 40 : 60;
                QCOMPARE(decoded(throughRecord(captured(signal, random, bias))), expected);
            }
        }
    }

    void renderingsFollowTheDefinitions_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<Parameters>("parameters");
        QTest::addColumn<int>("introSize");
        QTest::addColumn<int>("repeatSize");

        QTest::newRow("NEC1") << "NEC1" << Parameters{{"D", 4}, {"F", 8}} << 68 << 4;
        QTest::newRow("NECx1") << "NECx1" << Parameters{{"D", 4}, {"F", 8}} << 68 << 6;
        QTest::newRow("Aiwa") << "Aiwa" << Parameters{{"D", 1}, {"S", 2}, {"F", 3}} << 88 << 4;
        QTest::newRow("Sony12") << "Sony12" << Parameters{{"D", 1}, {"F", 2}} << 0 << 26;
        QTest::newRow("Sony20") << "Sony20" << Parameters{{"D", 1}, {"S", 3}, {"F", 2}} << 0 << 42;
        QTest::newRow("Samsung36")
            << "Samsung36" << Parameters{{"D", 1}, {"S", 2}, {"F", 3}, {"E", 4}} << 0 << 78;
        QTest::newRow("Panasonic")
            << "Panasonic" << Parameters{{"D", 1}, {"S", 2}, {"F", 3}} << 0 << 100;
        QTest::newRow("JVC") << "JVC" << Parameters{{"D", 1}, {"F", 2}} << 36 << 34;
        QTest::newRow("Sharp") << "Sharp" << Parameters{{"D", 1}, {"F", 2}} << 32 << 64;
        QTest::newRow("RCA") << "RCA" << Parameters{{"D", 1}, {"F", 2}} << 0 << 52;
        QTest::newRow("Mitsubishi") << "Mitsubishi" << Parameters{{"D", 1}, {"F", 2}} << 0 << 34;
    }

    void renderingsFollowTheDefinitions()
    {
        QFETCH(QString, protocol);
        QFETCH(Parameters, parameters);
        QFETCH(int, introSize);
        QFETCH(int, repeatSize);
        const IrSignal signal = render(protocol.toStdString(), parameters);
        QCOMPARE(int(signal.intro.size()), introSize);
        QCOMPARE(int(signal.repeat.size()), repeatSize);
    }

    void extentsPadTheFrame()
    {
        const IrSignal nec = render("NEC1", {{"D", 12}, {"S", 34}, {"F", 56}});
        QCOMPARE(nec.intro.back(), 44268u);
        QCOMPARE(nec.repeat, (IrSequence{9024, 2256, 564, 96156}));
        const IrSignal rc5 = render("RC5", {{"D", 0}, {"F", 0}});
        QVERIFY(rc5.intro.empty());
        QCOMPARE((IrSequence{rc5.repeat.begin(), rc5.repeat.begin() + 5}),
                 (IrSequence{889, 889, 1778, 889, 889}));
        QCOMPARE(rc5.repeat.back(), 90886u);
        QCOMPARE(render("JVC", {{"D", 1}, {"F", 2}}).dutyCycle, std::optional<double>(0.33));
    }

    void captureFixturesDecode_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Vizio Power") << "vizio-vx32l.ir"
                                     << "Power"
                                     << "NEC1 D=4 S=251 F=8";
        QTest::newRow("Vizio Input") << "vizio-vx32l.ir"
                                     << "Input"
                                     << "NEC1 D=4 S=251 F=47";
        QTest::newRow("Vizio Down") << "vizio-vx32l.ir"
                                    << "Down"
                                    << "NEC1 D=4 S=251 F=70";
        QTest::newRow("Ultimea Bass Up") << "ultimea-poseidon-m20.ir"
                                         << "Bass Up"
                                         << "NEC1-f16 D=0 S=11 F=187 E=74";
        QTest::newRow("MAG POWER") << "mag-tv-box.ir"
                                   << "POWER"
                                   << "RC5 D=14 F=12 T=0";
        QTest::newRow("MAG UP") << "mag-tv-box.ir"
                                << "UP"
                                << "RC5 D=14 F=61 T=1";
        QTest::newRow("MAG BACK") << "mag-tv-box.ir"
                                  << "BACK"
                                  << "RC5 D=14 F=15 T=1";
        QTest::newRow("MAG EXIT") << "mag-tv-box.ir"
                                  << "EXIT"
                                  << "RC5 D=14 F=15 T=0";
    }

    void captureFixturesDecode()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString path = test::irFixture(file);
        if (path.isEmpty())
            QSKIP("the IR fixtures are not in the QLV_FIXTURES folder");
        const IrSignal capture = test::flipperRawSignals(path).value(name);
        QVERIFY(!capture.intro.empty());
        QCOMPARE(decoded(capture), expected);
        QCOMPARE(decoded(capture, {.frequencyMeasured = false}), expected);
        QCOMPARE(decoded(throughRecord(capture)), expected);
    }

    void everyMagCaptureIsRc5WithItsToggle()
    {
        const QString path = test::irFixture(QStringLiteral("mag-tv-box.ir"));
        if (path.isEmpty())
            QSKIP("the IR fixtures are not in the QLV_FIXTURES folder");
        const auto captures = test::flipperRawSignals(path);
        QCOMPARE(captures.size(), 28);
        for (auto it = captures.begin(); it != captures.end(); ++it)
            QVERIFY2(decoded(throughRecord(*it)).startsWith(QLatin1String("RC5 D=14 F=")),
                     qPrintable(it.key()));
    }

    void prontoExamplesDecode()
    {
        QFile file(qEnvironmentVariable("QLV_FIXTURES") +
                   QStringLiteral("/ir/pronto-examples.txt"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("pronto-examples.txt is not in the QLV_FIXTURES folder");
        int long_ = 0;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() != 3)
                continue;
            const auto signal = fromPronto(QString::fromLatin1(fields[1]).toLower());
            if (!signal)
                continue; // the short forms are the file formats' to read
            ++long_;
            QCOMPARE(decoded(*signal), QString::fromLatin1(fields[2]));
            QCOMPARE(decoded(throughRecord(*signal)), QString::fromLatin1(fields[2]));
        }
        QVERIFY(long_ >= 4);
    }

    void nearMissesStayUndecoded_data()
    {
        QTest::addColumn<IrSignal>("signal");
        QTest::addColumn<DecodeOptions>("options");

        const IrSignal nec = render("NEC1", {{"D", 4}, {"F", 8}});
        IrSignal aiwa = render("Aiwa", {{"D", 1}, {"S", 2}, {"F", 3}});
        flipSpace(aiwa.intro, 20); // a bit of ~D
        QTest::newRow("Aiwa, broken ~D") << aiwa << DecodeOptions{};
        IrSignal shortLeader = nec;
        shortLeader.intro[0] = 4512;
        QTest::newRow("NEC1, 4.5 ms leader") << shortLeader << DecodeOptions{};
        IrSignal shortFrame = nec;
        shortFrame.intro.erase(shortFrame.intro.begin() + 4, shortFrame.intro.begin() + 6);
        QTest::newRow("NEC1, 31 bits") << shortFrame << DecodeOptions{};
        IrSignal far = nec;
        far.frequency = 56000;
        QTest::newRow("NEC1 at 56 kHz") << far << DecodeOptions{};
        IrSignal noCarrier = nec;
        noCarrier.frequency = 0;
        QTest::newRow("NEC1 without carrier") << noCarrier << DecodeOptions{};

        IrSignal kaseikyo =
            render("Kaseikyo", {{"D", 1}, {"S", 2}, {"F", 3}, {"E", 4}, {"M", 5}, {"N", 6}});
        flipSpace(kaseikyo.repeat, 45); // a bit of the check nibble
        QTest::newRow("Kaseikyo, check nibble") << kaseikyo << DecodeOptions{};
        IrSignal panasonic = render("Panasonic", {{"D", 1}, {"S", 2}, {"F", 3}});
        flipSpace(panasonic.repeat, 40); // the check byte
        QTest::newRow("Panasonic, check byte") << panasonic << DecodeOptions{};
        IrSignal rca = render("RCA", {{"D", 1}, {"F", 2}});
        flipSpace(rca.repeat, 13); // ~D
        QTest::newRow("RCA, broken ~D") << rca << DecodeOptions{};
    }

    void nearMissesStayUndecoded()
    {
        QFETCH(IrSignal, signal);
        QFETCH(DecodeOptions, options);
        QCOMPARE(decoded(signal, options), QStringLiteral("-"));
    }

    void repeatsDecideTheNecName()
    {
        IrSignal nec1 = render("NEC1", {{"D", 4}, {"F", 8}});
        IrSignal lone = nec1;
        lone.repeat.clear();
        const auto code = decodeSignal(lone);
        QVERIFY(code);
        QCOMPARE(QString::fromStdString(describeDecoded(*code)), "NEC D=4 S=251 F=8");
        QVERIFY(QString::fromStdString(code->note).contains("incomplete learn"));

        const IrSignal nec2 = render("NEC2", {{"D", 4}, {"F", 8}});
        QCOMPARE(decoded(nec2), "NEC2 D=4 S=251 F=8");
        QCOMPARE(decoded(throughRecord(nec2)), "NEC2 D=4 S=251 F=8");
        QCOMPARE(decoded(render("Pioneer", {{"D", 4}, {"F", 8}})), "Pioneer D=4 S=251 F=8");
        IrSignal unmeasured = render("Pioneer", {{"D", 4}, {"F", 8}});
        QCOMPARE(decoded(unmeasured, {.frequencyMeasured = false}), "NEC2 D=4 S=251 F=8");
        unmeasured = render("Pioneer", {{"D", 170}, {"F", 8}});
        QCOMPARE(decoded(unmeasured, {.frequencyMeasured = false}), "Pioneer D=170 S=85 F=8");
        QCOMPARE(decoded(render("NEC1-f16", {{"D", 0}, {"S", 11}, {"F", 187}, {"E", 74}})),
                 "NEC1-f16 D=0 S=11 F=187 E=74");
        QCOMPARE(decoded(render("NEC1-f16", {{"D", 0}, {"F", 187}})), "NEC1 D=0 S=255 F=187");
        flipSpace(nec1.intro, 30); // a bit of ~F: the fourth byte is free in NEC1-f16 only
        QCOMPARE(decoded(nec1), "NEC1-f16 D=4 S=251 F=8 E=183");
    }

    void halvesAndCarriersDecideLikeProtocols()
    {
        IrSignal sharp = render("Sharp", {{"D", 1}, {"F", 22}});
        sharp.repeat.clear();
        const auto half = decodeSignal(sharp);
        QVERIFY(half);
        QCOMPARE(QString::fromStdString(describeDecoded(*half)), "Sharp D=1 F=22");
        QCOMPARE(QString::fromStdString(half->note), "single Sharp/Denon half");
        IrSignal wrongSecondHalf = render("Sharp", {{"D", 1}, {"F", 22}});
        flipSpace(wrongSecondHalf.repeat, 3); // D differs from the first half's
        QCOMPARE(decoded(wrongSecondHalf), "-");

        // A carrier that is no measurement decides nothing but RCA against RCA-38.
        IrSignal rca = render("RCA", {{"D", 1}, {"F", 2}});
        rca.frequency = 38000;
        QCOMPARE(decoded(rca, {.frequencyMeasured = false}), "RCA-38 D=1 F=2");
        QCOMPARE(decoded(rca), "RCA-38 D=1 F=2");
        rca.frequency = 56000;
        QCOMPARE(decoded(rca, {.frequencyMeasured = false}), "RCA D=1 F=2");
        rca.frequency = 0;
        QCOMPARE(decoded(rca), "-");
        QCOMPARE(decoded(rca, {.frequencyMeasured = false}), "RCA D=1 F=2");
    }

    void renderErrorsNameTheFault_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<Parameters>("parameters");
        QTest::addColumn<QString>("message");

        QTest::newRow("unknown protocol") << "NEC3" << Parameters{}
                                          << "\"NEC3\" is not a known protocol; known protocols: "
                                             "NEC1, NEC2, NEC1-f16,";
        QTest::newRow("decode-only")
            << "NEC" << Parameters{{"D", 1}, {"F", 1}} << "\"NEC\" is only decoded";
        QTest::newRow("unknown parameter") << "RC5" << Parameters{{"D", 1}, {"F", 1}, {"Q", 1}}
                                           << "RC5 has no parameter \"Q\"; its parameters are D, "
                                              "F, T.";
        QTest::newRow("missing") << "Samsung36" << Parameters{{"D", 1}, {"S", 1}, {"F", 1}}
                                 << "Samsung36 needs parameter E.";
        QTest::newRow("out of range") << "RC5" << Parameters{{"D", 32}, {"F", 1}}
                                      << "Parameter D=32 is out of range for RC5 (0..31).";
        QTest::newRow("twice") << "RC5" << Parameters{{"D", 1}, {"D", 2}, {"F", 1}}
                               << "Parameter D is given twice.";
    }

    void renderErrorsNameTheFault()
    {
        QFETCH(QString, protocol);
        QFETCH(Parameters, parameters);
        QFETCH(QString, message);
        const auto result = renderSignal(protocol.toStdString(), parameters);
        QVERIFY(std::holds_alternative<RenderError>(result));
        const QString actual = QString::fromStdString(std::get<RenderError>(result).message);
        QVERIFY2(actual.contains(message), qPrintable(actual));
    }

    void theTableNamesEveryProtocol()
    {
        QStringList names;
        for (const ProtocolSpec& known : knownProtocols())
            names << QString::fromStdString(known.name);
        for (const char* name :
             {"NEC1",    "NEC2",    "NEC",    "NEC1-f16", "NEC-f16",   "NECx1",     "NECx2",
              "NECx",    "Pioneer", "Aiwa",   "RC5",      "RC5x",      "RC6",       "RC6-6-20",
              "MCE",     "Sony12",  "Sony15", "Sony20",   "Samsung36", "Panasonic", "Kaseikyo",
              "Denon-K", "JVC",     "Sharp",  "Denon",    "RCA",       "RCA-38",    "Mitsubishi"})
            QVERIFY2(names.contains(QLatin1String(name)), name);
        QVERIFY(findProtocol("RC6")->toggles);
        QVERIFY(!findProtocol("RC6-6-20")->toggles);
        QVERIFY(!findProtocol("NEC")->renderable);
        QVERIFY(findProtocol("NEC1")->parameters[1].hasDefault);
        QVERIFY(!findProtocol("nec1"));
    }
};

QTEST_GUILESS_MAIN(TestIrProtocol)
#include "tst_irprotocol.moc"
