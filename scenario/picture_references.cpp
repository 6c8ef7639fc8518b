#include "scenario/picture_references.h"

#include "base/sjis.h"

namespace scenario {

std::string PictureMemberName(std::string_view name) {
  std::string member(name);
  base::UpperCaseName(member);
  return member + ".PDT";
}

}  // namespace scenario
