#include "app/startup_rules.h"

#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <utility>

CommandLineOptions ParseCommandLine(std::string_view commandLine)
{
    std::string upper(commandLine);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    auto contains = [&upper](std::string_view option) {
        return upper.find(std::string("-").append(option)) != std::string::npos ||
               upper.find(std::string("/").append(option)) != std::string::npos;
    };

    CommandLineOptions options;
    options.readOnly = contains("RDONLY");
    static constexpr std::array<std::pair<std::string_view, OperatingMode>, 4> kModes{{
        {"REC", OperatingMode::REC},
        {"KESTRA", OperatingMode::KESTRA},
        {"PRO", OperatingMode::PRO},
        {"SECURITY", OperatingMode::SECURITY},
    }};
    for (const auto &[option, mode] : kModes) {
        if (contains(option)) {
            options.operatingMode = mode;
            break;
        }
    }
    return options;
}

std::string ExecutableBaseName(std::string_view modulePath)
{
    const std::size_t slash = modulePath.find_last_of("/\\");
    std::string_view name =
        slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name);
}

std::string LocalSettingsPath(std::string_view modulePath, std::string_view baseName)
{
    if (baseName.empty())
        return kSettingsFileName;
    for (std::size_t at = modulePath.rfind(baseName); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : modulePath.rfind(baseName, at - 1)) {
        if (at == 0 || modulePath[at - 1] == '/' || modulePath[at - 1] == '\\')
            return std::string(modulePath.substr(0, at)) + kSettingsFileName;
    }
    return kSettingsFileName;
}
