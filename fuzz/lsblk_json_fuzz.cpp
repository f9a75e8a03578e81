// Feeds arbitrary text to the lsblk output parser: it must refuse or parse, never crash.
#include "platform/lsblk_volumes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (const auto devices = platform::parseLsblkJson(text)) {
        for (const platform::LsblkDevice &device : *devices)
            (void)platform::fileSystemName(device);
    }
    return 0;
}
