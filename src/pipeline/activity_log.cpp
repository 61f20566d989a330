#include "pipeline/activity_log.h"

#include "platform/file_descriptor.h"

#include "e2eCrypto/escaped_text.h"
#include "pipeline/job_ui.h"
#include "pipeline/save_result.h"

#include "platform/directory_lock.h"
#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/local_time.h"
#include "platform/path_conventions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t spillThreshold = 102400;

class AppendFile {
public:
    explicit AppendFile(const std::string& path) : file_(platform::openForAppend(path)) {}
    bool isOpen() const { return file_.isOpen(); }
    // The file's size, or -1 when it could not be opened.
    std::int64_t size() const { return file_.isOpen() ? platform::fileSize(file_.get()) : -1; }
    // A record written in part is cut off again, so that the next one starts a line of its own. The
    // caller holds the folder's lock, so no other job's record follows it.
    bool append(const std::string& text) const {
        const std::int64_t before = size();
        if (before < 0) {
            return false;
        }
        if (writeAll(file_.get(), text)) {
            return true;
        }
        platform::truncateFile(file_.get(), before);
        return false;
    }

private:
    FileDescriptor file_;
};

std::string directoryPart(const std::string& path) {
    const std::size_t slash = platform::lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}

// The counter file holds one signed decimal number, white space before it allowed; a missing file
// or anything unreadable counts 0.
std::int64_t readCounter(const std::string& path) {
    const FileDescriptor file(platform::openRegularFile(path));
    std::array<char, 64> text{};
    const std::int64_t length = file.isOpen() ? platform::readSome(file.get(), text.data(), text.size()) : -1;
    if (length <= 0) {
        return 0;
    }
    const char* begin = text.data();
    const char* end = begin + length;
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const char* number =
        std::find_if_not(begin, end, [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
    if (end - number > 1 && *number == '+' && isDigit(number[1])) {
        ++number;
    }
    std::int64_t count = 0;
    return std::from_chars(number, end, count).ec == std::errc() ? count : 0;
}

// Replaced whole, so that a job never reads a counter that another is writing.
void writeCounter(const std::string& path, std::int64_t count) {
    // A counter left behind only sends a later record into a spill file that already holds one.
    saveWholeFile(path, std::to_string(count), ExistingFile::Replace);
}

// A field never carries a raw tab or line break, so a path or message cannot forge a record. Where
// the backslash is not the directory separator it is escaped too, so the escapes read back
// unambiguously; where it is, paths keep it single and stay readable (their names cannot hold the
// control characters that would need an escape).
std::string escapedField(const std::string& field) {
    return escapeControlCharacters(field, platform::directorySeparator() == '\\' ? Backslashes::Kept
                                                                                 : Backslashes::Escaped);
}

} // namespace

std::tm ActivityLog::localNow() {
    return platform::localTime(std::time(nullptr));
}

ActivityLog::ActivityLog(std::string logPath, JobUi& ui, Clock clock)
    : logPath_(std::move(logPath)), counterPath_(directoryPart(logPath_) + "successcounter.txt"), ui_(ui),
      clock_(std::move(clock)) {}

std::string ActivityLog::KindName(int kind) {
    // The log format names every code, though a job writes only those of logkind.
    static const std::array<const char*, 17> names = {
        "ERROR",
        "SYMETRIC ENCRYPTION",
        "ASYMETRIC ENCRYPTION",
        "SYMETRIC ENCRYPTION AND SIGNED",
        "ASYMETRIC ENCRYPTION AND SIGNED",
        "DIGITALLY SIGNED",
        "SYMETRIC ENCRYPTION AND EXTRACTOR",
        "ASYMETRIC ENCRYPTION AND EXTRACTOR",
        "SYMETRIC ENCRYPTION, SIGNED AND EXTRACTOR",
        "ASYMETRIC ENCRYPTION, SIGNED AND EXTRACTOR",
        "DIGITALLY SIGNED AND EXTRACTOR",
        "EXTRACTOR",
        "CRL DOWNLOAD",
        "DECRYPT AND VERIFY",
        "DECRYPTION",
        "VERIFICATION",
        "CRL DOWNLOAD",
    };
    if (kind < 0 || static_cast<std::size_t>(kind) >= names.size()) {
        return {};
    }
    return names[static_cast<std::size_t>(kind)];
}

std::string ActivityLog::formatDate(const std::tm& when) {
    return std::to_string(when.tm_mday) + "/" + std::to_string(when.tm_mon + 1) + "/" +
           std::to_string(when.tm_year + 1900);
}

std::string ActivityLog::formatTime(const std::tm& when) {
    return std::to_string(when.tm_hour) + ":" + std::to_string(when.tm_min) + ":" +
           std::to_string(when.tm_sec);
}

std::string ActivityLog::SpillPath() {
    // Jobs that spill at the same time each take a number of their own.
    const platform::DirectoryLock lock(directoryPart(logPath_));
    return nextSpillPath();
}

std::string ActivityLog::nextSpillPath() {
    std::int64_t count = readCounter(counterPath_);
    if (count < std::numeric_limits<std::int64_t>::max()) {
        ++count;
    }
    // A counter of -1 (hand-edited) sends records back to the base log and is left as it is.
    if (count == 0) {
        return logPath_;
    }
    std::string path = logPath_;
    path.insert(path.size() >= 4 ? path.size() - 4 : 0, std::to_string(count));
    // The counter moves on only once its file is there, so that no number stands for a lost record.
    if (!AppendFile(path).isOpen()) {
        return {};
    }
    writeCounter(counterPath_, count);
    return path;
}

LogWrite ActivityLog::Write(int kind, const std::string& message, const std::string& files) {
    try {
        return append(kind, message, files);
    } catch (...) {
        return LogWrite::Lost;
    }
}

void showLogFailure(JobUi& ui, LogWrite result) {
    switch (result) {
    case LogWrite::NotCreated:
    case LogWrite::Lost:
        ui.showMessage("Could not write to log. Check accessibility and permissions", IconKind::Warning,
                       Buttons::Ok);
        break;
    case LogWrite::ReadOnly:
        ui.showMessage("Log file does not have write permissions", IconKind::Warning, Buttons::Ok);
        break;
    case LogWrite::Written:
        break;
    }
}

bool ActivityLog::createLog() {
    // A log that another job created meanwhile is as good as one this job created.
    const SaveStatus created = WriteWholeFile(logPath_, "\n", ui_, ExistingFile::Keep);
    return created == SaveStatus::Saved || created == SaveStatus::Exists;
}

LogWrite ActivityLog::append(int kind, const std::string& message, const std::string& files) {
    if (!platform::exists(logPath_) && !createLog()) {
        return LogWrite::NotCreated;
    }
    if (isReadOnlyFile(logPath_)) {
        return LogWrite::ReadOnly;
    }
    const std::tm when = clock_();
    const std::string record = formatDate(when) + "\t" + formatTime(when) + "\t" + KindName(kind) + "\t" +
                               escapedField(message) + "\t" + escapedField(files) + platform::textLineEnd();
    // Held while the record is written, so that a record cut short can be taken back whole.
    const platform::DirectoryLock lock(directoryPart(logPath_));
    {
        const AppendFile base(logPath_);
        if (base.size() <= spillThreshold) {
            return base.append(record) ? LogWrite::Written : LogWrite::Lost;
        }
    }
    const std::string spillPath = nextSpillPath();
    return !spillPath.empty() && AppendFile(spillPath).append(record) ? LogWrite::Written : LogWrite::Lost;
}
