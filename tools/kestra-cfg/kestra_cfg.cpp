#include "kestra_cfg.h"

#include "platform/utf8_path.h"
#include "report.h"
#include "resources/string_table.h"
#include "settings/settings_file.h"

namespace {

constexpr const char *kUsage =
    "usage: kestra-cfg show [--json] FILE | convert IN OUT | factory OUT\n";

class StreamMessages : public SettingsFileMessages
{
public:
    explicit StreamMessages(std::ostream &err) : err(err) {}
    void ShowFileError(int messageId) override
    {
        err << strings::Text(messageId) << "\n";
    }

private:
    std::ostream &err;
};

int usage(std::ostream &err)
{
    err << kUsage;
    return 2;
}

} // namespace

int RunKestraCfg(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    StreamMessages messages(err);
    CameraSettings settings;
    try {
        if (!args.empty() && args[0] == "show") {
            const bool json = args.size() >= 2 && args[1] == "--json";
            // "show --json" alone names no file; it must not read one called "--json".
            if (args.size() != (json ? 3u : 2u))
                return usage(err);
            const std::filesystem::path file = platform::pathFromUtf8(args.back());
            if (!ReadSettingsFile(settings, file, messages))
                return 1;
            if (json) {
                out << SettingsToJson(settings).dump(2) << "\n";
            } else {
                if (!std::filesystem::exists(file))
                    out << args.back() << ": not found, showing factory settings\n\n";
                out << DescribeSettings(settings);
            }
            return 0;
        }
        if (!args.empty() && args[0] == "convert") {
            if (args.size() != 3)
                return usage(err);
            if (!ReadSettingsFile(settings, platform::pathFromUtf8(args[1]), messages))
                return 1;
            return WriteSettingsFile(settings, platform::pathFromUtf8(args[2]), messages) ? 0 : 1;
        }
        if (!args.empty() && args[0] == "factory") {
            if (args.size() != 2)
                return usage(err);
            settings.ResetAll();
            return WriteSettingsFile(settings, platform::pathFromUtf8(args[1]), messages) ? 0 : 1;
        }
    } catch (const MediumError &error) {
        err << strings::FileErrorMessage(error.cause(), platform::utf8FromPath(error.path()))
            << "\n";
        return 1;
    }
    return usage(err);
}
