#include "settings/date_time_values.h"

rules::Check SwitchOnValues::check(const rules::SwitchOnFields &fields, rules::HourClock clock)
{
    for (const rules::SwitchOnCheck &check : rules::SwitchOnChecks(fields, clock)) {
        if (auto refusal =
                rules::CheckInteger(check.value, check.range, static_cast<int>(check.part)))
            return refusal;
    }
    return std::nullopt;
}
