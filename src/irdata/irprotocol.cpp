#include "irprotocol.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>

namespace qlv {

namespace {

// Every value a protocol's frames carry: its parameters and the check fields computed from them.
enum Slot { SD, SS, SF, ST, SE, SM, SN, SX, SC, SlotCount };
constexpr std::array<char, SlotCount> SlotNames{'D', 'S', 'F', 'T', 'E', 'M', 'N', 'X', 'C'};

using Values = std::array<std::int64_t, SlotCount>;

// One element of a frame, in microseconds: a mark (> 0), a space (< 0), an extent that pads the
// frame to its length, or a bit field sent with the protocol's bit shapes.
struct Item {
    enum Kind { Duration, Extent, Field } kind = Duration;
    double us = 0;
    bool frameEnd = false; // a space that closes a frame: matched loosely
    int slot = -1;         // Field: the value sent, or -1 for the constant
    std::int64_t constant = 0;
    int width = 0;
    int shift = 0;
    bool complement = false;
    bool wide = false; // sent with the protocol's second bit shapes (RC6's double-width T)
};

struct Protocol {
    std::string name;
    double frequency = 0;
    double unit = 0;
    bool msb = false;
    std::optional<double> duty;
    std::array<std::vector<double>, 2> bits; // shapes of 0 and 1, in us
    std::array<std::vector<double>, 2> wideBits;
    std::vector<Item> intro;
    std::vector<Item> repeat;
    std::vector<ParameterSpec> parameters;
    bool toggles = false;
    bool decodeOnly = false;
    bool needsRepeat = false;
    double absoluteTolerance = 100;
    double relativeTolerance = 0.3;
    double lowestFrequency = 0;
    double highestFrequency = 0;
    double longestInnerSpace = 0;
    std::vector<double> bitMarks; // marks of bits, merged ones included, shortest first
    // Defaults that depend on other parameters, then the check fields.
    void (*complete)(Values&, std::uint32_t given) = nullptr;
    // A decoded frame's checks beyond the complements its fields already enforce.
    bool (*valid)(const Values&) = nullptr;
};

int slotOf(char name)
{
    for (int i = 0; i < SlotCount; ++i)
        if (SlotNames[std::size_t(i)] == name)
            return i;
    return -1;
}

// Durations of the bare-stream notation: "16" units, "4500u", "-100m", "^108m".
double parseDuration(std::string_view text, double unit)
{
    char suffix = text.back();
    double factor = unit;
    if (suffix == 'u' || suffix == 'm') {
        factor = suffix == 'u' ? 1 : 1000;
        text.remove_suffix(1);
    }
    return std::strtod(std::string(text).c_str(), nullptr) * factor;
}

// A comma-separated stream as the protocol database writes it, without expressions:
// durations, extents, fields "D:8", "~F:8", "F:1:6", constants "2:8", "(T:1)" for wide bits.
std::vector<Item> parseStream(std::string_view stream, double unit)
{
    std::vector<Item> items;
    while (!stream.empty()) {
        const std::size_t comma = stream.find(',');
        std::string_view token = stream.substr(0, comma);
        stream = comma == std::string_view::npos ? std::string_view{} : stream.substr(comma + 1);
        Item item;
        if (token.front() == '^') {
            item.kind = Item::Extent;
            item.us = parseDuration(token.substr(1), unit);
            item.frameEnd = true;
        } else if (token.find(':') == std::string_view::npos) {
            item.us = parseDuration(token, unit);
        } else {
            item.kind = Item::Field;
            if (token.front() == '(') {
                item.wide = true;
                token = token.substr(1, token.size() - 2);
            }
            if (token.front() == '~') {
                item.complement = true;
                token.remove_prefix(1);
            }
            const std::size_t colon = token.find(':');
            const std::string_view name = token.substr(0, colon);
            const std::string_view rest = token.substr(colon + 1);
            const std::size_t second = rest.find(':');
            item.width = std::atoi(std::string(rest.substr(0, second)).c_str());
            if (second != std::string_view::npos)
                item.shift = std::atoi(std::string(rest.substr(second + 1)).c_str());
            if (name.front() >= '0' && name.front() <= '9')
                item.constant = std::atoll(std::string(name).c_str());
            else
                item.slot = slotOf(name.front());
        }
        items.push_back(item);
    }
    // A literal space closing the stream ends the frame, as an extent does.
    if (!items.empty() && items.back().kind == Item::Duration && items.back().us < 0)
        items.back().frameEnd = true;
    return items;
}

std::vector<double> shape(const std::vector<double>& units, double unit)
{
    std::vector<double> result;
    for (double u : units)
        result.push_back(u * unit);
    return result;
}

struct Definition {
    const char* name;
    double frequency;
    double unit;
    bool msb;
    // Owned: an initializer_list member would point at a temporary gone after construction.
    std::array<std::vector<double>, 2> bits;
    const char* intro;
    const char* repeat;
    std::vector<ParameterSpec> parameters;
};

ParameterSpec param(const char* name, std::int64_t max, bool hasDefault = false)
{
    return {name, 0, max, hasDefault};
}

constexpr std::uint32_t given(int slot)
{
    return 1u << slot;
}

void necDefaults(Values& v, std::uint32_t known)
{
    if (!(known & given(SS)))
        v[SS] = 255 - v[SD];
}

void necF16Defaults(Values& v, std::uint32_t known)
{
    necDefaults(v, known);
    if (!(known & given(SE)))
        v[SE] = 255 - v[SF];
}

bool freeFourthByte(const Values& v)
{
    return v[SE] != 255 - v[SF];
}

void panasonicCheck(Values& v, std::uint32_t)
{
    v[SC] = (v[SD] ^ v[SS] ^ v[SF]) & 0xFF;
}

bool panasonicValid(const Values& v)
{
    return v[SC] == ((v[SD] ^ v[SS] ^ v[SF]) & 0xFF);
}

void kaseikyoChecks(Values& v, std::uint32_t)
{
    const std::int64_t vendor = v[SM] ^ v[SN];
    v[SX] = ((vendor >> 4) ^ vendor) & 0x0F;
    const std::int64_t sum = v[SD] ^ v[SS] ^ v[SF] ^ (v[SE] * 16);
    v[SC] = ((sum >> 4) ^ sum) & 0x0F;
}

bool kaseikyoValid(const Values& v)
{
    Values expected = v;
    kaseikyoChecks(expected, 0);
    return expected[SX] == v[SX] && expected[SC] == v[SC];
}

void denonKCheck(Values& v, std::uint32_t)
{
    v[SC] = ((v[SD] * 16) ^ v[SS] ^ (v[SF] * 16) ^ (v[SF] >> 4)) & 0xFF;
}

bool denonKValid(const Values& v)
{
    Values expected = v;
    denonKCheck(expected, 0);
    return expected[SC] == v[SC];
}

bool pioneerDevice(std::int64_t d)
{
    return (160 <= d && d <= 165) || d == 168 || d == 170 || d == 171 || d == 173 || d == 175;
}

std::vector<Protocol> buildProtocols()
{
    const std::vector<ParameterSpec> nec{param("D", 255), param("S", 255, true), param("F", 255)};
    const std::vector<ParameterSpec> necF16{param("D", 255), param("S", 255, true), param("F", 255),
                                            param("E", 255, true)};
    const char* necFrame = "16,-8,D:8,S:8,F:8,~F:8,1,^108m";
    const char* necF16Frame = "16,-8,D:8,S:8,F:8,E:8,1,^108m";
    const char* necxFrame = "8,-8,D:8,S:8,F:8,~F:8,1,^108m";

    // name, carrier, unit, msb, bit shapes, intro, repeat, parameters. An empty intro is
    // "(frame)*": the frame is the repeat; an empty repeat is a single frame.
    const std::vector<Definition> definitions{
        {"NEC1", 38400, 564, false, {{{1, -1}, {1, -3}}}, necFrame, "16,-4,1,^108m", nec},
        {"NEC2", 38400, 564, false, {{{1, -1}, {1, -3}}}, "", necFrame, nec},
        {"NEC", 38400, 564, false, {{{1, -1}, {1, -3}}}, necFrame, "", nec},
        {"NEC1-f16", 38400, 564, false, {{{1, -1}, {1, -3}}}, necF16Frame, "16,-4,1,^108m", necF16},
        {"NEC2-f16", 38400, 564, false, {{{1, -1}, {1, -3}}}, "", necF16Frame, necF16},
        {"NEC-f16", 38400, 564, false, {{{1, -1}, {1, -3}}}, necF16Frame, "", necF16},
        {"NECx1", 38400, 564, false, {{{1, -1}, {1, -3}}}, necxFrame, "8,-8,~D:1,1,^108m", nec},
        {"NECx2", 38400, 564, false, {{{1, -1}, {1, -3}}}, "", necxFrame, nec},
        {"NECx", 38400, 564, false, {{{1, -1}, {1, -3}}}, necxFrame, "", nec},
        {"Pioneer", 40000, 564, false, {{{1, -1}, {1, -3}}}, "", necFrame, nec},
        {"Aiwa",
         38123,
         550,
         false,
         {{{1, -1}, {1, -3}}},
         "16,-8,D:8,S:5,~D:8,~S:5,F:8,~F:8,1,-42",
         "16,-8,1,-165",
         {param("D", 255), param("S", 31), param("F", 255)}},
        {"RC5",
         36000,
         889,
         true,
         {{{1, -1}, {-1, 1}}},
         "",
         "1,~F:1:6,T:1,D:5,F:6,^114m",
         {param("D", 31), param("F", 127), param("T", 1, true)}},
        {"RC5x",
         36000,
         889,
         true,
         {{{1, -1}, {-1, 1}}},
         "",
         "1,~S:1:6,T:1,D:5,-4,S:6,F:6,^114m",
         {param("D", 31), param("S", 127), param("F", 63), param("T", 1, true)}},
        {"RC6",
         36000,
         444,
         true,
         {{{-1, 1}, {1, -1}}},
         "",
         "6,-2,1:1,0:3,(T:1),D:8,F:8,^107m",
         {param("D", 255), param("F", 255), param("T", 1, true)}},
        {"RC6-6-20",
         36000,
         444,
         true,
         {{{-1, 1}, {1, -1}}},
         "",
         "6,-2,1:1,6:3,(T:1),D:8,S:4,F:8,-100m",
         {param("D", 255), param("S", 15), param("F", 255), param("T", 1, true)}},
        {"MCE",
         36000,
         444,
         true,
         {{{-1, 1}, {1, -1}}},
         "",
         "6,-2,1:1,6:3,-2,2,128:8,S:8,T:1,D:7,F:8,^107m",
         {param("D", 127), param("S", 255), param("F", 255), param("T", 1, true)}},
        {"Sony12",
         40000,
         600,
         false,
         {{{1, -1}, {2, -1}}},
         "",
         "4,-1,F:7,D:5,^45m",
         {param("D", 31), param("F", 127)}},
        {"Sony15",
         40000,
         600,
         false,
         {{{1, -1}, {2, -1}}},
         "",
         "4,-1,F:7,D:8,^45m",
         {param("D", 255), param("F", 127)}},
        {"Sony20",
         40000,
         600,
         false,
         {{{1, -1}, {2, -1}}},
         "",
         "4,-1,F:7,D:5,S:8,^45m",
         {param("D", 31), param("S", 255), param("F", 127)}},
        {"Samsung36",
         37900,
         560,
         false,
         {{{1, -1}, {1, -3}}},
         "",
         "4500u,-4500u,D:8,S:8,1,-9,E:4,F:8,~F:8,1,^108m",
         {param("D", 255), param("S", 255), param("F", 255), param("E", 15)}},
        {"Panasonic",
         37000,
         432,
         false,
         {{{1, -1}, {1, -3}}},
         "",
         "8,-4,2:8,32:8,D:8,S:8,F:8,C:8,1,-173",
         {param("D", 255), param("S", 255), param("F", 255)}},
        {"Kaseikyo",
         37000,
         432,
         false,
         {{{1, -1}, {1, -3}}},
         "",
         "8,-4,M:8,N:8,X:4,D:4,S:8,F:8,E:4,C:4,1,-173",
         {param("D", 15), param("S", 255), param("F", 255), param("E", 15), param("M", 255),
          param("N", 255)}},
        {"Denon-K",
         37000,
         432,
         false,
         {{{1, -1}, {1, -3}}},
         "",
         "8,-4,84:8,50:8,0:4,D:4,S:4,F:12,C:8,1,-173",
         {param("D", 15), param("S", 15), param("F", 4095)}},
        {"JVC",
         37900,
         527,
         false,
         {{{1, -1}, {1, -3}}},
         "16,-8,D:8,F:8,1,^59.08m",
         "D:8,F:8,1,^46.42m",
         {param("D", 255), param("F", 255)}},
        {"Sharp",
         38000,
         264,
         false,
         {{{1, -3}, {1, -7}}},
         "D:5,F:8,1:2,1,^67m",
         "D:5,~F:8,2:2,1,^67m,D:5,F:8,1:2,1,^67m",
         {param("D", 31), param("F", 255)}},
        {"Denon",
         38000,
         264,
         false,
         {{{1, -3}, {1, -7}}},
         "D:5,F:8,0:2,1,^67m",
         "D:5,~F:8,3:2,1,^67m,D:5,F:8,0:2,1,^67m",
         {param("D", 31), param("F", 255)}},
        {"RCA",
         58000,
         460,
         true,
         {{{1, -2}, {1, -4}}},
         "",
         "8,-8,D:4,F:8,~D:4,~F:8,1,-16",
         {param("D", 15), param("F", 255)}},
        {"RCA-38",
         38700,
         460,
         true,
         {{{1, -2}, {1, -4}}},
         "",
         "8,-8,D:4,F:8,~D:4,~F:8,1,-16",
         {param("D", 15), param("F", 255)}},
        {"Mitsubishi",
         32600,
         300,
         false,
         {{{1, -3}, {1, -7}}},
         "",
         "D:8,F:8,1,-80",
         {param("D", 127), param("F", 255)}},
    };

    std::vector<Protocol> protocols;
    for (const Definition& definition : definitions) {
        Protocol p;
        p.name = definition.name;
        p.frequency = definition.frequency;
        p.unit = definition.unit;
        p.msb = definition.msb;
        p.bits = {shape(definition.bits[0], p.unit), shape(definition.bits[1], p.unit)};
        p.wideBits = {shape({-2, 2}, p.unit), shape({2, -2}, p.unit)};
        p.intro = parseStream(definition.intro, p.unit);
        p.repeat = parseStream(definition.repeat, p.unit);
        p.parameters = definition.parameters;
        p.lowestFrequency = p.frequency - 2000;
        p.highestFrequency = p.frequency + 2000;
        double longest = 0;
        for (const auto& bit : p.bits)
            for (double us : bit)
                longest = std::max(longest, -us);
        for (const auto* stream : {&p.intro, &p.repeat})
            for (const Item& item : *stream)
                if (item.kind == Item::Duration && !item.frameEnd)
                    longest = std::max(longest, -item.us);
        p.longestInnerSpace = longest;
        // Bi-phase marks of neighbouring bits merge into double and triple lengths.
        for (const auto& bit : p.bits)
            for (double us : bit)
                if (us > 0)
                    for (double times : {1, 2, 3})
                        p.bitMarks.push_back(us * times);
        std::sort(p.bitMarks.begin(), p.bitMarks.end());
        protocols.push_back(std::move(p));
    }

    auto named = [&](std::string_view name) -> Protocol& {
        return *std::find_if(protocols.begin(), protocols.end(),
                             [&](const Protocol& p) { return p.name == name; });
    };
    for (const char* name : {"NEC1", "NEC2", "NEC", "NECx1", "NECx2", "NECx", "Pioneer"})
        named(name).complete = necDefaults;
    for (const char* name : {"NEC1-f16", "NEC2-f16", "NEC-f16"}) {
        named(name).complete = necF16Defaults;
        named(name).valid = freeFourthByte;
    }
    for (const char* name : {"NEC1", "NEC2", "NECx1", "NECx2", "NEC1-f16", "NEC2-f16"})
        named(name).needsRepeat = true;
    named("NEC").decodeOnly = true;
    named("NEC-f16").decodeOnly = true;
    for (const char* name : {"RC5", "RC5x", "RC6", "MCE"})
        named(name).toggles = true;
    named("Pioneer").lowestFrequency = 39700;
    named("Pioneer").highestFrequency = 42000;
    named("RC6").absoluteTolerance = 300;
    named("RC6-6-20").absoluteTolerance = 300;
    named("RC5x").relativeTolerance = 0.1;
    named("Samsung36").relativeTolerance = 0.2;
    named("Kaseikyo").relativeTolerance = 0.035;
    named("Samsung36").duty = 0.33;
    named("JVC").duty = 0.33;
    named("Panasonic").complete = panasonicCheck;
    named("Panasonic").valid = panasonicValid;
    named("Kaseikyo").complete = kaseikyoChecks;
    named("Kaseikyo").valid = kaseikyoValid;
    named("Denon-K").complete = denonKCheck;
    named("Denon-K").valid = denonKValid;
    return protocols;
}

const std::vector<Protocol>& protocols()
{
    static const std::vector<Protocol> all = buildProtocols();
    return all;
}

const Protocol* protocolNamed(std::string_view name)
{
    for (const Protocol& p : protocols())
        if (p.name == name)
            return &p;
    return nullptr;
}

// ---- rendering

class SequenceWriter {
public:
    explicit SequenceWriter(IrSequence& out)
        : out_(out)
    {
    }

    void add(double us)
    {
        // A leading space has no place in a mark-first sequence and does not count for extents.
        if (out_.empty() && pending_ == 0 && us < 0)
            return;
        if (pending_ != 0 && (pending_ > 0) != (us > 0))
            flush();
        pending_ += us;
        elapsed_ += std::abs(us);
    }

    void extent(double us)
    {
        add(-std::max(us - elapsed_, 0.0));
        elapsed_ = 0;
    }

    void finish()
    {
        flush();
        if (out_.size() % 2 != 0)
            out_.push_back(0);
    }

private:
    void flush()
    {
        if (pending_ != 0)
            out_.push_back(std::uint32_t(std::lround(std::abs(pending_))));
        pending_ = 0;
    }

    IrSequence& out_;
    double pending_ = 0;
    double elapsed_ = 0;
};

std::int64_t fieldBits(const Item& item, const Values& values)
{
    std::int64_t value = item.slot < 0 ? item.constant : values[std::size_t(item.slot)];
    if (item.complement)
        value = ~value;
    return (value >> item.shift) & ((std::int64_t{1} << item.width) - 1);
}

void renderStream(const Protocol& p, const std::vector<Item>& items, const Values& values,
                  IrSequence& out)
{
    SequenceWriter writer(out);
    for (const Item& item : items) {
        switch (item.kind) {
        case Item::Duration:
            writer.add(item.us);
            break;
        case Item::Extent:
            writer.extent(item.us);
            break;
        case Item::Field: {
            const std::int64_t bits = fieldBits(item, values);
            for (int i = 0; i < item.width; ++i) {
                const int bit = p.msb ? item.width - 1 - i : i;
                const auto& shapes = item.wide ? p.wideBits : p.bits;
                for (double us : shapes[std::size_t(bits >> bit & 1)])
                    writer.add(us);
            }
            break;
        }
        }
    }
    writer.finish();
}

// ---- decoding

// Where matching stands in the measured durations; small, as each bit tries both shapes on a copy.
struct Position {
    const std::vector<double>* durations = nullptr; // signed: marks > 0, spaces < 0
    std::size_t index = 0;
    double rest = 0; // what is left of durations[index] after a partial use
    double elapsed = 0;
    bool frameStart = true;

    bool atEnd() const { return index >= durations->size(); }
};

struct Match : Position {
    Values values{};
    std::array<std::uint64_t, SlotCount> known{};
};

enum class Step { Ok, Fail, OutOfInput };

struct Matcher {
    const Protocol& p;

    bool equal(double measured, double nominal) const
    {
        const double difference = std::abs(measured - nominal);
        return difference <= p.absoluteTolerance ||
               difference <= p.relativeTolerance * std::max(measured, nominal);
    }

    Step duration(Position& m, double us) const
    {
        if (us < 0 && m.frameStart && m.rest == 0)
            return Step::Ok; // the dropped leading space
        if (m.atEnd())
            return us < 0 ? Step::Ok : Step::OutOfInput; // captures end with the last mark
        const double current = (*m.durations)[m.index];
        if ((current > 0) != (us > 0))
            return Step::Fail;
        const double left = m.rest > 0 ? m.rest : std::abs(current);
        const double wanted = std::abs(us);
        m.frameStart = false;
        // A long rest is the next bit's half merged in (RC6 after its wide T), not stretch.
        const double rest = left - wanted;
        const bool merged = rest >= 0.6 * p.unit && rest >= 0.25 * wanted;
        if (!merged && equal(left, wanted)) {
            m.elapsed += left;
            ++m.index;
            m.rest = 0;
            return Step::Ok;
        }
        if (left > wanted) {
            m.elapsed += wanted;
            m.rest = left - wanted;
            return Step::Ok;
        }
        return Step::Fail;
    }

    // A frame's closing space: its nominal length, a lead-out, or clearly longer than any
    // space inside a frame. Records keep one gap for every frame end, so it often differs.
    Step frameEnd(Position& m, double nominal) const
    {
        if (m.atEnd())
            return Step::Ok;
        const double current = (*m.durations)[m.index];
        if (current > 0)
            return Step::Fail;
        const double left = m.rest > 0 ? m.rest : -current;
        if (!(equal(left, nominal) || left >= 20000 || left > 1.5 * p.longestInnerSpace))
            return Step::Fail;
        ++m.index;
        m.rest = 0;
        m.elapsed = 0;
        m.frameStart = true;
        return Step::Ok;
    }

    Step shape(Position& m, const std::vector<double>& durations) const
    {
        for (double us : durations)
            if (const Step step = duration(m, us); step != Step::Ok)
                return step;
        return Step::Ok;
    }

    bool bind(Match& m, const Item& item, int bit, int value) const
    {
        if (item.complement)
            value ^= 1;
        if (item.slot < 0)
            return ((item.constant >> (bit + item.shift)) & 1) == value;
        const std::size_t slot = std::size_t(item.slot);
        const std::uint64_t mask = std::uint64_t{1} << (bit + item.shift);
        if (m.known[slot] & mask)
            return bool(m.values[slot] & std::int64_t(mask)) == bool(value);
        m.known[slot] |= mask;
        if (value)
            m.values[slot] |= std::int64_t(mask);
        return true;
    }

    Step field(Match& m, const Item& item) const
    {
        const auto& shapes = item.wide ? p.wideBits : p.bits;
        for (int i = 0; i < item.width; ++i) {
            const int bit = p.msb ? item.width - 1 - i : i;
            // Both shapes are tried; one that ends on a duration's boundary beats one that
            // uses a duration only in part (a short space inside a long one).
            Position tries[2] = {m, m};
            Step steps[2];
            for (int value = 0; value < 2; ++value)
                steps[value] = shape(tries[value], shapes[std::size_t(value)]);
            int chosen = -1;
            for (int value = 0; value < 2; ++value)
                if (steps[value] == Step::Ok &&
                    (chosen < 0 || (tries[chosen].rest != 0 && tries[value].rest == 0)))
                    chosen = value;
            if (chosen < 0)
                return steps[0] == Step::OutOfInput || steps[1] == Step::OutOfInput
                           ? Step::OutOfInput
                           : Step::Fail;
            static_cast<Position&>(m) = tries[chosen];
            if (!bind(m, item, bit, chosen))
                return Step::Fail;
        }
        return Step::Ok;
    }

    Step stream(Match& m, const std::vector<Item>& items) const
    {
        m.frameStart = true;
        m.elapsed = 0;
        for (const Item& item : items) {
            Step step = Step::Ok;
            if (item.kind == Item::Field)
                step = field(m, item);
            else if (item.frameEnd)
                step = frameEnd(m, item.kind == Item::Extent ? item.us - m.elapsed : -item.us);
            else
                step = duration(m, item.us);
            if (step != Step::Ok)
                return step;
        }
        return Step::Ok;
    }
};

struct Attempt {
    Values values{};
    int frames = 0; // whole frames of the repeat group
    bool ok = false;
};

Attempt matchProtocol(const Protocol& p, const std::vector<double>& durations)
{
    Attempt attempt;
    const Matcher matcher{p};
    Match m;
    m.durations = &durations;
    if (!p.intro.empty() && matcher.stream(m, p.intro) != Step::Ok)
        return attempt;
    if (p.repeat.empty()) {
        if (!m.atEnd())
            return attempt;
    } else {
        while (!m.atEnd()) {
            Match next = m;
            const Step step = matcher.stream(next, p.repeat);
            if (step == Step::OutOfInput)
                break; // a truncated last repeat: what it held is not used
            if (step == Step::Fail)
                return attempt;
            m = next;
            ++attempt.frames;
        }
        if (p.intro.empty() && attempt.frames == 0)
            return attempt;
    }
    for (const ParameterSpec& range : p.parameters) {
        const std::size_t slot = std::size_t(slotOf(range.name.front()));
        const std::uint64_t full =
            (std::uint64_t{1} << std::bit_width(std::uint64_t(range.max))) - 1;
        if ((m.known[slot] & full) != full || m.values[slot] > range.max)
            return attempt;
    }
    if (p.valid && !p.valid(m.values))
        return attempt;
    attempt.values = m.values;
    attempt.ok = true;
    return attempt;
}

// A demodulating receiver lengthens marks and shortens spaces by about the same amount.
std::vector<double> withoutBias(const Protocol& p, const std::vector<double>& durations)
{
    const std::vector<double>& nominalMarks = p.bitMarks;
    double sum = 0;
    int count = 0;
    // The first frame's bits tell the bias well enough.
    for (std::size_t i = 0; i < durations.size() && count < 24; ++i)
        if (const double d = durations[i]; d > 0 && d < 4 * nominalMarks.front()) {
            double nearest = nominalMarks.front();
            for (double n : nominalMarks)
                if (std::abs(d - n) < std::abs(d - nearest))
                    nearest = n;
            sum += d - nearest;
            ++count;
        }
    const double bias = count ? sum / count : 0;
    // Small biases are within tolerance already; large ones are another protocol's timing.
    if (std::abs(bias) < 30 || std::abs(bias) > 0.4 * nominalMarks.front())
        return {};
    std::vector<double> corrected = durations;
    for (double& d : corrected)
        d = d > 0 ? std::max(1.0, d - bias) : std::min(-1.0, d - bias);
    return corrected;
}

DecodedCode decodedFrom(const Protocol& p, const Values& values)
{
    DecodedCode code;
    code.protocol = p.name;
    for (const ParameterSpec& range : p.parameters)
        code.parameters.push_back({range.name, values[std::size_t(slotOf(range.name.front()))]});
    return code;
}

} // namespace

std::string parametersText(const DecodedCode& code)
{
    std::string text;
    for (const ProtocolParameter& parameter : code.parameters) {
        if (!text.empty())
            text += ' ';
        text += parameter.name + '=' + std::to_string(parameter.value);
    }
    return text;
}

std::string describeDecoded(const DecodedCode& code)
{
    const std::string parameters = parametersText(code);
    return parameters.empty() ? code.protocol : code.protocol + ' ' + parameters;
}

std::optional<DecodedCode> decodeSignal(const IrSignal& signal)
{
    return decodeSignal(signal, DecodeOptions{});
}

std::optional<DecodedCode> decodeSignal(const IrSignal& signal, const DecodeOptions& options)
{
    if (options.frequencyMeasured && signal.frequency == 0)
        return std::nullopt;
    std::vector<double> durations;
    durations.reserve(signal.intro.size() + signal.repeat.size());
    for (const IrSequence* sequence : {&signal.intro, &signal.repeat})
        for (std::size_t i = 0; i < sequence->size(); ++i)
            durations.push_back(i % 2 == 0 ? double((*sequence)[i]) : -double((*sequence)[i]));
    if (durations.empty())
        return std::nullopt;

    // The more specific protocol first (NEC1 before NEC, Panasonic before Kaseikyo, ...).
    static const std::vector<const Protocol*> order = [] {
        std::vector<const Protocol*> result;
        for (const char* name :
             {"NEC1",    "NEC1-f16",  "Pioneer",   "NEC2",    "NEC2-f16",  "NEC",
              "NEC-f16", "NECx1",     "NECx2",     "NECx",    "Aiwa",      "RC5",
              "RC5x",    "RC6",       "RC6-6-20",  "MCE",     "Sony12",    "Sony15",
              "Sony20",  "Samsung36", "Panasonic", "Denon-K", "Kaseikyo",  "JVC",
              "Sharp",   "Denon",     "RCA",       "RCA-38",  "Mitsubishi"})
            result.push_back(protocolNamed(name));
        return result;
    }();
    const double f = signal.frequency;
    for (const Protocol* each : order) {
        const Protocol& p = *each;
        if (options.frequencyMeasured && (f < p.lowestFrequency || f > p.highestFrequency))
            continue;
        Attempt attempt = matchProtocol(p, durations);
        if (!attempt.ok) {
            const std::vector<double> corrected = withoutBias(p, durations);
            if (!corrected.empty())
                attempt = matchProtocol(p, corrected);
        }
        if (!attempt.ok)
            continue;
        // Frames of the repeat group beyond the one that stands for the intro.
        const int repeats = p.intro.empty() ? attempt.frames - 1 : attempt.frames;
        if (p.needsRepeat && repeats < 1 && !(p.intro.empty() && !signal.repeat.empty()))
            continue;
        if (!options.frequencyMeasured) {
            if (p.name == "Pioneer" && !pioneerDevice(attempt.values[SD]))
                continue;
            if (p.name == "RCA" && std::abs(f - 38700) <= 2000)
                continue;
            if (p.name == "RCA-38" && std::abs(f - 38700) > 2000)
                continue;
        }
        DecodedCode code = decodedFrom(p, attempt.values);
        if (p.name == "NEC" || p.name == "NEC-f16")
            code.note = "NEC frame without repeat (incomplete learn?)";
        else if ((p.name == "Sharp" || p.name == "Denon") && attempt.frames == 0)
            code.note = "single Sharp/Denon half";
        return code;
    }
    return std::nullopt;
}

const std::vector<ProtocolSpec>& knownProtocols()
{
    static const std::vector<ProtocolSpec> specs = [] {
        std::vector<ProtocolSpec> result;
        for (const Protocol& p : protocols())
            result.push_back({p.name, p.parameters, p.toggles, !p.decodeOnly});
        return result;
    }();
    return specs;
}

const ProtocolSpec* findProtocol(std::string_view name)
{
    for (const ProtocolSpec& known : knownProtocols())
        if (known.name == name)
            return &known;
    return nullptr;
}

std::variant<IrSignal, RenderError> renderSignal(std::string_view protocol,
                                                 const std::vector<ProtocolParameter>& parameters)
{
    const Protocol* p = protocolNamed(protocol);
    if (!p || p->decodeOnly) {
        std::string known;
        for (const Protocol& each : protocols())
            if (!each.decodeOnly)
                known += (known.empty() ? "" : ", ") + each.name;
        const std::string what =
            p ? "\" is only decoded, never rendered" : "\" is not a known protocol";
        return RenderError{"\"" + std::string(protocol) + what + "; known protocols: " + known +
                           "."};
    }
    Values values{};
    std::uint32_t givenSlots = 0;
    for (const ProtocolParameter& parameter : parameters) {
        const auto range =
            std::find_if(p->parameters.begin(), p->parameters.end(),
                         [&](const ParameterSpec& s) { return s.name == parameter.name; });
        if (range == p->parameters.end()) {
            std::string names;
            for (const ParameterSpec& s : p->parameters)
                names += (names.empty() ? "" : ", ") + s.name;
            return RenderError{p->name + " has no parameter \"" + parameter.name +
                               "\"; its parameters are " + names + "."};
        }
        const int slot = slotOf(range->name.front());
        if (givenSlots & given(slot))
            return RenderError{"Parameter " + parameter.name + " is given twice."};
        if (parameter.value < range->min || parameter.value > range->max)
            return RenderError{"Parameter " + parameter.name + "=" +
                               std::to_string(parameter.value) + " is out of range for " + p->name +
                               " (" + std::to_string(range->min) + ".." +
                               std::to_string(range->max) + ")."};
        givenSlots |= given(slot);
        values[std::size_t(slot)] = parameter.value;
    }
    for (const ParameterSpec& range : p->parameters)
        if (!range.hasDefault && !(givenSlots & given(slotOf(range.name.front()))))
            return RenderError{p->name + " needs parameter " + range.name + "."};
    if (p->complete)
        p->complete(values, givenSlots);

    IrSignal signal;
    signal.frequency = std::uint32_t(p->frequency);
    signal.dutyCycle = p->duty;
    renderStream(*p, p->intro, values, signal.intro);
    renderStream(*p, p->repeat, values, signal.repeat);
    return signal;
}

} // namespace qlv
