// EXPECT_ERROR(statement, message): the statement throws quintorel::Error with exactly that
// message.
#pragma once

#include <gtest/gtest.h>

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
