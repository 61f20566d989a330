#pragma once
// The moment certificates and CRLs are judged at: the clock, unless a test has fixed it.
#include <ctime>
#include <optional>

// Read once per verification, so that every date rule of one document meets the same moment.
std::time_t checkTime();

// Fixes the moment (nullopt gives the clock back); for tests, so that none depends on today's date.
void setCheckTime(std::optional<std::time_t> moment);
