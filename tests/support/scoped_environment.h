#pragma once

#include <QByteArray>

// Sets an environment variable of this process, which its child processes inherit, and puts
// back what was there when it goes. A null value unsets the variable.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : name(name), previous(qgetenv(name)), wasSet(qEnvironmentVariableIsSet(name))
    {
        set(value, !value.isNull());
    }
    ~ScopedEnvironment() { set(previous, wasSet); }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    void set(const QByteArray &value, bool present)
    {
        if (present)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    const char *name;
    QByteArray previous;
    bool wasSet;
};
