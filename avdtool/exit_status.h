#pragma once

#include <string>

#include "base/translations.h"

// How every avdtool command ends. One situation gives one status, whichever
// command meets it.
namespace avdtool {

enum class Status : int {
  kGood = 0,  // all is good
  kProblems =
      1,  // the archive has problems: verify found some, or a member cannot be unpacked, listed or drawn
  kCannotRun =
      2,  // the command could not do its work: the archive cannot be read (the file, or its directory),
          // the command line is wrong (a member name that matches nothing included), or a write failed
  kPicturesMissing = 3,  // verify: the format is good, but pictures the scenarios show are missing
};

// The status of a command that met both `a` and `b`: the graver one
// (kCannotRun over kProblems over kPicturesMissing over kGood). Gravity is a table of its own, so
// a status added later takes its place there whatever its number.
Status Worse(Status a, Status b);

// The exit status of the process.
inline int ExitCode(Status status) { return static_cast<int>(status); }

// The statuses for --help, one line each ("  0  all is good"), in the
// language of `texts`.
std::string StatusHelp(const base::Translations& texts);

}  // namespace avdtool
