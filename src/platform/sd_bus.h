#pragma once

// Owners and readers over sd-bus, libsystemd's D-Bus client: a plain C API that hands out
// references to free and reports errors as negative errno values. Linux only.

#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace platform::sdbus {

struct CloseBus
{
    void operator()(sd_bus *bus) const { sd_bus_flush_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, CloseBus>;

struct UnrefMessage
{
    void operator()(sd_bus_message *message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, UnrefMessage>;

struct UnrefSlot
{
    void operator()(sd_bus_slot *slot) const { sd_bus_slot_unref(slot); }
};
using Slot = std::unique_ptr<sd_bus_slot, UnrefSlot>;

// An sd_bus_error frees what it holds only when asked to.
class BusError
{
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error); }
    BusError(const BusError &) = delete;
    BusError &operator=(const BusError &) = delete;

    sd_bus_error *get() { return &error; }
    std::string message(int code) const
    {
        return error.message ? error.message : std::strerror(code < 0 ? -code : code);
    }

private:
    sd_bus_error error{nullptr, nullptr, 0};
};

// The system bus ($DBUS_SYSTEM_BUS_ADDRESS where set), whose method calls give up after
// `limit`; nullptr where it cannot be opened.
Bus openSystemBus(std::chrono::milliseconds limit);

// The readers below return what sd-bus returns: negative for an error, as the calls they
// make do, so that a caller can chain them.

// Reads a property's value through `read` when its variant holds `signature`, and skips it
// otherwise: a value of another type is as good as a missing one.
template <typename Read> int readVariant(sd_bus_message *message, const char *signature, Read read)
{
    char type = 0;
    const char *contents = nullptr;
    int r = sd_bus_message_peek_type(message, &type, &contents);
    if (r < 0)
        return r;
    if (type != SD_BUS_TYPE_VARIANT || !contents || std::strcmp(contents, signature) != 0)
        return sd_bus_message_skip(message, "v");
    if ((r = sd_bus_message_enter_container(message, SD_BUS_TYPE_VARIANT, signature)) < 0)
        return r;
    if ((r = read()) < 0)
        return r;
    return sd_bus_message_exit_container(message);
}

// A variant holding text of basic `type` (string or object path).
int readText(sd_bus_message *message, char type, std::string &out);
// A variant holding a boolean.
int readFlag(sd_bus_message *message, bool &out);
// UDisks2 sends paths as byte arrays that end in a NUL.
int readByteString(sd_bus_message *message, std::string &out);
// A variant holding an array of such byte strings.
int readPaths(sd_bus_message *message, std::vector<std::string> &out);

// Calls `each` inside every entry of a dictionary whose entries have signature `entry`.
template <typename Each> int forEachEntry(sd_bus_message *message, const char *entry, Each each)
{
    const std::string array = std::string("{") + entry + "}";
    int r = sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, array.c_str());
    if (r <= 0)
        return r < 0 ? r : -EBADMSG;
    while ((r = sd_bus_message_enter_container(message, SD_BUS_TYPE_DICT_ENTRY, entry)) > 0) {
        if ((r = each()) < 0 || (r = sd_bus_message_exit_container(message)) < 0)
            return r;
    }
    return r < 0 ? r : sd_bus_message_exit_container(message);
}

} // namespace platform::sdbus
