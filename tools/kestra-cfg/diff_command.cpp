// diff: the named settings in which two settings files differ.
#include "command.h"
#include "report.h"

#include "settings/named_settings.h"

namespace {

class DiffCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *diff = parent.add_subcommand(
            "diff", "Print the named settings in which A and B differ, with both values.");
        addFileArgument(diff, "A", fileA, "The first settings file (it must exist)");
        addFileArgument(diff, "B", fileB, "The second settings file (it must exist)");
        diff->footer(
            "Each difference is a line -NAME=VALUE for A and +NAME=VALUE for B.\n"
            "Exit status: 0 the files hold the same settings, 1 they differ, 2 trouble.\n");
        return diff;
    }

    int run(const Io &io) override
    {
        // Both files are read before anything is printed: trouble with B means no verdict.
        CameraSettings a, b;
        if (!ReadExistingSettings(fileA, a, io) || !ReadExistingSettings(fileB, b, io))
            return kExitUsage;
        std::string lines;
        for (const SettingChange &change : NamedSettingChanges(a, b)) {
            lines += "-" + change.name + "=" + PrintableText(change.before) + "\n";
            lines += "+" + change.name + "=" + PrintableText(change.after) + "\n";
        }
        if (SwitchOnText(a) != SwitchOnText(b)) {
            lines += "-Switch-on date and time: " + SwitchOnText(a) + "\n";
            lines += "+Switch-on date and time: " + SwitchOnText(b) + "\n";
        }
        // What remains are bits no tab shows; they still reach the camera.
        if (lines.empty() && EncodeSettingsFile(a) != EncodeSettingsFile(b))
            lines += "Stored bits that no tab shows differ.\n";
        if (lines.empty())
            return kExitDone;
        io.out << "--- " << fileA << "\n+++ " << fileB << "\n" << lines;
        return kExitFailed;
    }

private:
    std::string fileA;
    std::string fileB;
};

} // namespace

std::unique_ptr<Command> MakeDiffCommand()
{
    return std::make_unique<DiffCommand>();
}
