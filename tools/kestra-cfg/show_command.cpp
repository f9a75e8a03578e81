// show: every named setting of a settings file, for people or as JSON.
#include "command.h"
#include "report.h"

namespace {

class ShowCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *show = parent.add_subcommand(
            "show", "Print every named setting of FILE, grouped like the editor's tabs.");
        show->add_flag("--json", json,
                       "Print the record as JSON instead: the sections \"core\", \"dual\" and "
                       "\"cellular\" field by field, and \"settings\" with every named setting");
        addFileArgument(show, "FILE", file, "The settings file (it must exist)");
        return show;
    }

    int run(const Io &io) override
    {
        CameraSettings settings;
        if (!ReadExistingSettings(file, settings, io))
            return kExitFailed;
        if (json)
            io.out << SettingsToJson(settings).dump(2) << "\n";
        else
            io.out << DescribeSettings(settings);
        WarnOfSettings(settings, io);
        return kExitDone;
    }

private:
    bool json = false;
    std::string file;
};

} // namespace

std::unique_ptr<Command> MakeShowCommand()
{
    return std::make_unique<ShowCommand>();
}
