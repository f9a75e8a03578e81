// Feeds arbitrary NAME=VALUE lines, as given to `kestra-cfg set`, to the named settings. A
// refusal leaves the settings as they were; what is taken, `show` prints as values that `set`
// takes back without changing a byte.
#include "settings/named_settings.h"
#include "settings/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    std::vector<NamedValue> values;
    while (!text.empty()) {
        const std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(std::min(line.size() + 1, text.size()));
        // set takes no argument without "=".
        const auto equals = line.find('=');
        if (equals != std::string_view::npos)
            values.push_back(
                {std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
    }

    CameraSettings start;
    start.ResetAll();
    CameraSettings settings = start;
    if (const auto refusal = ApplyNamedSettings(settings, values)) {
        if (refusal->reason.empty() || EncodeSettingsFile(settings) != EncodeSettingsFile(start))
            std::abort();
        return 0;
    }

    const std::vector<NamedValue> shown = NamedSettingValues(settings);
    CameraSettings again = settings;
    if (ApplyNamedSettings(again, shown) ||
        EncodeSettingsFile(again) != EncodeSettingsFile(settings))
        std::abort();
    return 0;
}
