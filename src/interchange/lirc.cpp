// LIRC lircd.conf: raw remotes, and cooked remotes rendered the way lircd transmits them.
#include "interchange.h"
#include "textlines.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace qlv::interchange {

namespace {

constexpr std::uint64_t MaxMicros = 10'000'000; // no single LIRC duration is 10 s long

struct Timing {
    std::uint64_t pulse = 0;
    std::uint64_t space = 0;
    bool set() const { return pulse != 0 && space != 0; }
};

struct CookedCode {
    std::string name;
    int line = 0;
    std::uint64_t value = 0;
};

struct RawCode {
    std::string name;
    int line = 0;
    std::vector<std::uint32_t> durations;
    bool bad = false;
};

struct Remote {
    std::string name;
    int line = 0;
    bool bad = false;
    unsigned bits = 0;
    bool spaceEnc = false, biphase = false, rc6 = false, spaceFirst = false, reverse = false;
    bool noHeadRep = false, noFootRep = false, constLength = false, rawCodes = false;
    bool repeatHeader = false;
    Timing header, one, zero, pre, post, foot, repeat;
    std::uint64_t plead = 0, ptrail = 0;
    unsigned preBits = 0, postBits = 0;
    std::uint64_t preData = 0, postData = 0;
    std::uint64_t gap = 0, repeatGap = 0;
    std::uint64_t toggleMask = 0;
    unsigned toggleBit = 0;
    std::optional<std::uint64_t> rc6Mask;
    std::uint64_t frequency = 38000;
    std::vector<CookedCode> codes;
    std::vector<RawCode> raw;
};

// Durations as lircd sends them: neighbours of one kind merge, a leading space is dropped.
class Pulses {
public:
    void pulse(std::uint64_t us)
    {
        if (us == 0)
            return;
        if (d_.size() % 2 == 1)
            d_.back() += us;
        else
            d_.push_back(us);
        total_ += us;
    }
    void space(std::uint64_t us)
    {
        if (us == 0 || d_.empty())
            return;
        if (d_.size() % 2 == 0)
            d_.back() += us;
        else
            d_.push_back(us);
        total_ += us;
    }
    std::uint64_t total() const { return total_; }
    const std::vector<std::uint64_t>& durations() const { return d_; }

private:
    std::vector<std::uint64_t> d_;
    std::uint64_t total_ = 0;
};

std::uint64_t reverseBits(std::uint64_t value, unsigned width)
{
    std::uint64_t out = 0;
    for (unsigned i = 0; i < width; ++i)
        if (value & (std::uint64_t{1} << i))
            out |= std::uint64_t{1} << (width - 1 - i);
    return out;
}

std::uint64_t widthMask(unsigned width)
{
    return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}

class CookedRenderer {
public:
    explicit CookedRenderer(const Remote& remote)
        : r_(remote)
    {
        allBits_ = r_.preBits + r_.bits + r_.postBits;
        toggleMask_ = r_.toggleMask;
        if (toggleMask_ == 0 && r_.toggleBit > 0 && r_.toggleBit <= allBits_)
            toggleMask_ = std::uint64_t{1} << (allBits_ - r_.toggleBit);
        rc6Mask_ = r_.rc6Mask.value_or(r_.rc6 ? toggleMask_ : 0);
    }

    bool toggles() const { return toggleMask_ != 0; }

    IrSignal render(std::uint64_t code, bool toggleState) const
    {
        std::uint64_t pre = r_.preData & widthMask(r_.preBits);
        std::uint64_t value = code & widthMask(r_.bits);
        std::uint64_t post = r_.postData & widthMask(r_.postBits);
        if (r_.reverse) {
            pre = reverseBits(pre, r_.preBits);
            value = reverseBits(value, r_.bits);
            post = reverseBits(post, r_.postBits);
        }
        std::uint64_t all = post;
        if (r_.bits < 64)
            all |= value << r_.postBits;
        if (r_.bits + r_.postBits < 64)
            all |= pre << (r_.bits + r_.postBits);
        if (toggleMask_ != 0) {
            if (std::popcount(toggleMask_) == 1)
                all = toggleState ? (all | toggleMask_) : (all & ~toggleMask_);
            else if (toggleState)
                all ^= toggleMask_;
        }

        IrSignal signal;
        signal.frequency = static_cast<std::uint32_t>(r_.frequency);
        Pulses intro;
        std::uint64_t headerLength = 0;
        frame(intro, all, true, true, headerLength);
        signal.intro = finishFrame(intro, r_.gap, r_.noHeadRep ? headerLength : 0);

        Pulses again;
        std::uint64_t unused = 0;
        if (r_.repeat.set()) {
            if (r_.repeatHeader && r_.header.set()) {
                again.pulse(r_.header.pulse);
                again.space(r_.header.space);
            }
            again.pulse(r_.plead);
            again.pulse(r_.repeat.pulse);
            again.space(r_.repeat.space);
            again.pulse(r_.ptrail);
        } else {
            frame(again, all, !r_.noHeadRep, !r_.noFootRep, unused);
        }
        signal.repeat = finishFrame(again, r_.repeatGap ? r_.repeatGap : r_.gap, 0);
        return signal;
    }

private:
    void frame(Pulses& out, std::uint64_t all, bool withHeader, bool withFoot,
               std::uint64_t& headerLength) const
    {
        if (withHeader && r_.header.set()) {
            out.pulse(r_.header.pulse);
            out.space(r_.header.space);
            headerLength = r_.header.pulse + r_.header.space;
        }
        out.pulse(r_.plead);
        for (unsigned sent = 0; sent < allBits_; ++sent) {
            if (sent == r_.preBits && r_.preBits > 0 && r_.pre.set()) {
                out.pulse(r_.pre.pulse);
                out.space(r_.pre.space);
            }
            if (sent == r_.preBits + r_.bits && r_.postBits > 0 && r_.post.set()) {
                out.pulse(r_.post.pulse);
                out.space(r_.post.space);
            }
            const unsigned position = allBits_ - 1 - sent;
            const bool bit = (all >> position) & 1;
            const std::uint64_t scale = (r_.biphase && ((rc6Mask_ >> position) & 1)) ? 2 : 1;
            const Timing& t = bit ? r_.one : r_.zero;
            if (r_.biphase ? bit : r_.spaceFirst) {
                out.space(t.space * scale);
                out.pulse(t.pulse * scale);
            } else {
                out.pulse(t.pulse * scale);
                out.space(t.space * scale);
            }
        }
        out.pulse(r_.ptrail);
        if (withFoot && r_.foot.set()) {
            out.space(r_.foot.space);
            out.pulse(r_.foot.pulse);
        }
    }

    std::vector<std::uint32_t> finishFrame(Pulses& out, std::uint64_t gap,
                                           std::uint64_t uncounted) const
    {
        std::uint64_t trailing = gap == 0 ? DefaultTrailingGap : gap;
        if (r_.constLength && gap > out.total() - uncounted)
            trailing = gap - (out.total() - uncounted);
        out.space(trailing); // a frame ending in a bit's space runs into the gap
        std::vector<std::uint32_t> durations;
        for (std::uint64_t us : out.durations())
            durations.push_back(
                static_cast<std::uint32_t>(std::min<std::uint64_t>(us, 0xFFFFFFFF)));
        return durations;
    }

    const Remote& r_;
    unsigned allBits_ = 0;
    std::uint64_t toggleMask_ = 0;
    std::uint64_t rc6Mask_ = 0;
};

class LircReader {
public:
    explicit LircReader(ParseResult& result)
        : result_(result)
    {
    }

    void line(const TextLine& line)
    {
        auto words = tokens(line.text);
        for (std::size_t i = 0; i < words.size(); ++i)
            if (words[i].front() == '#') {
                words.resize(i);
                break;
            }
        if (words.empty())
            return;
        const std::string keyword = lowerAscii(words[0]);
        const std::string second = words.size() > 1 ? lowerAscii(words[1]) : std::string();
        if (keyword == "begin" && second == "remote") {
            if (remote_) {
                error(line.number, "'begin remote' inside a remote");
                finishRemote();
            }
            remote_ = Remote{};
            remote_->line = line.number;
            section_ = Section::Parameters;
            return;
        }
        if (!remote_) {
            if (keyword == "include")
                result_.warnings.push_back({line.number, "included files are not read"});
            else
                result_.warnings.push_back({line.number, "text outside a remote is ignored"});
            return;
        }
        if (keyword == "end" && second == "remote") {
            finishRemote();
            return;
        }
        if (keyword == "begin" && (second == "codes" || second == "raw_codes")) {
            section_ = second == "codes" ? Section::Codes : Section::RawCodes;
            return;
        }
        if (keyword == "end" && (second == "codes" || second == "raw_codes")) {
            section_ = Section::Parameters;
            return;
        }
        if (remote_->bad)
            return;
        switch (section_) {
        case Section::Parameters:
            parameter(line.number, keyword, words);
            break;
        case Section::Codes:
            cookedCode(line.number, words);
            break;
        case Section::RawCodes:
            rawCode(line.number, keyword, words);
            break;
        }
    }

    void finish()
    {
        if (remote_) {
            error(remote_->line, "the remote has no 'end remote'");
            finishRemote();
        }
    }

private:
    enum class Section { Parameters, Codes, RawCodes };

    void error(int line, const std::string& message) { result_.errors.push_back({line, message}); }

    void refuseRemote(int line, const std::string& message)
    {
        error(line, message);
        remote_->bad = true;
    }

    std::optional<std::uint64_t> number(int line, std::string_view keyword, std::string_view word,
                                        std::uint64_t max)
    {
        const auto value = parseNumber(word, max);
        if (!value)
            refuseRemote(line, quoted(keyword) + " is not a number");
        return value;
    }

    void parameter(int line, const std::string& keyword, const std::vector<std::string_view>& words)
    {
        Remote& r = *remote_;
        if (keyword == "name") {
            if (words.size() > 1)
                r.name = std::string(words[1]);
            return;
        }
        if (keyword == "flags") {
            std::string all;
            for (std::size_t i = 1; i < words.size(); ++i)
                all += words[i];
            for (const auto flag : tokens(all, "|")) {
                const std::string f = lowerAscii(flag);
                if (f == "space_enc")
                    r.spaceEnc = true;
                else if (f == "rc5" || f == "shift_enc")
                    r.biphase = true;
                else if (f == "rc6")
                    r.biphase = r.rc6 = true;
                else if (f == "space_first")
                    r.spaceFirst = true;
                else if (f == "reverse")
                    r.reverse = true;
                else if (f == "no_head_rep")
                    r.noHeadRep = true;
                else if (f == "no_foot_rep")
                    r.noFootRep = true;
                else if (f == "const_length")
                    r.constLength = true;
                else if (f == "raw_codes")
                    r.rawCodes = true;
                else if (f == "repeat_header")
                    r.repeatHeader = true;
                else if (f == "rcmm" || f == "xmp" || f == "grundig" || f == "bo" || f == "serial")
                    return refuseRemote(line, "flag " + quoted(flag) +
                                                  " is an encoding QLV cannot render");
                else
                    result_.warnings.push_back({line, "flag " + quoted(flag) + " is ignored"});
            }
            return;
        }
        struct PairKey {
            const char* name;
            Timing Remote::*field;
        };
        static const PairKey pairs[] = {
            {"header", &Remote::header}, {"one", &Remote::one},   {"zero", &Remote::zero},
            {"pre", &Remote::pre},       {"post", &Remote::post}, {"foot", &Remote::foot},
            {"repeat", &Remote::repeat},
        };
        for (const auto& key : pairs) {
            if (keyword != key.name)
                continue;
            if (words.size() < 3)
                return refuseRemote(line, quoted(keyword) + " needs a pulse and a space");
            const auto p = number(line, keyword, words[1], MaxMicros);
            const auto s = p ? number(line, keyword, words[2], MaxMicros) : std::nullopt;
            if (s)
                r.*key.field = {*p, *s};
            return;
        }
        struct ValueKey {
            const char* name;
            std::uint64_t max;
        };
        static const ValueKey values[] = {
            {"bits", 64},          {"plead", MaxMicros},      {"ptrail", MaxMicros},
            {"pre_data_bits", 64}, {"post_data_bits", 64},    {"pre_data", ~0ull},
            {"post_data", ~0ull},  {"gap", MaxMicros},        {"repeat_gap", MaxMicros},
            {"toggle_bit", 64},    {"repeat_bit", 64},        {"toggle_bit_mask", ~0ull},
            {"rc6_mask", ~0ull},   {"frequency", 10'000'000},
        };
        for (const auto& key : values) {
            if (keyword != key.name)
                continue;
            if (words.size() < 2)
                return refuseRemote(line, quoted(keyword) + " has no value");
            const auto v = number(line, keyword, words[1], key.max);
            if (!v)
                return;
            if (keyword == "bits")
                r.bits = static_cast<unsigned>(*v);
            else if (keyword == "plead")
                r.plead = *v;
            else if (keyword == "ptrail")
                r.ptrail = *v;
            else if (keyword == "pre_data_bits")
                r.preBits = static_cast<unsigned>(*v);
            else if (keyword == "post_data_bits")
                r.postBits = static_cast<unsigned>(*v);
            else if (keyword == "pre_data")
                r.preData = *v;
            else if (keyword == "post_data")
                r.postData = *v;
            else if (keyword == "gap")
                r.gap = *v;
            else if (keyword == "repeat_gap")
                r.repeatGap = *v;
            else if (keyword == "toggle_bit" || keyword == "repeat_bit")
                r.toggleBit = static_cast<unsigned>(*v);
            else if (keyword == "toggle_bit_mask")
                r.toggleMask = *v;
            else if (keyword == "rc6_mask")
                r.rc6Mask = *v;
            else if (keyword == "frequency")
                r.frequency = *v;
            return;
        }
        // eps, aeps, driver, min_repeat, duty_cycle and the like do not change the signal
    }

    void cookedCode(int line, const std::vector<std::string_view>& words)
    {
        if (words.size() < 2)
            return error(line, "code " + quoted(words[0]) + " has no value");
        const auto value = parseNumber(words[1], ~0ull);
        if (!value)
            return error(line,
                         "code " + quoted(words[0]) + ": " + quoted(words[1]) + " is not a number");
        if (words.size() > 2)
            result_.warnings.push_back(
                {line, "code " + quoted(words[0]) + ": only the first of its codes is read"});
        remote_->codes.push_back({std::string(words[0]), line, *value});
    }

    void rawCode(int line, const std::string& keyword, const std::vector<std::string_view>& words)
    {
        std::size_t first = 0;
        if (keyword == "name") {
            if (words.size() < 2)
                return error(line, "'name' without a button name");
            remote_->raw.push_back({std::string(words[1]), line, {}, false});
            first = 2;
        }
        if (first >= words.size())
            return;
        if (remote_->raw.empty())
            return error(line, "durations before the first 'name'");
        RawCode& code = remote_->raw.back();
        if (code.bad)
            return;
        for (std::size_t i = first; i < words.size(); ++i) {
            const auto us = parseDecimal(words[i], MaxMicros);
            if (!us || *us == 0) {
                error(line,
                      quoted(code.name) + ": " + quoted(words[i]) + " is not a positive duration");
                code.bad = true;
                return;
            }
            if (code.durations.size() >= MaxDurations) {
                error(line, quoted(code.name) + ": more than " + std::to_string(MaxDurations) +
                                " durations");
                code.bad = true;
                return;
            }
            code.durations.push_back(static_cast<std::uint32_t>(*us));
        }
    }

    void store(NamedCode code)
    {
        if (result_.codes.size() >= MaxCodes)
            return error(code.line, "more than " + std::to_string(MaxCodes) + " codes");
        result_.codes.push_back(std::move(code));
    }

    void finishRemote()
    {
        Remote r = std::move(*remote_);
        remote_.reset();
        section_ = Section::Parameters;
        if (r.bad)
            return;
        if (r.frequency > 0 && r.frequency < 1000)
            return error(r.line, "frequency " + std::to_string(r.frequency) + " is too low");
        if (!r.raw.empty() || r.rawCodes) {
            if (r.ptrail != 0 || r.repeat.set())
                result_.warnings.push_back(
                    {r.line, "'ptrail' and 'repeat' are ignored in a raw remote"});
            for (RawCode& code : r.raw) {
                if (code.bad)
                    continue;
                if (code.durations.empty()) {
                    error(code.line, quoted(code.name) + " has no durations");
                    continue;
                }
                IrSignal signal;
                signal.frequency = static_cast<std::uint32_t>(r.frequency);
                signal.intro = std::move(code.durations);
                if (signal.intro.size() % 2 == 1) {
                    std::uint64_t gap = r.gap == 0 ? DefaultTrailingGap : r.gap;
                    std::uint64_t length = 0;
                    for (std::uint32_t us : signal.intro)
                        length += us;
                    if (r.constLength && r.gap > length)
                        gap = r.gap - length;
                    signal.intro.push_back(static_cast<std::uint32_t>(gap));
                }
                store({code.name, code.line, std::move(signal), std::nullopt});
            }
            return;
        }
        if (r.preBits > 64 || r.bits > 64 || r.postBits > 64 ||
            r.preBits + r.bits + r.postBits > 64)
            return error(r.line, "the remote has more than 64 bits a code");
        if (r.preBits + r.bits + r.postBits == 0)
            return error(r.line, "the remote has no 'bits'");
        if (r.gap == 0)
            result_.warnings.push_back({r.line, "no 'gap': 100000 us assumed"});
        const CookedRenderer renderer(r);
        for (const CookedCode& code : r.codes) {
            NamedCode named{code.name, code.line, renderer.render(code.value, false), std::nullopt};
            if (renderer.toggles())
                named.toggled = renderer.render(code.value, true);
            store(std::move(named));
        }
    }

    ParseResult& result_;
    std::optional<Remote> remote_;
    Section section_ = Section::Parameters;
};

} // namespace

ParseResult parseLirc(std::string_view text)
{
    if (std::optional<ParseResult> refused = refuseOversized(text))
        return std::move(*refused);
    ParseResult result;
    LircReader reader(result);
    for (const TextLine& line : splitLines(text))
        reader.line(line);
    reader.finish();
    return result;
}

namespace {

std::string lircName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')
            c = '_';
    if (out.empty())
        out = "_";
    if (out.front() == '#')
        out.front() = '_';
    return out;
}

} // namespace

WriteResult writeLirc(const std::vector<ExportCode>& codes, std::string_view remoteName)
{
    WriteResult result;
    struct Entry {
        std::string name;
        const IrSequence* durations;
    };
    // One remote a carrier: a LIRC remote has a single frequency.
    std::vector<std::pair<std::uint32_t, std::vector<Entry>>> remotes;
    // A raw remote has no repeat part: the code is the intro and, where it differs, one copy
    // of the repeat (a NEC frame keeps its ditto), without the final space.
    const auto body = [](const IrSignal& signal) {
        IrSequence out = signal.intro;
        if (signal.repeat != signal.intro)
            out.insert(out.end(), signal.repeat.begin(), signal.repeat.end());
        return out;
    };
    std::vector<IrSequence> bodies;
    bodies.reserve(2 * codes.size()); // entries point into it
    const auto add = [&](std::string name, const IrSignal& signal) {
        bodies.push_back(body(signal));
        if (bodies.back().size() < 2) {
            result.refused.push_back(name + ": the code is empty");
            return;
        }
        auto it = std::find_if(remotes.begin(), remotes.end(),
                               [&](const auto& r) { return r.first == signal.frequency; });
        if (it == remotes.end()) {
            remotes.push_back({signal.frequency, {}});
            it = remotes.end() - 1;
        }
        it->second.push_back({std::move(name), &bodies.back()});
    };
    writeEachSignal(codes, add);
    result.text = "# QLV export: " + std::string(remoteName) + "\n";
    for (std::size_t i = 0; i < remotes.size(); ++i) {
        const auto& [frequency, entries] = remotes[i];
        const std::uint32_t gap = entries.front().durations->back();
        std::string name = lircName(remoteName);
        if (i > 0)
            name += "_" + std::to_string(i + 1);
        result.text += "\nbegin remote\n  name  " + name +
                       "\n  flags RAW_CODES\n  eps   30\n  aeps  100\n  frequency " +
                       std::to_string(frequency) + "\n  gap   " + std::to_string(gap) +
                       "\n  begin raw_codes\n";
        for (const Entry& entry : entries) {
            const IrSequence& body = *entry.durations;
            ++result.count;
            result.text += "    name " + lircName(entry.name) + "\n";
            const std::size_t count = body.size() - 1; // the last space is the remote's gap
            for (std::size_t k = 0; k < count; ++k) {
                char number[16];
                // a leading space keeps six-digit durations apart
                std::snprintf(number, sizeof number, " %5u", body[k]);
                result.text += (k % 6 == 0 ? "    " : "") + std::string(number);
                if (k % 6 == 5 || k + 1 == count)
                    result.text += '\n';
            }
        }
        result.text += "  end raw_codes\nend remote\n";
    }
    return result;
}

} // namespace qlv::interchange
