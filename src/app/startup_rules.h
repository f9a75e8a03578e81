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

// The program's path cut before its own file name, followed by "Kestra.cfg", so that the copy
// lies in the program's folder: the cut is at the last occurrence of the base name that begins
// a file or folder name, never at a folder named like the program above it. The bare
// "Kestra.cfg" when no name in the path begins with the base name.
std::string LocalSettingsPath(std::string_view modulePath, std::string_view baseName);
