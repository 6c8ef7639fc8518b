#include "avdtool/exit_status.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/diagnostics.h"

namespace avdtool {
namespace {

// Every status, from the least grave to the gravest, with its meaning for
// --help.
struct StatusRow {
  Status status;
  const char* meaning;
};
constexpr StatusRow kStatuses[] = {
    {Status::kGood, base::ToTranslate("all is good")},
    {Status::kPicturesMissing,
     base::ToTranslate("(verify) the format is good, but pictures the scenarios show are missing")},
    {Status::kProblems, base::ToTranslate("the archive has problems (each one has its line)")},
    {Status::kCannotRun,
     base::ToTranslate("the command could not do its work: the archive cannot be read, the\n"
                       "     command line is wrong, or a file or the output could not be written")},
};

size_t Gravity(Status status) {
  for (size_t i = 0; i < std::size(kStatuses); ++i) {
    if (kStatuses[i].status == status) return i;
  }
  return std::size(kStatuses);
}

}  // namespace

Status Worse(Status a, Status b) { return Gravity(a) >= Gravity(b) ? a : b; }

std::string StatusHelp(const base::Translations& texts) {
  // By number, as a reader looks them up.
  std::vector<StatusRow> rows(std::begin(kStatuses), std::end(kStatuses));
  std::sort(rows.begin(), rows.end(),
            [](const StatusRow& a, const StatusRow& b) { return ExitCode(a.status) < ExitCode(b.status); });
  std::string help = texts.Tr("Exit status:\n");
  for (const StatusRow& row : rows)
    help += base::Format("  %d  %s\n", ExitCode(row.status), texts.Tr(row.meaning));
  return help;
}

}  // namespace avdtool
