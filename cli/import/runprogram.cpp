#include "runprogram.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::size_t kMaxErrorText = 4096;

std::string ReadBack(int fd) {
  std::string text;
  char buffer[1024];
  if (lseek(fd, 0, SEEK_SET) != 0) return text;
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0 || text.size() >= kMaxErrorText) break;
    text.append(buffer, std::size_t(got));
  }
  if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr || name.empty() || name.find('/') != std::string::npos) return std::string();
  const std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    const std::string candidate = folder + "/" + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return std::string();
}

TProgramRun RunProgram(const std::vector<std::string>& argv, int timeLimitSeconds) {
  TProgramRun run;
  if (argv.empty()) return run;
  const std::string program = FindProgram(argv[0]);
  if (program.empty()) return run;

  // Standard error goes to an unnamed file, so that a chatty program can never block on a pipe.
  const char* tmp = std::getenv("TMPDIR");
  std::string errorsName = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pinacora-data-XXXXXX";
  const int errorsFd = mkstemp(&errorsName[0]);
  if (errorsFd < 0) return run;
  unlink(errorsName.c_str());

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errorsFd, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    close(errorsFd);
    return run;
  }
  run.Started = true;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimitSeconds);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0 && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      run.TimedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!run.TimedOut && WIFEXITED(status)) run.Status = WEXITSTATUS(status);
  run.Errors = ReadBack(errorsFd);
  close(errorsFd);
  return run;
}
