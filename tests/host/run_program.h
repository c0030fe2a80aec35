// Runs a built program (lucentra) as a user would, with its own environment,
// and collects its exit status and output. For the integration tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace lucentra::test {

struct RunResult {
    int status = -1;         // exit status; 128 + n when killed by signal n
    bool signalled = false;  // killed by a signal (a crash, unless we sent it)
    long peak_rss_kb = 0;    // the child's peak resident memory
    std::string out, err;

    std::vector<std::string> err_lines() const {
        std::vector<std::string> lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs `args` (args[0] the program path) with `env` added to the environment,
// stdout and stderr going to files in `scratch`. `while_running`, when given, is
// called with the child's pid and the path of its stderr file, and may signal it.
inline RunResult run_program(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                       const std::string& scratch,
                       const std::function<void(pid_t, const std::string&)>& while_running = {}) {
    const std::string out_path = scratch + "/stdout.txt", err_path = scratch + "/stderr.txt";
    pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (while_running) while_running(pid, err_path);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    RunResult run;
    run.signalled = WIFSIGNALED(status);
    run.status = run.signalled ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    run.peak_rss_kb = usage.ru_maxrss;
    run.out = slurp(out_path);
    run.err = slurp(err_path);
    return run;
}

// Output of a shell command (stdout), and its exit status through `status`.
inline std::string shell(const std::string& command, int* status = nullptr) {
    std::string text;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    int s = pclose(pipe);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return text;
}

}  // namespace lucentra::test
