#include "support/child_process.h"

#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>

namespace {

constexpr uid_t nobody = 65534;

void redirect(int target, const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
    if (fd < 0 || ::dup2(fd, target) < 0) {
        ::_exit(126);
    }
    ::close(fd);
}

} // namespace

pid_t startProgram(const std::vector<std::string>& argv, const std::string& directory,
                   const std::function<void()>& prepare) {
    std::vector<std::string> arguments = argv;
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
    ::setsid();
    redirect(0, "/dev/null", O_RDONLY);
    redirect(1, directory + "/.stdout", O_WRONLY | O_CREAT | O_TRUNC);
    redirect(2, directory + "/.stderr", O_WRONLY | O_CREAT | O_TRUNC);
    if (::chdir(directory.c_str()) != 0) {
        ::_exit(126);
    }
    if (prepare) {
        prepare();
    }
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
}

ChildEnd waitForChild(pid_t child) {
    ChildEnd end;
    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do {
        waited = ::wait4(child, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    if (waited != child) {
        return end;
    }
    if (WIFEXITED(status)) {
        end.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    end.peakKiB = usage.ru_maxrss;
    return end;
}

ChildEnd waitForChild(pid_t child, std::chrono::milliseconds bound) {
    // Through syscall(): Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    const FileDescriptor ended(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    pollfd readable{ended.get(), POLLIN, 0};
    int ready = -1;
    do {
        ready = ::poll(&readable, 1, static_cast<int>(bound.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready != 1) {
        ::kill(child, SIGKILL);
    }
    return waitForChild(child);
}

ChildEnd runProgram(const std::vector<std::string>& argv, const std::string& directory,
                    const std::function<void()>& prepare) {
    return waitForChild(startProgram(argv, directory, prepare));
}

std::string runUnprivileged(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        return "no pipe to the child";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string verdict;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
            verdict = "cannot become nobody";
        } else {
            try {
                verdict = body();
            } catch (const std::exception& error) {
                verdict = std::string("exception: ") + error.what();
            }
        }
        std::size_t done = 0;
        while (done < verdict.size()) {
            const ssize_t written = ::write(channel[1], verdict.data() + done, verdict.size() - done);
            if (written <= 0) {
                break;
            }
            done += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string verdict;
    char piece[4096];
    for (ssize_t got = 0; (got = ::read(channel[0], piece, sizeof piece)) != 0;) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            break;
        }
        verdict.append(piece, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    const ChildEnd end = waitForChild(child);
    if (end.signal != 0) {
        return "the child died of signal " + std::to_string(end.signal) +
               (verdict.empty() ? "" : ": " + verdict);
    }
    return verdict;
}

std::string cliProgramPath() {
    const char* binaryDirectory = std::getenv("QUILLBOX_BINARY_DIR");
    return std::string(binaryDirectory != nullptr ? binaryDirectory : ".") + "/src/cli/quillbox-cli";
}
