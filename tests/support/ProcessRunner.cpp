// ProcessRunner: fork/exec with one pipe for both output streams, a poll loop that reads the
// output, watches the clock and looks for the child's window, and a group kill on timeout.
#include "ProcessRunner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void execChild(const std::string& program, const std::vector<std::string>& arguments,
                            const ProcessOptions& options, int outputFd) {
    setpgid(0, 0); // its own group, so a timeout kills everything it started
    dup2(outputFd, STDOUT_FILENO);
    dup2(outputFd, STDERR_FILENO);
    close(outputFd);
    if (chdir(options.workingDirectory.c_str()) != 0) {
        std::fprintf(stderr, "ProcessRunner: cannot enter %s\n", options.workingDirectory.c_str());
        _exit(127);
    }
    for (const std::string& entry : options.environment) {
        putenv(strdup(entry.c_str()));
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    std::fprintf(stderr, "ProcessRunner: cannot run %s\n", program.c_str());
    _exit(127);
}

// The id of the child's top-level "Window", or "" while it has none.
std::string findWindowOf(pid_t pid) {
    std::string found = ProcessRunner::capture("xdotool search --all --pid " + std::to_string(pid) +
                                               " --name '^Window$' 2>/dev/null");
    std::istringstream ids(found);
    std::string first;
    ids >> first;
    return first;
}

void sendEscape(const std::string& windowId) {
    ProcessRunner::capture("xdotool key --window " + windowId + " Escape 2>/dev/null");
}

int exitCodeOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// Drains what is readable; false once the write end is closed.
bool readAvailable(int fd, std::string& output) {
    char buffer[4096];
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count > 0) {
        output.append(buffer, static_cast<size_t>(count));
        return true;
    }
    return count < 0 && (errno == EAGAIN || errno == EINTR);
}

// Reads what is left without waiting for more.
void drain(int fd, std::string& output) {
    char buffer[4096];
    ssize_t count;
    while ((count = read(fd, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(count));
    }
}

} // namespace

ProcessResult ProcessRunner::run(const std::string& program,
                                 const std::vector<std::string>& arguments,
                                 const ProcessOptions& options) {
    ProcessResult result;
    int fds[2];
    if (pipe(fds) != 0) {
        result.output = "ProcessRunner: pipe failed";
        return result;
    }
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        result.output = "ProcessRunner: fork failed";
        return result;
    }
    if (pid == 0) {
        close(fds[0]);
        execChild(program, arguments, options, fds[1]);
    }
    setpgid(pid, pid);
    close(fds[1]);
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);

    Clock::time_point start = Clock::now();
    std::string windowId;
    double lastEscape = -100.0;
    double lastSearch = -100.0;
    bool open = true;
    int status = 0;
    bool exited = false;
    while (true) {
        pollfd entry{fds[0], POLLIN, 0};
        if (open && poll(&entry, 1, 100) > 0) {
            open = readAvailable(fds[0], result.output);
        } else if (!open) {
            usleep(20000);
        }
        if (!exited && waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
        }
        if (exited && !open) {
            break;
        }
        double elapsed = secondsSince(start);
        if (elapsed > options.timeoutSeconds) {
            if (!exited) {
                kill(-pid, SIGKILL);
                kill(pid, SIGKILL);
                result.timedOut = true;
                waitpid(pid, &status, 0);
                exited = true;
            }
            drain(fds[0], result.output);
            break;
        }
        if (exited || !options.findWindow) {
            continue;
        }
        bool ready = options.windowAfterOutput.empty() ||
                     result.output.find(options.windowAfterOutput) != std::string::npos;
        if (windowId.empty() && ready && elapsed - lastSearch > 0.25) {
            lastSearch = elapsed;
            windowId = findWindowOf(pid);
            if (!windowId.empty()) {
                result.windowSeen = true;
                if (options.onWindow) {
                    options.onWindow(windowId);
                }
            }
        }
        if (!windowId.empty() && options.closeWithEscape && elapsed - lastEscape > 3.0) {
            lastEscape = elapsed;
            sendEscape(windowId);
        }
    }
    close(fds[0]);
    result.exitCode = exitCodeOf(status);
    return result;
}

ProcessResult ProcessRunner::runCathedral(const ProcessOptions& options) {
    return run(CATHEDRAL_EXECUTABLE, {}, options);
}

std::string ProcessRunner::capture(const std::string& shellCommand) {
    std::string output;
    FILE* pipe = popen(shellCommand.c_str(), "r");
    if (!pipe) {
        return output;
    }
    char buffer[512];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, count);
    }
    pclose(pipe);
    return output;
}

std::vector<std::string> ProcessRunner::lines(const std::string& output) {
    std::vector<std::string> result;
    std::istringstream stream(output);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            result.push_back(line);
        }
    }
    return result;
}
