// The system calls a safe write of one settings file onto many cards cannot do without, for the
// card deploy benchmark to compare with: read the file, then for each card folder make VELOMAR,
// write the bytes into a temporary file, fsync it, rename it over VELOMAR/Kestra.cfg, fsync the
// folder, and read the file back.
// write_cards_by_hand SETTINGS CARD...
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    std::vector<char> bytes(4096);
    const int in = ::open(argv[1], O_RDONLY);
    const ssize_t size = in < 0 ? -1 : ::read(in, bytes.data(), bytes.size());
    if (size < 0)
        return 1;
    ::close(in);
    std::vector<char> back(std::size_t(size) + 1);
    for (int i = 2; i < argc; ++i) {
        const std::string folder = std::string(argv[i]) + "/VELOMAR";
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
            return 1;
        const std::string temporary = folder + "/Kestra.cfg.tmp";
        const std::string file = folder + "/Kestra.cfg";
        const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || ::write(out, bytes.data(), std::size_t(size)) != size || ::fsync(out) != 0 ||
            ::close(out) != 0 || ::rename(temporary.c_str(), file.c_str()) != 0)
            return 1;
        const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (directory < 0 || ::fsync(directory) != 0 || ::close(directory) != 0)
            return 1;
        const int reread = ::open(file.c_str(), O_RDONLY);
        const ssize_t got = reread < 0 ? -1 : ::read(reread, back.data(), back.size());
        if (got != size || ::close(reread) != 0 ||
            std::memcmp(back.data(), bytes.data(), std::size_t(size)) != 0)
            return 1;
    }
    return 0;
}
