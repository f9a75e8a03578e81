#pragma once

#include "platform/utf8_path.h"
#include "settings/settings_file.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Exit codes, as scripts expect them.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Io
{
    std::ostream &out;
    std::ostream &err;
};

// One subcommand of kestra-cfg. `define` adds it to the parser with its own arguments, options
// and --help, binding them to the command's members; `run` does the work once the command
// line has been read and returns the exit code.
class Command
{
public:
    virtual ~Command() = default;
    virtual CLI::App *define(CLI::App &parent) = 0;
    virtual int run(const Io &io) = 0;
};

// A file name the command cannot do without, shown in --help as NAME alone.
inline CLI::Option *addFileArgument(CLI::App *command, const std::string &name, std::string &file,
                                    const std::string &help)
{
    return command->add_option(name, file, help)->required()->type_name("");
}

std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeConvertCommand();
std::unique_ptr<Command> MakeFactoryCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeDiffCommand();
std::unique_ptr<Command> MakeCardsCommand();
std::unique_ptr<Command> MakeDeployCommand();

// The settings-file messages 108 and 109 on the error stream.
class StreamMessages : public SettingsFileMessages
{
public:
    // `prefix` comes before each message, such as "FILE: ".
    explicit StreamMessages(std::ostream &err, std::string prefix = {})
        : err(err), prefix(std::move(prefix))
    {}
    void ShowFileError(int messageId) override;

private:
    std::ostream &err;
    std::string prefix;
};

// Reads a settings file that must exist: a missing one is "FILE: not found", never the factory
// settings, so that a mistyped name cannot turn into an overwrite. An unreadable one shows 108.
// File names are UTF-8 text as the command line gave them.
// Where a command reads more than one file, a message about one names it: "FILE: message".
enum class FileNamed
{
    OnlyWhenMissing,
    InMessages,
};
bool ReadExistingSettings(const std::string &file, CameraSettings &settings, const Io &io,
                          FileNamed named = FileNamed::OnlyWhenMissing);

// What a record holds that the camera will run, but its owner may not mean: a time lapse whose
// schedule has no "Camera on" period. One line each on the error stream; the exit status stays.
void WarnOfSettings(const CameraSettings &settings, const Io &io);

// The whole of a text file the command line names (a label map, values as JSON), or nullopt
// after "FILE: not found" or "FILE: cannot be read".
std::optional<std::string> ReadInputFile(const std::string &file, const Io &io);
