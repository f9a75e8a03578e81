#include "kestra_cfg.h"

#include "command.h"
#include "resources/string_table.h"

#include <algorithm>

namespace {

// The usage line of the command that was being read, or of every command: what a script
// author needs to mend the call, not the whole help.
std::string usageOf(const CLI::App &app, const std::vector<CLI::App *> &subcommands)
{
    const auto formatter = std::dynamic_pointer_cast<CLI::Formatter>(app.get_formatter());
    const auto chosen = app.get_subcommands();
    std::string text;
    for (const CLI::App *subcommand : chosen.empty() ? subcommands : chosen) {
        std::string line =
            formatter->make_usage(subcommand, "kestra-cfg " + subcommand->get_name());
        // Every line after the first lines up under the first.
        if (!text.empty() && line.starts_with("Usage:"))
            line.replace(0, 6, "      ");
        text += line;
    }
    const std::string command = chosen.empty() ? "" : " " + chosen.front()->get_name();
    return text + "Run 'kestra-cfg" + command + " --help' for more information.\n";
}

} // namespace

int RunKestraCfg(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    CLI::App app("Shows, compares, converts and changes the settings files (Kestra.cfg) of "
                 "Velomar cameras, and writes them onto many cards.",
                 "kestra-cfg");
    app.set_version_flag("--version", std::string("kestra-cfg ") + KESTRA_CFG_VERSION);
    app.require_subcommand(1);
    // CLI11 reads "/name" as an option on Windows, where it is a path from the root of the
    // drive ("/data/in.cfg"). The commands inherit this when they are added.
    app.allow_windows_style_options(false);

    // Every command by name, in the order of the help. A run that names its command defines
    // only that one: setting up the parser is most of the tool's own start-up cost.
    static constexpr std::pair<std::string_view, std::unique_ptr<Command> (*)()> kCommands[] = {
        {"show", MakeShowCommand},       {"set", MakeSetCommand},
        {"diff", MakeDiffCommand},       {"cards", MakeCardsCommand},
        {"deploy", MakeDeployCommand},   {"convert", MakeConvertCommand},
        {"factory", MakeFactoryCommand},
    };
    const bool named = !args.empty() && std::any_of(std::begin(kCommands), std::end(kCommands),
                                                    [&args](const auto &entry) {
                                                        return entry.first == args.front();
                                                    });
    std::vector<std::unique_ptr<Command>> commands;
    std::vector<std::pair<CLI::App *, Command *>> defined;
    for (const auto &[name, make] : kCommands) {
        if (named && name != args.front())
            continue;
        commands.push_back(make());
        defined.emplace_back(commands.back()->define(app), commands.back().get());
    }
    // Set after the commands, which would take it over.
    app.footer("kestra-cfg COMMAND --help tells more about each command.\n"
               "Exit status: 0 done, 1 a file could not be read or written or a value was "
               "refused, 2 wrong usage.\n");

    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp &) {
        // The help of the command being read, or of the whole tool.
        out << app.help();
        return kExitDone;
    } catch (const CLI::CallForVersion &version) {
        out << version.what() << "\n";
        return kExitDone;
    } catch (const CLI::ParseError &error) {
        std::vector<CLI::App *> subcommands;
        for (const auto &entry : defined)
            subcommands.push_back(entry.first);
        err << "kestra-cfg: " << error.what() << "\n" << usageOf(app, subcommands);
        return kExitUsage;
    }

    const Io io{out, err};
    try {
        for (const auto &[subcommand, command] : defined) {
            if (subcommand->parsed())
                return command->run(io);
        }
    } catch (const MediumError &error) {
        err << strings::FileErrorMessage(error.cause(), platform::utf8FromPath(error.path()))
            << "\n";
        return kExitFailed;
    }
    return kExitUsage;
}
