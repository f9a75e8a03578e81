// show, convert and factory: one settings file in, one view or file out.
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
        return kExitDone;
    }

private:
    bool json = false;
    std::string file;
};

class ConvertCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *convert = parent.add_subcommand(
            "convert", "Read IN in any of the three file layouts and write it to OUT in the "
                       "current one.");
        addFileArgument(convert, "IN", in, "The settings file to read (it must exist)");
        addFileArgument(convert, "OUT", out, "The file to write; replaced only once complete");
        return convert;
    }

    int run(const Io &io) override
    {
        CameraSettings settings;
        if (!ReadExistingSettings(in, settings, io))
            return kExitFailed;
        StreamMessages messages(io.err);
        return WriteSettingsFile(settings, platform::pathFromUtf8(out), messages) ? kExitDone
                                                                                  : kExitFailed;
    }

private:
    std::string in;
    std::string out;
};

class FactoryCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *factory = parent.add_subcommand("factory", "Write the factory settings to OUT.");
        addFileArgument(factory, "OUT", out, "The file to write; replaced only once complete");
        return factory;
    }

    int run(const Io &io) override
    {
        CameraSettings settings;
        settings.ResetAll();
        StreamMessages messages(io.err);
        return WriteSettingsFile(settings, platform::pathFromUtf8(out), messages) ? kExitDone
                                                                                  : kExitFailed;
    }

private:
    std::string out;
};

} // namespace

std::unique_ptr<Command> MakeShowCommand()
{
    return std::make_unique<ShowCommand>();
}

std::unique_ptr<Command> MakeConvertCommand()
{
    return std::make_unique<ConvertCommand>();
}

std::unique_ptr<Command> MakeFactoryCommand()
{
    return std::make_unique<FactoryCommand>();
}
