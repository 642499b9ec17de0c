// EXPECT_ERROR(statement, message): the statement throws quintorel::Error with exactly that
// message. errorFrom(action): the message, for a test that gathers it first.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/error.h"

#define EXPECT_ERROR(statement, message)                                           \
  do {                                                                             \
    try {                                                                          \
      statement;                                                                   \
      ADD_FAILURE() << "no error from " #statement ", expected: " << (message);    \
    } catch (const ::quintorel::Error& e) {                                        \
      EXPECT_EQ(std::string(e.what()), std::string(message)) << "from " #statement; \
    }                                                                              \
  } while (false)

namespace quintorel::test {

// The message of the Error that `action` throws, or "(no error)"; any other exception leaves.
inline std::string errorFrom(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace quintorel::test
