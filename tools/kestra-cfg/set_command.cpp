// set: named settings into a settings file, all or nothing.
#include "command.h"

#include "settings/named_setting_labels.h"

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

// Every name with the values it takes, grouped like the tabs, for the command's help.
std::string vocabularyHelp()
{
    std::ostringstream text;
    text << "Settings, by tab:\n";
    std::string_view tab;
    for (const NamedSetting &setting : NamedSettings()) {
        if (setting.tab != tab) {
            text << "  " << setting.tab << "\n";
            tab = setting.tab;
        }
        const std::string name(setting.name);
        text << "    " << name << std::string(name.size() < 22 ? 22 - name.size() : 1, ' ')
             << setting.syntax << "\n";
    }
    text << "\nForms a value may take besides those above: words in any case (ON, Never,\n"
            "Aggressive, 2 Weeks, Sun,Sat); yes | no wherever on | off is listed, and on | off\n"
            "wherever yes | no is; a time-lapse unit with or without its final s (1 hours,\n"
            "10 minute). Labels, phone numbers and e-mail addresses are taken as typed. In\n"
            "SETTINGS.json a value may also be a JSON number, or true or false for on or off.\n"
            "Every schedule takes never and always, as a file may hold them; a time lapse that\n"
            "is on with no \"Camera on\" period in its schedule is written with a warning.\n"
            "\nValues are applied in the order given, those of --from first. quickset applies its\n"
            "preset as the Triggers tab does (the trigger schedules become always armed); a\n"
            "later trigger value then shows as advanced. time-lapse=off also turns\n"
            "time-lapse-burst off. If any value is refused, FILE is left as it was.\n"
            "Exit status: 0 written, 1 a value was refused or a file could not be read or\n"
            "written, 2 wrong usage.\n";
    return text.str();
}

// The "settings" object of `show --json` (or such an object alone) as values in its order.
bool readSettingsJson(const std::string &file, std::vector<NamedValue> &values, const Io &io)
{
    const std::optional<std::string> text = ReadInputFile(file, io);
    if (!text)
        return false;
    nlohmann::ordered_json document;
    try {
        document = nlohmann::ordered_json::parse(*text);
    } catch (const nlohmann::json::exception &error) {
        // A syntax error, or a number beyond what a double holds ("1e999").
        io.err << file << ": not valid JSON: " << error.what() << "\n";
        return false;
    }
    const nlohmann::ordered_json *settings = &document;
    if (document.is_object() && document.contains("settings"))
        settings = &document["settings"];
    if (!settings->is_object()) {
        io.err << file << ": holds no object of settings\n";
        return false;
    }
    for (const auto &[name, value] : settings->items()) {
        std::string text;
        if (value.is_string())
            text = value.get<std::string>();
        else if (value.is_boolean())
            text = value.get<bool>() ? "on" : "off";
        else if (value.is_number())
            text = value.dump();
        else {
            io.err << name << ": Please give the value as text, a number or true or false.\n";
            return false;
        }
        values.push_back({name, text});
    }
    return true;
}

class SetCommand : public Command
{
public:
    CLI::App *define(CLI::App &parent) override
    {
        CLI::App *set = parent.add_subcommand(
            "set", "Change named settings of FILE, checked as the editor's tabs check them.");
        addFileArgument(set, "FILE", file, "The settings file to change (it must exist)");
        set->add_option("NAME=VALUE", assignments, "A setting and its new value")
            ->type_name("")
            ->check(CLI::Validator(
                [](std::string &text) {
                    return text.find('=') == std::string::npos ? "expected NAME=VALUE, not " + text
                                                               : std::string();
                },
                ""));
        set->add_flag("--json", json,
                      "Print what was written as JSON: \"file\", and \"changed\" with each "
                      "setting whose value changed, its \"old\" and \"new\" value");
        set->add_option("--from", from,
                        "Take the values of the \"settings\" object of SETTINGS.json, as "
                        "'show --json' writes it")
            ->option_text("SETTINGS.json");
        // Made only when the help is shown: every run of set would pay for it otherwise.
        set->footer(std::function<std::string()>(vocabularyHelp));
        set->callback([this] {
            if (assignments.empty() && from.empty())
                throw CLI::RequiredError("NAME=VALUE or --from");
        });
        return set;
    }

    int run(const Io &io) override
    {
        CameraSettings settings;
        if (!ReadExistingSettings(file, settings, io))
            return kExitFailed;
        std::vector<NamedValue> values;
        if (!from.empty() && !readSettingsJson(from, values, io))
            return kExitFailed;
        for (const std::string &assignment : assignments) {
            const auto equals = assignment.find('=');
            values.push_back({assignment.substr(0, equals), assignment.substr(equals + 1)});
        }
        const CameraSettings before = settings;
        if (auto refusal = ApplyNamedSettings(settings, values)) {
            io.err << refusal->text() << "\n";
            return kExitFailed;
        }
        StreamMessages messages(io.err);
        if (!WriteSettingsFile(settings, platform::pathFromUtf8(file), messages))
            return kExitFailed;
        if (json)
            io.out << changesJson(NamedSettingDifferences(before, settings))
                          .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                   << "\n";
        WarnOfSettings(settings, io);
        return kExitDone;
    }

private:
    // {"file": FILE, "changed": {NAME: {"old": VALUE, "new": VALUE}, ...}} in the settings' order.
    nlohmann::ordered_json changesJson(const std::vector<SettingDifference> &differences) const
    {
        nlohmann::ordered_json changed = nlohmann::ordered_json::object();
        for (const SettingDifference &difference : differences)
            changed[std::string(difference.setting->name)] = {{"old", difference.first},
                                                              {"new", difference.second}};
        return {{"file", file}, {"changed", changed}};
    }

    std::string file;
    std::vector<std::string> assignments;
    std::string from;
    bool json = false;
};

} // namespace

std::unique_ptr<Command> MakeSetCommand()
{
    return std::make_unique<SetCommand>();
}
