#pragma once

// The command-line and local-path rules of start-up, as plain functions.

#include "framework/app_state.h"

#include <string>
#include <string_view>

struct CommandLineOptions
{
    bool readOnly = false;
    OperatingMode operatingMode = OperatingMode::PRO;
};

// The options are found as substrings anywhere in the upper-cased command line (the
// arguments after the program's name, joined by spaces); the first mode option in the order
// REC, KESTRA, PRO, SECURITY decides. Other text is ignored.
CommandLineOptions ParseCommandLine(std::string_view commandLine);

// The executable's file name without folder and extension ("Editor" for C:\Tools\Editor.exe).
std::string ExecutableBaseName(std::string_view modulePath);

// The program's path cut before the first occurrence of its base name, followed by
// "Kestra.cfg"; the bare "Kestra.cfg" when the base name does not occur at all.
std::string LocalSettingsPath(std::string_view modulePath, std::string_view baseName);
