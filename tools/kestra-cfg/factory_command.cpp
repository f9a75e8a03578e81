// factory: a settings file of the factory settings.
#include "command.h"

namespace {

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

std::unique_ptr<Command> MakeFactoryCommand()
{
    return std::make_unique<FactoryCommand>();
}
