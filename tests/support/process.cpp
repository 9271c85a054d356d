#include "support/process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace spindle::test {

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment,
                         const std::string& workingFolder, int killAfterMicroseconds) {
    ProcessResult result;
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) {
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::close(out[0]);
        ::close(err[0]);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
            ::_exit(126);
        }
        for (const std::string& e : environment) {
            ::putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (killAfterMicroseconds >= 0) {
        ::usleep(static_cast<useconds_t>(killAfterMicroseconds));
        ::kill(child, SIGKILL);
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    char buf[4096];
    while (open > 0 && ::poll(fds, 2, -1) > 0) {
        for (pollfd& p : fds) {
            if (p.fd >= 0 && (p.revents & (POLLIN | POLLHUP)) != 0) {
                const ssize_t n = ::read(p.fd, buf, sizeof buf);
                if (n <= 0) {
                    ::close(p.fd);
                    p.fd = -1;
                    --open;
                } else {
                    (p.fd == fds[0].fd ? result.Out : result.Err)
                        .append(buf, static_cast<std::size_t>(n));
                }
            }
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string InChild(const std::function<std::string()>& body, bool unprivileged) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "pipe failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string result = "cannot drop root";
        if (!unprivileged || ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) {
            result = body();
        }
        const bool written = ::write(pipeFds[1], result.data(), result.size()) >= 0;
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buf[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) {
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return out;
}

std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
    // Each row as its number of fields, then one field a line.
    const ProcessResult python =
        RunProcess({"/usr/bin/python3", "-c",
                    "import csv,sys\n"
                    "for row in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):\n"
                    "    print(len(row), *row, sep='\\n')\n",
                    path});
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(python.Out);
    for (std::size_t fields = 0; lines >> fields && lines.ignore();) {
        for (std::string& field : rows.emplace_back(fields)) {
            std::getline(lines, field);
        }
    }
    return rows;
}

}  // namespace spindle::test
