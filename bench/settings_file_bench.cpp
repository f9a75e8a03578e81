// Median cost of reading and of writing a settings file on a memory file system, next to the
// bare system calls such a round trip needs, so that the program's own share shows.
#include "bench_timer.h"
#include "settings/settings_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

class NoMessages : public SettingsFileMessages
{
public:
    void ShowFileError(int messageId) override
    {
        std::fprintf(stderr, "settings file message %d\n", messageId);
        std::exit(1);
    }
};

void check(bool ok, const char *what)
{
    if (!ok) {
        std::perror(what);
        std::exit(1);
    }
}

// What any careful writer of 234 bytes must do: a new file, the bytes, the flush, the
// rename, and the flush of the folder that makes the rename last.
void writeByHand(const std::filesystem::path &folder, const std::uint8_t *bytes, std::size_t size)
{
    const std::string temporary = (folder / "hand.tmp").string();
    const std::string target = (folder / "hand.cfg").string();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    check(fd >= 0, "open");
    check(::write(fd, bytes, size) == static_cast<ssize_t>(size), "write");
    check(::fsync(fd) == 0, "fsync");
    check(::close(fd) == 0, "close");
    check(::rename(temporary.c_str(), target.c_str()) == 0, "rename");
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(dir >= 0, "open folder");
    check(::fsync(dir) == 0, "fsync folder");
    ::close(dir);
}

void readByHand(const std::filesystem::path &file, std::uint8_t *buffer, std::size_t size)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    check(fd >= 0, "open");
    check(::read(fd, buffer, size) == static_cast<ssize_t>(size), "read");
    ::close(fd);
}

} // namespace

int main()
{
    const std::filesystem::path folder = bench::memoryFolder("settings-bench");
    const std::filesystem::path file = folder / kSettingsFileName;
    constexpr int kSamples = 5000;

    CameraSettings settings;
    settings.ResetAll();
    settings.SetLabel("Benchmark");
    settings.cellular.email1 = PackEmailAddress("someone@example.com", false);
    NoMessages messages;
    check(WriteSettingsFile(settings, file, messages), "first write");

    std::printf("Settings file on %s (median of %d runs each)\n", folder.c_str(), kSamples);

    CameraSettings loaded;
    const double read = bench::medianMicroseconds(
        kSamples, [&] { check(ReadSettingsFile(loaded, file, messages), "read"); });
    const double write = bench::medianMicroseconds(
        kSamples, [&] { check(WriteSettingsFile(loaded, file, messages), "write"); });
    const double roundTrip = bench::medianMicroseconds(kSamples, [&] {
        check(ReadSettingsFile(loaded, file, messages), "read");
        check(WriteSettingsFile(loaded, file, messages), "write");
    });
    const double encode = bench::medianMicroseconds(kSamples, [&] {
        const auto bytes = EncodeSettingsFile(loaded);
        asm volatile("" : : "r"(bytes.data()) : "memory");
    });

    const auto bytes = EncodeSettingsFile(settings);
    std::array<std::uint8_t, kSettingsFileBytes> buffer{};
    const double handWrite = bench::medianMicroseconds(
        kSamples, [&] { writeByHand(folder, bytes.data(), bytes.size()); });
    const double handRead = bench::medianMicroseconds(
        kSamples, [&] { readByHand(folder / "hand.cfg", buffer.data(), buffer.size()); });
    const double handRoundTrip = bench::medianMicroseconds(kSamples, [&] {
        readByHand(folder / "hand.cfg", buffer.data(), buffer.size());
        writeByHand(folder, bytes.data(), bytes.size());
    });

    bench::report("ReadSettingsFile", read);
    bench::report("WriteSettingsFile", write);
    bench::report("read + write round trip", roundTrip);
    bench::report("encoding the 234 bytes alone", encode);
    bench::report("by hand: open, read, close", handRead);
    bench::report("by hand: open, write, fsync, close, rename, fsync dir", handWrite);
    bench::report("by hand: round trip (system calls only)", handRoundTrip);
    std::printf("  round trip / system calls alone: %.2fx\n", roundTrip / handRoundTrip);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
