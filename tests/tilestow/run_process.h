// Runs a program with arguments and collects what it prints (standard
// output and error together) and its exit code.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace tk::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string output;
};

// stdin is /dev/null, so the program sees no terminal. cwd: empty keeps ours.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& cwd = {}) {
  ProcessResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace tk::testing
