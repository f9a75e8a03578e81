// convert: a settings file in any of the three layouts, written in the current one.
#include "command.h"

namespace {

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

} // namespace

std::unique_ptr<Command> MakeConvertCommand()
{
    return std::make_unique<ConvertCommand>();
}
