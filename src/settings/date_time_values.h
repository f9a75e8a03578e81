#pragma once

// The Set Date & Time dialog's check of a switch-on moment, which kestra-cfg's deploy runs too.

#include "settings/refusal.h"
#include "settings/setting_rules.h"

struct SwitchOnValues
{
    // The first of rules::SwitchOnChecks() the moment fails, as "Please enter an integer
    // between MIN and MAX.", its field the rules::SwitchOnPart to correct.
    static rules::Check check(const rules::SwitchOnFields &fields, rules::HourClock clock);
};
