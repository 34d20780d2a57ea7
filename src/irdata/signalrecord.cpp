#include "signalrecord.h"

#include "codeencoder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace qlv {

namespace {

constexpr double DefaultLeadInUs = 100000;
constexpr long MaxField = 65535;

// Durations of one bin differ by capture jitter only. Tighter than the decoder's 30 %: that
// would merge NEC's 1692 us bit space with its 2256 us ditto space.
bool sameBin(double a, double b)
{
    const double difference = std::abs(a - b);
    return difference <= 100 || difference <= 0.05 * std::max(a, b);
}

// Replaces every value by the mean of its bin; bins grow in ascending order.
void mergeJitter(std::vector<double*> values)
{
    std::sort(values.begin(), values.end(), [](double* a, double* b) { return *a < *b; });
    std::size_t begin = 0;
    double sum = 0;
    auto close = [&](std::size_t end) {
        const double mean = sum / double(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            *values[i] = mean;
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > begin && !sameBin(*values[i], sum / double(i - begin))) {
            close(i);
            begin = i;
            sum = 0;
        }
        sum += *values[i];
    }
    if (!values.empty())
        close(values.size());
}

struct Step {
    double gapUs = 0;
    double burstUs = 0;
};

// (lead, m0) (s0, m1) ... (s[n-2], m[n-1]); the sequence's own trailing space is not used.
std::vector<Step> stepsOf(const IrSequence& sequence, double leadUs)
{
    std::vector<Step> steps;
    double gap = leadUs;
    for (std::size_t i = 0; i < sequence.size(); i += 2) {
        steps.push_back({gap, double(sequence[i])});
        if (i + 1 < sequence.size())
            gap = sequence[i + 1];
    }
    return steps;
}

std::optional<double> trailingSpace(const IrSequence& sequence)
{
    if (sequence.empty() || sequence.size() % 2 != 0)
        return std::nullopt;
    return double(sequence.back());
}

bool sameFrame(const IrSequence& a, const IrSequence& b)
{
    if (a.size() != b.size() || a.empty())
        return false;
    // The trailing gaps may differ: they collapse into one gap anyway.
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
        if (!sameBin(a[i], b[i]))
            return false;
    return true;
}

std::string microseconds(double us)
{
    return std::to_string(std::llround(us)) + " µs";
}

} // namespace

IrSignal signalFromCode(const CodeRecord& record, Code code, std::uint32_t trailingGapUs)
{
    IrSignal signal;
    if (!hasCode(record, code))
        return signal;
    const CodeHeader header = decodeHeader(record, code);
    signal.frequency = carrierHz(header.carrierPeriod);
    std::vector<CodeStep> first;
    std::vector<CodeStep> repeat;
    for (const CodeStep& step : codeSteps(record, code))
        (step.part == StepPart::First ? first : repeat).push_back(step);

    auto clampUs = [](std::uint64_t us) {
        return std::uint32_t(std::min<std::uint64_t>(us, UINT32_MAX));
    };
    // Each burst goes with the gap that follows it; the gap before each repeat closes a sequence.
    const std::uint32_t beforeRepeat =
        repeat.empty() ? trailingGapUs : clampUs(repeat.front().gapUs);
    for (std::size_t i = 0; i < first.size(); ++i) {
        signal.intro.push_back(clampUs(first[i].burstUs));
        signal.intro.push_back(i + 1 < first.size() ? clampUs(first[i + 1].gapUs) : beforeRepeat);
    }
    for (std::size_t i = 0; i < repeat.size(); ++i) {
        signal.repeat.push_back(clampUs(repeat[i].burstUs));
        signal.repeat.push_back(i + 1 < repeat.size() ? clampUs(repeat[i + 1].gapUs)
                                                      : beforeRepeat);
    }
    return signal;
}

std::variant<EncodedCode, EncodeError> encodeSignal(const IrSignal& signal, std::size_t capacity)
{
    if (signal.intro.empty() && signal.repeat.empty())
        return EncodeError{"The signal holds no durations."};
    for (const IrSequence* sequence : {&signal.intro, &signal.repeat})
        if (std::find(sequence->begin(), sequence->end(), 0u) != sequence->end())
            return EncodeError{"The signal holds a duration of 0 µs."};

    std::uint8_t period = 0;
    if (signal.frequency != 0) {
        const long p = std::lround(1844000.0 / signal.frequency);
        if (p < 1 || p > 255)
            return EncodeError{"A carrier of " + std::to_string(signal.frequency) +
                               " Hz is outside what the device sends (7232 to 1844000 Hz)."};
        period = std::uint8_t(p);
    } else {
        // Without a carrier the device sends every burst as 8 us.
        for (const IrSequence* sequence : {&signal.intro, &signal.repeat})
            for (std::size_t i = 0; i < sequence->size(); i += 2)
                if ((*sequence)[i] > 108)
                    return EncodeError{"Without a carrier the device sends every mark as 8 µs; "
                                       "this signal has a mark of " +
                                       microseconds((*sequence)[i]) + "."};
    }

    std::vector<Step> first;
    std::vector<Step> repeat;
    bool shared = false;
    if (signal.repeat.empty()) {
        first = stepsOf(signal.intro, trailingSpace(signal.intro).value_or(DefaultLeadInUs));
    } else if (signal.intro.empty() || sameFrame(signal.intro, signal.repeat)) {
        // Sent once and then repeated: stored once, both ranges over the same entries.
        first = stepsOf(signal.repeat, trailingSpace(signal.repeat).value_or(DefaultLeadInUs));
        shared = true;
    } else {
        const double beforeRepeat = trailingSpace(signal.repeat).value_or(DefaultLeadInUs);
        first = stepsOf(signal.intro, beforeRepeat);
        repeat = stepsOf(signal.repeat, beforeRepeat);
    }

    const std::size_t entries = first.size() + repeat.size();
    if (entries > capacity)
        return EncodeError{"The code needs " + std::to_string(entries) +
                           " sequence entries; the code's sequence area holds " +
                           std::to_string(capacity) + "."};

    std::vector<double*> gaps;
    std::vector<double*> bursts;
    for (std::vector<Step>* part : {&first, &repeat})
        for (Step& step : *part) {
            gaps.push_back(&step.gapUs);
            bursts.push_back(&step.burstUs);
        }
    mergeJitter(gaps);
    mergeJitter(bursts);

    EncodedCode encoded;
    QuantisedCode code;
    code.carrierPeriod = period;
    double longestGap = 0;
    double longestBurst = 0;
    std::vector<std::pair<long, long>> pairs;
    for (const std::vector<Step>* part : {&first, &repeat})
        for (const Step& step : *part) {
            long gap = gapUnits(step.gapUs);
            long burst = period == 0 ? 1 : std::max(1L, burstPeriods(step.burstUs, period));
            if (gap > MaxField) {
                longestGap = std::max(longestGap, step.gapUs);
                gap = MaxField;
            }
            if (burst > MaxField) {
                longestBurst = std::max(longestBurst, step.burstUs);
                burst = MaxField;
            }
            const std::pair pair{gap, burst};
            auto found = std::find(pairs.begin(), pairs.end(), pair);
            if (found == pairs.end())
                found = pairs.insert(pairs.end(), pair);
            code.entries.push_back(std::uint8_t(found - pairs.begin()));
        }
    if (pairs.size() > 16)
        return EncodeError{
            "The code needs " + std::to_string(pairs.size()) +
            " distinct timing pairs after merging close durations; a code holds 16."};
    if (longestGap > 0)
        encoded.warnings.push_back("A gap of " + microseconds(longestGap) +
                                   " is longer than a record holds; it is clamped to " +
                                   microseconds(double(gapMicros(MaxField))) + ".");
    if (longestBurst > 0)
        encoded.warnings.push_back("A mark of " + microseconds(longestBurst) +
                                   " is longer than a record holds; it is clamped to " +
                                   microseconds(double(burstMicros(MaxField, period))) + ".");
    for (const auto& [gap, burst] : pairs)
        code.pairs.push_back({std::uint16_t(gap), std::uint16_t(burst)});
    code.firstLength = std::uint16_t(first.size());
    code.repeatStart = shared ? 0 : std::uint16_t(first.size());
    code.repeatEnd = std::uint16_t(entries);
    encoded.block = codeBlock(code);
    return encoded;
}

namespace {

std::variant<CodeRecord, EncodeError> assemble(const std::vector<const IrSignal*>& signals,
                                               std::vector<std::string>* warnings)
{
    if (signals.empty() || signals.size() > 2)
        return EncodeError{"A record holds one or two codes."};
    const std::size_t capacity = signals.size() == 1 ? 512 : 256;
    std::vector<std::uint8_t> received;
    for (std::size_t i = 0; i < signals.size(); ++i) {
        auto encoded = encodeSignal(*signals[i], capacity);
        if (auto* error = std::get_if<EncodeError>(&encoded)) {
            if (signals.size() > 1)
                error->message = std::string(i == 0 ? "Code A: " : "Code B: ") + error->message;
            return *error;
        }
        const EncodedCode& code = std::get<EncodedCode>(encoded);
        if (warnings)
            warnings->insert(warnings->end(), code.warnings.begin(), code.warnings.end());
        const CodeBlock& block = code.block;
        received.insert(received.end(), block.begin(), block.end());
    }
    return assembleLearned(received, int(signals.size()), {});
}

} // namespace

std::variant<CodeRecord, EncodeError> recordFromSignal(const IrSignal& signal)
{
    return assemble({&signal}, nullptr);
}

std::variant<CodeRecord, EncodeError> recordFromSignals(const IrSignal& codeA,
                                                        const IrSignal& codeB)
{
    return assemble({&codeA, &codeB}, nullptr);
}

std::variant<CodeRecord, EncodeError> recordFromSignals(const std::vector<IrSignal>& codes,
                                                        std::vector<std::string>& warnings)
{
    std::vector<const IrSignal*> signals;
    for (const IrSignal& code : codes)
        signals.push_back(&code);
    return assemble(signals, &warnings);
}

std::optional<DecodedCode> decodeCode(const CodeRecord& record, Code code)
{
    if (!hasCode(record, code))
        return std::nullopt;
    // A row change asks for the current row's decode twice (status bar, strip) and for the
    // previous row's, which was current a moment ago: the last two records' answers are kept,
    // per code.
    struct Kept {
        bool valid = false;
        CodeRecord record{};
        std::optional<DecodedCode> decoded;
    };
    thread_local std::array<std::array<Kept, 2>, 2> kept;
    thread_local std::array<int, 2> older{};
    const std::size_t c = code == Code::A ? 0 : 1;
    for (const Kept& entry : kept[c])
        if (entry.valid && entry.record == record)
            return entry.decoded;
    Kept& entry = kept[c][std::size_t(older[c])];
    older[c] = 1 - older[c];
    entry.decoded = decodeSignal(signalFromCode(record, code));
    entry.record = record;
    entry.valid = true;
    return entry.decoded;
}

std::variant<CodeRecord, std::string>
recordFromProtocol(std::string_view protocol, const std::vector<ProtocolParameter>& parameters)
{
    auto checked = renderSignal(protocol, parameters);
    if (auto* error = std::get_if<RenderError>(&checked))
        return error->message;
    const ProtocolSpec* known = findProtocol(protocol);
    std::vector<IrSignal> codes;
    // A given T does not matter: the device alternates both toggle states, one per press.
    for (std::int64_t toggle : {0, 1}) {
        std::vector<ProtocolParameter> given = parameters;
        if (known->toggles) {
            std::erase_if(given, [](const ProtocolParameter& p) { return p.name == "T"; });
            given.push_back({"T", toggle});
        }
        auto rendered = renderSignal(protocol, given);
        if (auto* error = std::get_if<RenderError>(&rendered))
            return error->message;
        codes.push_back(std::get<IrSignal>(rendered));
        if (!known->toggles)
            break;
    }
    std::vector<std::string> warnings;
    auto record = recordFromSignals(codes, warnings);
    if (auto* error = std::get_if<EncodeError>(&record))
        return error->message;
    return std::get<CodeRecord>(record);
}

std::string codeSummary(const CodeRecord& record, Code code)
{
    if (!hasCode(record, code))
        return {};
    const std::optional<DecodedCode> decoded = decodeCode(record, code);
    if (!decoded)
        return "no known protocol";
    std::string text = describeDecoded(*decoded);
    if (!decoded->note.empty())
        text += "; " + decoded->note;
    return text;
}

std::string recordSummary(const CodeRecord& record, std::string_view separator)
{
    if (!hasCode(record, Code::B))
        return codeSummary(record, Code::A);
    return "A: " + codeSummary(record, Code::A) + std::string(separator) +
           "B: " + codeSummary(record, Code::B);
}

} // namespace qlv
