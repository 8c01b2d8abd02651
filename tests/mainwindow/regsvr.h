// Runs the regsvr tool in its own process, as the run script does (so that the test process
// never loads the library it registers), with the test's environment.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

// "quenza-regsvr /s ARGUMENTS..."; its exit status, or -1 when it did not run.
inline int regsvr(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{QUENZA_TEST_REGSVR, "/s"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, QUENZA_TEST_REGSVR, nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace testsupport
