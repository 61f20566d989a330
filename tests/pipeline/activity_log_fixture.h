#pragma once
// A log in a fresh directory whose clock always reads 1 February 2004, 9:05:03.
#include "pipeline/activity_log.h"

#include "platform/path_conventions.h"
#include "support/calendar_time.h"
#include "support/scripted_job_ui.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

inline const std::string fixedStamp = "1/2/2004\t9:5:3\t";
// Records end as text lines do on the system; a log the component creates starts with a bare LF.
inline const std::string eol = platform::textLineEnd();

class ActivityLogFixture : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedJobUi ui;
    ActivityLog log{dir.file("Reader-Log.txt"), ui, [] { return calendarTime(2004, 2, 1, 9, 5, 3); }};

    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
    void baseLogOfSize(std::size_t size) { dir.write("Reader-Log.txt", std::string(size, 'x')); }
};
