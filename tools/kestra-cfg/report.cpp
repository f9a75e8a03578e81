#include "report.h"

#include "settings/named_settings.h"
#include "settings/section_fields.h"

#include <cstdio>
#include <type_traits>

namespace {

nlohmann::ordered_json destinationJson(const Destination &destination, int kind)
{
    return {{"text", Latin1ToUtf8(destination.text)}, {"bcc", destination.bcc}, {"kind", kind}};
}

// The section's shown fields by their names, in file order.
template <class Section> nlohmann::ordered_json sectionJson(const Section &section)
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    visitFields(section, [&json](const auto &field, const auto &value) {
        constexpr JsonForm form = std::remove_cvref_t<decltype(field)>::form;
        const std::string name(field.name);
        if constexpr (form == JsonForm::Number)
            json[name] = value;
        else if constexpr (form == JsonForm::ScheduleWords)
            json[name] = value.words;
        else if constexpr (form == JsonForm::Text)
            json[name] = Latin1ToUtf8(PaddedText(value));
        else if constexpr (form == JsonForm::PhoneNumber)
            json[name] = destinationJson(UnpackPhoneNumber(value), PhoneNumberKind(value));
        else if constexpr (form == JsonForm::EmailAddress)
            json[name] = destinationJson(UnpackEmailAddress(value), EmailAddressKind(value));
        else
            static_assert(form == JsonForm::Hidden, "a JSON form without a writer");
    });
    return json;
}

} // namespace

std::string SwitchOnText(const CameraSettings &s)
{
    if (s.core.loadTime == 0 && s.core.loadDate == 0)
        return "not set";
    int hour = 0, minute = 0, halfSeconds = 0, month = 0, day = 0, year = 0;
    s.GetLoadTime(&hour, &minute, &halfSeconds);
    s.GetLoadDate(&month, &day, &year);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + year, month, day, hour,
                  minute, 2 * halfSeconds);
    return text;
}

std::string DescribeSettings(const CameraSettings &s)
{
    std::string text;
    std::string_view tab;
    const std::vector<NamedValue> values = NamedSettingValues(s);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const NamedSetting &setting = NamedSettings()[i];
        if (setting.tab != tab) {
            text += (tab.empty() ? "" : "\n") + std::string(setting.tab) + "\n";
            tab = setting.tab;
        }
        text += "  " + values[i].name + "=" + PrintableText(values[i].value) + "\n";
    }
    return text + "\nSwitch-on date and time: " + SwitchOnText(s) + "\n";
}

std::string RunAccount(std::size_t cards, const std::vector<std::string> &failed,
                       bool rehearsal)
{
    const std::string verb = rehearsal ? "would be written" : "written";
    const std::string total = std::to_string(cards);
    if (failed.empty())
        return total + " of " + total + (cards == 1 ? " card " : " cards ") + verb;
    std::string line = std::to_string(cards - failed.size()) + " of " + total + " " + verb + ", " +
                       std::to_string(failed.size()) + (rehearsal ? " would fail: " : " failed: ");
    for (std::size_t i = 0; i < failed.size(); ++i)
        line += (i ? ", " : "") + failed[i];
    return line;
}

nlohmann::ordered_json SettingsToJson(const CameraSettings &s)
{
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    for (const NamedValue &value : NamedSettingValues(s))
        settings[value.name] = value.value;
    return {{"core", sectionJson(s.core)},
            {"dual", sectionJson(s.dual)},
            {"cellular", sectionJson(s.cellular)},
            {"settings", settings}};
}
