// Runs a program as a user would, with its output collected and a time limit.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1; // 128 + signal when killed by one
    std::string out, err;
};

// `env` entries ("NAME=value") are added to this process's environment; `started` is called
// with the child's id once it runs. The child is killed after `limitMs`.
ProcessResult runProcess(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                         const std::function<void(int)> &started = {}, int limitMs = 30000);
