// Prints what the Win32 volume source reports for every drive it offers, one line a drive:
//   ROOT <tab> removable|fixed <tab> FILE SYSTEM <tab> VOLUME LABEL
// with "-" in place of the last two when the drive reports no volume. The card tests compare
// these lines with the drives the Wine prefix maps.
#include "platform/card_volumes.h"
#include "platform/console.h"

#include <cstdio>

int main()
{
    const platform::Utf8Console console;
    const auto source = platform::CreateSystemVolumeSource();
    for (const std::string &root : source->candidateDrives()) {
        const bool removable = source->isRemovable(root);
        const auto volume = source->volumeInformation(root);
        std::printf("%s\t%s\t%s\t%s\n", root.c_str(), removable ? "removable" : "fixed",
                    volume ? volume->fileSystemName.c_str() : "-",
                    volume ? volume->volumeName.c_str() : "-");
    }
    return 0;
}
