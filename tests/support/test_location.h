#pragma once

// Where a test called a helper: the helper's default argument is filled in at the call, so a
// failure the helper reports later points at the test's own line.
struct Here
{
    Here(const char *file = __builtin_FILE(), int line = __builtin_LINE()) : file(file), line(line)
    {}

    const char *file;
    int line;
};
