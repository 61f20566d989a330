#pragma once
// The calendar time in the user's time zone.
#include <ctime>

namespace platform {

std::tm localTime(std::time_t when);

} // namespace platform
