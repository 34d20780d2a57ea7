#include "eepromimage.h"

#include <algorithm>

namespace qlv {

void appendSlot(std::vector<std::uint8_t>& image, std::span<const std::uint8_t> stored)
{
    const std::size_t kept = std::min(stored.size(), RecordSize);
    image.insert(image.end(), stored.begin(), stored.begin() + kept);
    image.insert(image.end(), RecordSize - kept, 0xFF);
}

CodeRecord imageSlot(std::span<const std::uint8_t> image, std::size_t n)
{
    const std::size_t offset = n * RecordSize;
    if (offset >= image.size())
        return importedSlot({});
    return importedSlot(image.subspan(offset, std::min(RecordSize, image.size() - offset)));
}

} // namespace qlv
