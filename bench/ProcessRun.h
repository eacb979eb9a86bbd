#pragma once
// One run of a program as a separate process, for the benchmarks that time a
// whole process: its wall time, CPU time (user and system) and peak
// resident memory.
#include <algorithm>
#include <chrono>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

struct TProcessRun
{
    bool Succeeded = false; // started and ended with status 0
    double WallSeconds = 0;
    double CpuSeconds = 0;
    double PeakMegabytes = 0;
};

inline TProcessRun RunProcess(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    TProcessRun run;
    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.WallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run.CpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.PeakMegabytes = usage.ru_maxrss / 1024.0;
    run.Succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}
