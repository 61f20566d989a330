#pragma once

#include <ctime>

// A local time as the log's clock gives it, month and year as written on a calendar.
inline std::tm calendarTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    return when;
}
