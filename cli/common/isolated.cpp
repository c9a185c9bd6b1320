#include "isolated.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child's address space is limited: a reader that believes a hostile count stops there
// instead of swapping the machine to a halt. The sanitizers reserve their shadow memory as
// address space, so there the limit is left alone.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitMemory = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLimitMemory = false;
#else
constexpr bool kLimitMemory = true;
#endif
#else
constexpr bool kLimitMemory = true;
#endif
// Room the child gets beyond what it inherits (the caller's data included).
constexpr rlim_t kChildHeadroom = rlim_t(8) << 30;

// The address space the process uses now, from /proc; 0 when unknown.
rlim_t AddressSpaceInUse() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  unsigned long pages = 0;
  const bool read = std::fscanf(statm, "%lu", &pages) == 1;
  std::fclose(statm);
  return read ? rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) : 0;
}

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += std::size_t(n);
  }
}

}  // namespace

std::string TIsolatedRun::Reason() const {
  switch (How) {
    case End::Finished: return {};
    case End::Failed: return "stopped with status " + std::to_string(Code);
    case End::Crashed: return "was killed by signal " + std::to_string(Code) + " (" + strsignal(Code) + ")";
    case End::TimedOut: return "did not finish in time";
    case End::NotStarted: return "could not be started: " + Output;
  }
  return {};
}

TIsolatedRun RunIsolated(const std::function<std::string()>& work, int seconds) {
  TIsolatedRun run;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    run.Output = std::strerror(errno);
    return run;
  }
  std::fflush(nullptr);  // nothing buffered may be written twice
  const pid_t pid = ::fork();
  if (pid < 0) {
    run.Output = std::strerror(errno);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return run;
  }
  if (pid == 0) {
    ::close(pipeFds[0]);
    // What a failing library prints on its way down ("malloc(): corrupted top size") is no news
    // for the caller, who words the failure itself.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    if (kLimitMemory) {
      const rlim_t used = AddressSpaceInUse();
      const rlimit limit{used + kChildHeadroom, used + kChildHeadroom};
      if (used > 0) ::setrlimit(RLIMIT_AS, &limit);
    }
    std::string output;
    try {
      output = work();
    } catch (...) {
      ::_exit(70);
    }
    WriteAll(pipeFds[1], output);
    ::close(pipeFds[1]);
    ::_exit(0);  // no exit handlers: they belong to the parent
  }

  ::close(pipeFds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool timedOut = false;
  char buffer[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd fd{pipeFds[0], POLLIN, 0};
    const int ready = ::poll(&fd, 1, int(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;  // the deadline is looked at again above
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the child closed its end: finished or dead
    run.Output.append(buffer, std::size_t(n));
  }
  ::close(pipeFds[0]);
  if (timedOut) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) {
    run.How = TIsolatedRun::End::TimedOut;
  } else if (WIFSIGNALED(status)) {
    run.How = TIsolatedRun::End::Crashed;
    run.Code = WTERMSIG(status);
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    run.How = TIsolatedRun::End::Failed;
    run.Code = WEXITSTATUS(status);
  } else {
    run.How = TIsolatedRun::End::Finished;
  }
  if (run.How != TIsolatedRun::End::Finished) run.Output.clear();
  return run;
}
