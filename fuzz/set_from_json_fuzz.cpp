// Feeds arbitrary text to `kestra-cfg set FILE --from VALUES.json`, the whole command as a
// script runs it, over a factory settings file. The command line is right, so the run either
// changes the file or refuses with a message and leaves it as it was; and what `show --json`
// then prints of the file, `set --from` takes back without changing a byte.
#include "kestra_cfg.h"
#include "work_folder.h"

#include "settings/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

void writeFile(const std::filesystem::path &path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        std::abort();
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Run
{
    int exitCode;
    std::string out;
    std::string err;
};

Run run(const std::vector<std::string> &arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = RunKestraCfg(arguments, out, err);
    return {exitCode, out.str(), err.str()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string factory = [] {
        CameraSettings settings;
        settings.ResetAll();
        const auto bytes = EncodeSettingsFile(settings);
        return std::string(bytes.begin(), bytes.end());
    }();
    const std::filesystem::path settings = FuzzWorkFolder() / "Kestra.cfg";
    const std::filesystem::path values = FuzzWorkFolder() / "values.json";
    writeFile(settings, factory);
    writeFile(values, std::string_view(reinterpret_cast<const char *>(data), size));

    const Run set = run({"set", settings.string(), "--from", values.string()});
    if (!set.out.empty())
        std::abort();
    if (set.exitCode != 0) {
        if (set.exitCode != 1 || set.err.empty() || readFile(settings) != factory)
            std::abort();
        return 0;
    }
    if (!set.err.empty())
        std::abort();

    const std::string changed = readFile(settings);
    const Run show = run({"show", "--json", settings.string()});
    if (show.exitCode != 0)
        std::abort();
    writeFile(values, show.out);
    const Run back = run({"set", settings.string(), "--from", values.string()});
    if (back.exitCode != 0 || readFile(settings) != changed)
        std::abort();
    return 0;
}
