#pragma once

// The program's message texts, keyed by their string-table ids. Plain C++ so that the
// command-line tool can print them; the editor passes each through translation with the
// context "StringTable".

#include "platform/native_file.h"

#include <string>
#include <string_view>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace strings {

inline constexpr const char *kContext = "StringTable";

struct Entry
{
    int id;
    const char *text;
};

// clang-format off
inline constexpr Entry kTable[] = {
    {102, QT_TRANSLATE_NOOP("StringTable", "Velomar - Professional Settings")},
    {104, QT_TRANSLATE_NOOP("StringTable", "Information")},
    {108, QT_TRANSLATE_NOOP("StringTable", "An unexpected error occured while reading the configuration file.")},
    {109, QT_TRANSLATE_NOOP("StringTable", "Error saving configuration file.")},
    {110, QT_TRANSLATE_NOOP("StringTable", "Using the factory settings will erase any changes you have made.  Do you want to continue?")},
    {111, QT_TRANSLATE_NOOP("StringTable", "Setting the date and time is only necessary if the camera's date and time are incorrect.\n\nDo you want to continue?")},
    {112, QT_TRANSLATE_NOOP("StringTable", "Change Date/Time...")},
    {113, QT_TRANSLATE_NOOP("StringTable", "Use Factory")},
    {114, QT_TRANSLATE_NOOP("StringTable", "Your new settings have been saved on the removable card.  To use these settings\nyou must insert this card into the camera and turn it on.")},
    {115, QT_TRANSLATE_NOOP("StringTable", "You have made changes to the settings.  Do you want to save your changes?")},
    {116, QT_TRANSLATE_NOOP("StringTable", "Both internal and external triggers must be disabled when using a time lapse interval less than five seconds.\n\nDo you want to disable the triggers?")},
    {117, QT_TRANSLATE_NOOP("StringTable", "To enable triggers you must first change the time lapse interval to five or more seconds.")},
    {118, QT_TRANSLATE_NOOP("StringTable", "To ensure the camera's date and time are set correctly you must insert this card into\nthe camera and turn it on at the following time.\n\n%s\n\nDo you want to continue?")},
    {119, QT_TRANSLATE_NOOP("StringTable", "If you use these settings the camera will not take pictures.  Do you want to continue?")},
    {120, QT_TRANSLATE_NOOP("StringTable", "Select a trigger and/or time lapse before continuing.")},
    {121, QT_TRANSLATE_NOOP("StringTable", "One or more periods must be set to \"camera on\" before continuing.")},
    {123, QT_TRANSLATE_NOOP("StringTable", "This option will change the trigger schedule so the camera is always armed.  Do you want to continue?")},
    {124, QT_TRANSLATE_NOOP("StringTable", "Trigger Schedule")},
    {125, QT_TRANSLATE_NOOP("StringTable", "Time Lapse Schedule")},
    {126, QT_TRANSLATE_NOOP("StringTable", "If you use these BurstClip settings the option to take multiple pics during Time Lapse will be disabled.  Do you want to continue?")},
};
// clang-format on

// The entries by name, for the windows that show them.
enum MessageId : int
{
    kProgramName = 102,
    kInformation = 104,
    kShortIntervalQuestion = 116,
    kTriggersNeedLongerInterval = 117,
    kSwitchOnQuestion = 118,
    kNoPeriodOn = 121,
    kAlwaysArmedQuestion = 123,
    kTriggerScheduleCaption = 124,
    kTimeLapseScheduleCaption = 125,
    kBurstLimitQuestion = 126,
};

// The framework's standard data-exchange messages, %1 and %2 standing for the bounds or the
// length. Translated with the context "DataExchange"; kestra-cfg prints them for the values it
// refuses, so that a refusal reads as the tab's.
inline constexpr const char *kEnterInteger =
    QT_TRANSLATE_NOOP("DataExchange", "Please enter an integer.");
inline constexpr const char *kEnterNumber =
    QT_TRANSLATE_NOOP("DataExchange", "Please enter a number.");
inline constexpr const char *kEnterIntegerBetween =
    QT_TRANSLATE_NOOP("DataExchange", "Please enter an integer between %1 and %2.");
inline constexpr const char *kEnterNumberBetween =
    QT_TRANSLATE_NOOP("DataExchange", "Please enter a number between %1 and %2.");
inline constexpr const char *kEnterNoMoreCharacters =
    QT_TRANSLATE_NOOP("DataExchange", "Please enter no more than %1 characters.");

// The Other tab's start-delay list: the entry at index i names the stored value i, which the
// camera interprets. Translated with the context "StartDelay".
inline constexpr const char *kStartDelays[] = {
    QT_TRANSLATE_NOOP("StartDelay", "start taking pictures immediately"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 1 day before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 2 days before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 3 days before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 4 days before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 5 days before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 6 days before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 1 week before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 2 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 3 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 4 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 6 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 8 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 12 weeks before taking pictures"),
    QT_TRANSLATE_NOOP("StartDelay", "wait 42 weeks before taking pictures"),
};

// The untranslated text of a string-table entry; empty for an unknown id.
constexpr std::string_view Text(int id)
{
    for (const Entry &entry : kTable) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

// The file-error message for a failure of the medium, with %1 standing for the file's name.
constexpr const char *FileErrorText(platform::FileErrorCause cause)
{
    using platform::FileErrorCause;
    switch (cause) {
    case FileErrorCause::DiskFull:
        return QT_TRANSLATE_NOOP("FileError", "Destination disk drive is full.");
    case FileErrorCause::IoError:
        return QT_TRANSLATE_NOOP("FileError",
                                 "A hardware I/O error was reported while accessing %1.");
    case FileErrorCause::AccessDenied:
        return QT_TRANSLATE_NOOP("FileError", "Access to %1 was denied.");
    case FileErrorCause::ReadOnlyMedium:
        return QT_TRANSLATE_NOOP("FileError", "%1 is on a write-protected medium.");
    case FileErrorCause::NotFound:
        return QT_TRANSLATE_NOOP("FileError", "%1 was not found.");
    case FileErrorCause::None:
    case FileErrorCause::Other:
        break;
    }
    return QT_TRANSLATE_NOOP("FileError", "An unknown error occurred while accessing %1.");
}

// The file-error text with the file's name put in (for the command-line tool).
inline std::string FileErrorMessage(platform::FileErrorCause cause, std::string_view fileName)
{
    std::string text = FileErrorText(cause);
    if (const auto at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, fileName);
    return text;
}

} // namespace strings
