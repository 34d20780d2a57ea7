// mode2 and ir-ctl text: pulse/space/timeout/carrier lines or signed durations.
#include "interchange.h"
#include "textlines.h"

#include <algorithm>

namespace qlv::interchange {

namespace {

// A held key's frames stay together; only a silence this long (or a timeout) ends a code.
constexpr std::uint32_t CodeEndSpace = 150000;
constexpr std::uint32_t AssumedCarrier = 38000;

class Mode2Reader {
public:
    explicit Mode2Reader(ParseResult& result)
        : result_(result)
    {
    }

    void comment(int line, std::string_view text)
    {
        text = trim(text);
        // ir-ctl -r writes "# carrier 38000Hz" after the message it belongs to
        if (startsWith(text, "carrier ")) {
            auto value = trim(text.substr(8));
            if (value.ends_with("Hz"))
                value.remove_suffix(2);
            if (const auto hz = parseDecimal(value, 10000000)) {
                if (durations_.empty() && !result_.codes.empty() && !lastHadCarrier_) {
                    std::get<IrSignal>(result_.codes.back().code).frequency =
                        static_cast<std::uint32_t>(*hz);
                    lastHadCarrier_ = true;
                    sawCarrier_ = true;
                } else {
                    setCarrier(*hz);
                }
            }
            return;
        }
        if (text == "overflow") {
            end(0);
            return;
        }
        (void)line;
        if (durations_.empty() && !bad_)
            name_ = std::string(text);
    }

    void setCarrier(std::uint64_t hz)
    {
        carrier_ = static_cast<std::uint32_t>(hz);
        sawCarrier_ = true;
        codeHasCarrier_ = true;
    }

    // kind: true = pulse
    void duration(int line, bool pulse, std::uint64_t us)
    {
        if (bad_)
            return;
        if (durations_.empty()) {
            if (!pulse)
                return; // silence before the first pulse
            startLine_ = line;
        }
        const bool lastPulse = durations_.size() % 2 == 1;
        if (!durations_.empty() && lastPulse == pulse) {
            durations_.back() = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(durations_.back() + us, 0xFFFFFFFFu));
        } else {
            if (durations_.size() >= MaxDurations) {
                error(line,
                      "the code has more than " + std::to_string(MaxDurations) + " durations");
                return;
            }
            durations_.push_back(static_cast<std::uint32_t>(us));
        }
        if (!pulse && durations_.back() >= CodeEndSpace)
            end(0);
    }

    bool expectsPulse() const { return durations_.size() % 2 == 0; }

    void error(int line, const std::string& message)
    {
        result_.errors.push_back({line, message});
        bad_ = true;
    }

    // A timeout or a long space: the code so far is complete.
    void end(std::uint64_t timeout)
    {
        if (!bad_ && !durations_.empty()) {
            IrSignal signal;
            signal.frequency = carrier_;
            signal.intro = std::move(durations_);
            if (signal.intro.size() % 2 != 0)
                signal.intro.push_back(
                    timeout > 0
                        ? static_cast<std::uint32_t>(std::min<std::uint64_t>(timeout, 0xFFFFFFFFu))
                        : DefaultTrailingGap);
            if (result_.codes.size() >= MaxCodes) {
                result_.errors.push_back(
                    {startLine_, "more than " + std::to_string(MaxCodes) + " codes"});
            } else {
                result_.codes.push_back({name_, startLine_, std::move(signal), std::nullopt});
                lastHadCarrier_ = codeHasCarrier_;
            }
        }
        durations_.clear();
        name_.clear();
        bad_ = false;
        codeHasCarrier_ = false;
    }

    void finish()
    {
        end(0);
        if (!sawCarrier_) {
            for (auto& code : result_.codes)
                std::get<IrSignal>(code.code).frequency = AssumedCarrier;
            if (!result_.codes.empty())
                result_.warnings.push_back({0, "no carrier given: 38000 Hz assumed"});
        }
    }

private:
    static bool startsWith(std::string_view text, std::string_view prefix)
    {
        return text.starts_with(prefix);
    }

    ParseResult& result_;
    std::vector<std::uint32_t> durations_;
    std::string name_;
    int startLine_ = 0;
    std::uint32_t carrier_ = 0;
    bool bad_ = false;
    bool sawCarrier_ = false;
    bool codeHasCarrier_ = false;
    bool lastHadCarrier_ = false;
};

} // namespace

ParseResult parseMode2(std::string_view text)
{
    if (std::optional<ParseResult> refused = refuseOversized(text))
        return std::move(*refused);
    ParseResult result;
    Mode2Reader reader(result);
    for (const TextLine& line : splitLines(text)) {
        std::string_view content = trim(line.text);
        if (content.empty())
            continue;
        if (content.front() == '#' || content.starts_with("//")) {
            content.remove_prefix(content.front() == '#' ? 1 : 2);
            reader.comment(line.number, content);
            continue;
        }
        const auto words = tokens(content, ",");
        if (words.empty())
            continue; // nothing but separators
        const std::string_view keyword = words.front();
        const auto value = [&]() -> std::optional<std::uint64_t> {
            if (words.size() != 2) {
                reader.error(line.number, quoted(keyword) + " needs one value");
                return std::nullopt;
            }
            const auto us = parseDecimal(words[1], 0xFFFFFFFF);
            if (!us || *us == 0) {
                reader.error(line.number, quoted(words[1]) + " is not a positive number");
                return std::nullopt;
            }
            return us;
        };
        if (keyword == "pulse" || keyword == "space" || keyword == "-pulse" ||
            keyword == "-space") {
            if (const auto us = value())
                reader.duration(line.number, keyword.ends_with("pulse"), *us);
        } else if (keyword == "timeout") {
            if (const auto us = value())
                reader.end(*us);
        } else if (keyword == "carrier") {
            if (const auto hz = value())
                reader.setCarrier(*hz);
        } else if (keyword == "overflow") {
            reader.end(0);
        } else if (keyword == "scancode") {
            reader.error(line.number,
                         "scancode lines are not supported; record the signal instead");
        } else {
            // ir-ctl's signed form, or mode2 -m columns: alternate pulse and space by position
            for (std::size_t i = 0; i < words.size(); ++i) {
                const std::string_view word = words[i];
                const char sign = word.front();
                const auto us =
                    parseDecimal(sign == '+' || sign == '-' ? word.substr(1) : word, 0xFFFFFFFF);
                if (!us || *us == 0) {
                    reader.error(line.number,
                                 quoted(word) + " is not a pulse, space, timeout or carrier");
                    break;
                }
                bool pulse = reader.expectsPulse();
                if (sign == '+' && !pulse) {
                    reader.error(line.number, quoted(word) + ": a pulse where a space belongs");
                    break;
                }
                if (sign == '-')
                    pulse = false;
                reader.duration(line.number, pulse, *us);
                // ir-ctl -r writes a message a line, ending in the receiver's timeout
                if (sign == '-' && i + 1 == words.size())
                    reader.end(0);
            }
        }
    }
    reader.finish();
    return result;
}

WriteResult writeMode2(const std::vector<ExportCode>& codes)
{
    WriteResult result;
    bool first = true;
    const auto writeOne = [&](const std::string& name, const IrSignal& signal) {
        std::vector<std::uint32_t> data(signal.intro.begin(), signal.intro.end());
        data.insert(data.end(), signal.repeat.begin(), signal.repeat.end());
        if (!data.empty())
            data.pop_back();
        if (data.empty()) {
            result.refused.push_back(name + ": the code is empty");
            return;
        }
        if (!first)
            result.text += "space " + std::to_string(CodeEndSpace) + '\n';
        first = false;
        std::string comment = name;
        for (char& c : comment)
            if (c == '\n' || c == '\r')
                c = ' ';
        ++result.count;
        result.text += "# " + comment + '\n';
        if (signal.frequency > 0)
            result.text += "carrier " + std::to_string(signal.frequency) + '\n';
        for (std::size_t i = 0; i < data.size(); ++i)
            result.text += (i % 2 == 0 ? "pulse " : "space ") + std::to_string(data[i]) + '\n';
    };
    writeEachSignal(codes, writeOne);
    return result;
}

} // namespace qlv::interchange
