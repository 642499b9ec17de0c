// Forking a child for part of a test and reading back its result.
#include "tests/support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace quintorel::test {

std::string runInChild(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) return "no pipe";
  // Output buffered before the fork would otherwise be written twice.
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const std::string result = body();
    const ssize_t ignored = ::write(channel[1], result.data(), result.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string result;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0) result.append(buffer, static_cast<std::size_t>(n));
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  return result;
}

}  // namespace quintorel::test
