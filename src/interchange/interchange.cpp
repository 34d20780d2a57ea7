#include "interchange.h"
#include "textlines.h"

#include <algorithm>

namespace qlv::interchange {

ParseResult parseCodes(Format format, std::string_view text)
{
    switch (format) {
    case Format::Pronto:
        return parsePronto(text);
    case Format::Flipper:
        return parseFlipper(text);
    case Format::Lirc:
        return parseLirc(text);
    case Format::Mode2:
        return parseMode2(text);
    case Format::Csv:
        return parseIrdbCsv(text);
    }
    return {};
}

WriteResult writeCodes(Format format, const std::vector<ExportCode>& codes,
                       std::string_view remoteName)
{
    switch (format) {
    case Format::Pronto:
        return writePronto(codes);
    case Format::Flipper:
        return writeFlipper(codes);
    case Format::Lirc:
        return writeLirc(codes, remoteName);
    case Format::Mode2:
        return writeMode2(codes);
    case Format::Csv:
        return writeIrdbCsv(codes);
    }
    return {};
}

std::string_view formatName(Format format)
{
    switch (format) {
    case Format::Pronto:
        return "pronto";
    case Format::Flipper:
        return "flipper";
    case Format::Lirc:
        return "lirc";
    case Format::Mode2:
        return "mode2";
    case Format::Csv:
        return "csv";
    }
    return {};
}

std::optional<Format> formatFromName(std::string_view name)
{
    for (Format format :
         {Format::Pronto, Format::Flipper, Format::Lirc, Format::Mode2, Format::Csv})
        if (equalsNoCase(name, formatName(format)))
            return format;
    return std::nullopt;
}

std::optional<Format> formatFromExtension(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::string lower = lowerAscii(file);
    const std::string_view name = lower;
    if (name.ends_with(".ir"))
        return Format::Flipper;
    if (name.ends_with(".csv"))
        return Format::Csv;
    if (name.ends_with(".conf") || name.ends_with(".lircd"))
        return Format::Lirc;
    if (name.ends_with(".mode2"))
        return Format::Mode2;
    if (name.ends_with(".pronto") || name.ends_with(".ccf"))
        return Format::Pronto;
    return std::nullopt;
}

std::optional<Format> formatFromContent(std::string_view text)
{
    int csvRows = 0;
    int examined = 0;
    for (const TextLine& line : splitLines(text.substr(0, 65536))) {
        const std::string_view content = trim(line.text);
        if (content.empty())
            continue;
        if (content.starts_with("Filetype:") || content.starts_with("name:") ||
            content.starts_with("type:"))
            return Format::Flipper;
        const auto words = tokens(content, ",");
        if (words.empty())
            continue;
        const std::string first = lowerAscii(words[0]);
        if (first == "begin" && words.size() > 1 && equalsNoCase(words[1], "remote"))
            return Format::Lirc;
        if (first == "pulse" || first == "space" || first == "carrier" || first == "timeout")
            return Format::Mode2;
        if (content.front() == '#' || content.starts_with("//"))
            continue;
        if (startsWithNoCase(content, "functionname,") || startsWithNoCase(content, "function,"))
            return Format::Csv;
        // Pronto: a line whose words (after an optional name) start 0000/0100/5000/...
        std::string_view body = content;
        if (const auto tab = body.find('\t'); tab != std::string_view::npos)
            body = body.substr(tab + 1);
        else if (const auto colon = body.find(':'); colon != std::string_view::npos)
            body = body.substr(colon + 1);
        const auto prontoWords = tokens(body);
        if (prontoWords.size() >= 6) {
            const std::string type = lowerAscii(prontoWords[0]);
            if (type == "0000" || type == "0100" || type == "5000" || type == "5001" ||
                type == "6000" || type == "900a")
                return Format::Pronto;
        }
        if (content.front() == '+' || content.front() == '-' ||
            (content.front() >= '0' && content.front() <= '9' &&
             content.find(',') == std::string_view::npos))
            return Format::Mode2;
        if (std::count(content.begin(), content.end(), ',') >= 4)
            ++csvRows;
        if (++examined >= 20)
            break;
    }
    if (csvRows > 0)
        return Format::Csv;
    return std::nullopt;
}

} // namespace qlv::interchange
