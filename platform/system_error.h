#pragma once

#include <optional>
#include <string>
#include <utility>

#include "base/translations.h"

// How the platform layer says that a call failed: the call returns a
// Result, which holds either its value or the system's error code, and one
// function, Describe, turns a code into the user's words.
namespace platform {

// The system's error code: errno on POSIX systems, GetLastError's value on
// Windows.
struct SystemError {
  int code = 0;
};

// The code the calling thread's last failed system call left.
SystemError LastSystemError();

// The user's words for `error`: the common reasons (a missing file, no
// right, a full disk, ...) in the language of `texts`, whose keys are the C
// library's English words; any other in the system's own words.
std::string Describe(SystemError error, const base::Translations& texts);

// What a call that gives nothing but success or failure returns.
struct Done {};

// The value of a call, or the system's error code of its failure.
template <typename T = Done>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value is a success
  Result(SystemError error) : error_(error) {}   // NOLINT: an error is a failure

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  // The failure's code; meaningful only when there is no value.
  SystemError Error() const { return error_; }

 private:
  std::optional<T> value_;
  SystemError error_;
};

}  // namespace platform
