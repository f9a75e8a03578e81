#include "platform/sd_bus.h"

#include <cstdint>

namespace platform::sdbus {

namespace {

std::uint64_t microseconds(std::chrono::milliseconds limit)
{
    return static_cast<std::uint64_t>(std::chrono::microseconds(limit).count());
}

} // namespace

Bus openSystemBus(std::chrono::milliseconds limit)
{
    sd_bus *bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return nullptr;
    sd_bus_set_method_call_timeout(bus, microseconds(limit));
    return Bus(bus);
}

int readText(sd_bus_message *message, char type, std::string &out)
{
    const char signature[] = {type, '\0'};
    return readVariant(message, signature, [&] {
        const char *text = nullptr;
        const int r = sd_bus_message_read_basic(message, type, &text);
        if (r > 0 && text)
            out = text;
        return r;
    });
}

int readFlag(sd_bus_message *message, bool &out)
{
    return readVariant(message, "b", [&] {
        int value = 0;
        const int r = sd_bus_message_read_basic(message, SD_BUS_TYPE_BOOLEAN, &value);
        if (r > 0)
            out = value != 0;
        return r;
    });
}

int readByteString(sd_bus_message *message, std::string &out)
{
    const void *bytes = nullptr;
    std::size_t size = 0;
    const int r = sd_bus_message_read_array(message, SD_BUS_TYPE_BYTE, &bytes, &size);
    if (r < 0)
        return r;
    out.clear();
    if (bytes && size > 0)
        out.assign(static_cast<const char *>(bytes), size);
    if (const auto end = out.find('\0'); end != std::string::npos)
        out.resize(end);
    return r;
}

int readPaths(sd_bus_message *message, std::vector<std::string> &out)
{
    return readVariant(message, "aay", [&] {
        int r = sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, "ay");
        if (r < 0)
            return r;
        while ((r = sd_bus_message_at_end(message, 0)) == 0) {
            std::string path;
            if ((r = readByteString(message, path)) < 0)
                return r;
            out.push_back(path);
        }
        return r < 0 ? r : sd_bus_message_exit_container(message);
    });
}

} // namespace platform::sdbus
