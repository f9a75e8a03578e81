// diff: the named settings in which two settings files differ.
#include "command.h"
#include "report.h"

#include "settings/named_setting_labels.h"

namespace {

class DiffCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *diff = parent.add_subcommand(
            "diff", "Print the named settings in which A and B differ, with both values.");
        diff->add_flag("--json", json,
                       "Print one JSON object instead: \"a\" and \"b\" (the files), \"settings\" "
                       "with each setting that differs and its value in \"a\" and in \"b\", "
                       "\"switch-on\" likewise when it differs, and \"other-bits-differ\"");
        addFileArgument(diff, "A", fileA, "The first settings file (it must exist)");
        addFileArgument(diff, "B", fileB, "The second settings file (it must exist)");
        diff->footer(
            "Each difference is a line -NAME=VALUE for A and +NAME=VALUE for B.\n"
            "Exit status: 0 the files hold the same settings, 1 they differ, 2 trouble.\n");
        return diff;
    }

    int run(const Io &io) override
    {
        // Both files are read before anything is printed: trouble with B means no verdict. With
        // two files read, a message names the one it is about.
        CameraSettings a, b;
        if (!ReadExistingSettings(fileA, a, io, FileNamed::InMessages) ||
            !ReadExistingSettings(fileB, b, io, FileNamed::InMessages))
            return kExitUsage;
        const std::vector<SettingDifference> differing = NamedSettingDifferences(a, b);
        const std::string switchOnA = SwitchOnText(a);
        const std::string switchOnB = SwitchOnText(b);
        const bool switchOnDiffers = switchOnA != switchOnB;
        // What remains are bits no tab shows; they still reach the camera.
        const bool otherBitsDiffer =
            differing.empty() && !switchOnDiffers && EncodeSettingsFile(a) != EncodeSettingsFile(b);
        const bool same = differing.empty() && !switchOnDiffers && !otherBitsDiffer;

        if (json) {
            nlohmann::ordered_json settings = nlohmann::ordered_json::object();
            for (const SettingDifference &difference : differing)
                settings[std::string(difference.setting->name)] = {{"a", difference.first},
                                                                   {"b", difference.second}};
            nlohmann::ordered_json report = {{"a", fileA}, {"b", fileB}, {"settings", settings}};
            if (switchOnDiffers)
                report["switch-on"] = {{"a", switchOnA}, {"b", switchOnB}};
            report["other-bits-differ"] = otherBitsDiffer;
            io.out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
            return same ? kExitDone : kExitFailed;
        }
        if (same)
            return kExitDone;
        io.out << "--- " << fileA << "\n+++ " << fileB << "\n";
        for (const SettingDifference &difference : differing) {
            io.out << "-" << difference.setting->name << "=" << PrintableText(difference.first)
                   << "\n";
            io.out << "+" << difference.setting->name << "=" << PrintableText(difference.second)
                   << "\n";
        }
        if (switchOnDiffers) {
            io.out << "-Switch-on date and time: " << switchOnA << "\n";
            io.out << "+Switch-on date and time: " << switchOnB << "\n";
        }
        if (otherBitsDiffer)
            io.out << "Stored bits that no tab shows differ.\n";
        return kExitFailed;
    }

private:
    bool json = false;
    std::string fileA;
    std::string fileB;
};

} // namespace

std::unique_ptr<Command> MakeDiffCommand()
{
    return std::make_unique<DiffCommand>();
}
