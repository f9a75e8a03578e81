#pragma once

// The few values of the run that several pages and dialogs consult. Plain C++: the start-up
// rules that set them need no window.

enum class OperatingMode
{
    REC = 1,
    KESTRA = 2,
    PRO = 3,
    SECURITY = 4,
};

struct AppState
{
    // Settings may be viewed but not changed or saved; set only during start-up.
    bool readOnly = false;
    // Always PRO while the sheet runs: start-up refuses the others.
    OperatingMode operatingMode = OperatingMode::PRO;
    // The carrier chosen on the Cellular page, -1 for none; saved to carriers2.dat.
    int carrierIndex = -1;
};
