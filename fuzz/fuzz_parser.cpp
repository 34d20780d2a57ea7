// One parser on arbitrary bytes; whatever it reads must survive its own writer and read back
// without errors.
#include "interchange/interchange.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace qlv::interchange;

namespace {

constexpr Format FuzzedFormat()
{
    using enum Format;
#define QLV_STRINGIFY2(x) #x
#define QLV_STRINGIFY(x) QLV_STRINGIFY2(x)
    constexpr std::string_view name = QLV_STRINGIFY(QLV_FUZZ_FORMAT);
    if (name == "pronto")
        return Pronto;
    if (name == "flipper")
        return Flipper;
    if (name == "lirc")
        return Lirc;
    if (name == "mode2")
        return Mode2;
    return Csv;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParseResult result = parseCodes(FuzzedFormat(), text);
    std::vector<ExportCode> codes;
    for (const NamedCode& code : result.codes) {
        if (const auto* signal = std::get_if<qlv::IrSignal>(&code.code)) {
            if (signal->intro.size() % 2 != 0 || signal->repeat.size() % 2 != 0)
                std::abort(); // a sequence must end with a space
            for (const qlv::IrSequence* sequence : {&signal->intro, &signal->repeat})
                for (std::uint32_t us : *sequence)
                    if (us == 0)
                        std::abort();
            codes.push_back({code.name, *signal, code.toggled, std::nullopt});
        }
    }
    if (codes.empty())
        return 0;
    const WriteResult written = writeCodes(FuzzedFormat(), codes, "fuzz");
    const ParseResult again = parseCodes(FuzzedFormat(), written.text);
    if (!again.errors.empty() && FuzzedFormat() != Format::Csv)
        std::abort();
    return 0;
}
