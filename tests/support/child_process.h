// Running part of a test in a forked child process, for what must not touch the test process
// itself (a changed user, a capped address space).
#pragma once

#include <functional>
#include <string>

namespace quintorel::test {

// Runs `body` in a child process and returns the text it returned, passed back through a pipe.
std::string runInChild(const std::function<std::string()>& body);

}  // namespace quintorel::test
