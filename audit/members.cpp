#include "audit/members.h"

#include <algorithm>
#include <cstdio>

#include "archive/archive_format.h"
#include "base/diagnostics.h"
#include "base/printable.h"
#include "image/pdt_format.h"
#include "scenario/output.h"
#include "scenario/target_forms.h"

namespace audit {
namespace {

namespace pdt = image::pdt;

constexpr std::string_view kScenarioMagic = "TPC32";
constexpr size_t kScenarioHeaderSize = scenario::Output::kHeaderSize;
constexpr size_t kCodeLengthOffset = scenario::Output::kCodeLengthOffset;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The header bytes of a picture that carry no field: they are zero.
bool IsPictureFieldByte(size_t offset) {
  return offset < pdt::kMagicOffset + pdt::kMagic.size() ||
         (offset >= pdt::kWidthOffset && offset < pdt::kHeightOffset + 4) ||
         (offset >= pdt::kAlphaPlaneOffset && offset < pdt::kAlphaPlaneOffset + 4);
}

using base::Format;

using ULL = unsigned long long;

}  // namespace

MemberKind KindOf(std::string_view name) {
  if (name.size() == 11 && name.starts_with("SEEN") && IsDigit(name[4]) && IsDigit(name[5]) &&
      IsDigit(name[6]) && name.ends_with(".TXT")) {
    return MemberKind::kScenario;
  }
  if (name.ends_with(".PDT")) return MemberKind::kPicture;
  return MemberKind::kData;
}

MemberKind KindOf(std::string_view name, std::span<const uint8_t> bytes) {
  const auto startsWith = [&](std::string_view magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
  };
  switch (const MemberKind claimed = KindOf(name)) {
    case MemberKind::kScenario:
      return startsWith(kScenarioMagic) ? claimed : MemberKind::kData;
    case MemberKind::kPicture:
      return startsWith(pdt::kMagic) ? claimed : MemberKind::kData;
    case MemberKind::kData:
      break;
  }
  return MemberKind::kData;
}

std::string_view KindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::kScenario:
      return "scenario";
    case MemberKind::kPicture:
      return "picture";
    case MemberKind::kData:
      break;
  }
  return "data";
}

std::string ByteCount(uint64_t n, const base::Translations& texts) {
  return Format(n == 1 ? texts.Tr("%llu byte") : texts.Tr("%llu bytes"), static_cast<ULL>(n));
}

std::string MemberLabel(const archive::Entry& entry, const base::Translations& texts) {
  const std::string name =
      entry.name.empty() ? texts.Tr("(no name)") : base::Printable(entry.name, base::TextEncoding::kAscii);
  return Format(texts.Tr("%s (entry %zu)"), name.c_str(), entry.index);
}

void Picture::Rgba(uint32_t x, uint32_t y, uint8_t rgba[4]) const {
  const size_t at = size_t{y} * width + x;
  const uint32_t p = base::GetU16(pixels.data() + at * pdt::kPixelSize);
  const uint32_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
  rgba[0] = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
  rgba[1] = static_cast<uint8_t>(g6 << 2 | g6 >> 4);
  rgba[2] = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
  rgba[3] = hasAlpha ? alpha[at] : pdt::kAlphaOpaque;
}

namespace {

// PictureProblems of a member of `length` bytes that begins with `member`
// (at least its header, when it is as long).
std::vector<std::string> ProblemsOfPicture(std::span<const uint8_t> member, uint64_t length,
                                           const base::Translations& texts) {
  std::vector<std::string> problems;
  if (length < pdt::kHeaderSize || member.size() < pdt::kHeaderSize) {
    problems.push_back(Format(texts.Tr("is %s long, shorter than the %zu-byte PDT10 header"),
                              ByteCount(length, texts).c_str(), pdt::kHeaderSize));
    return problems;
  }
  if (std::string_view(reinterpret_cast<const char*>(member.data()), pdt::kMagic.size()) != pdt::kMagic)
    problems.push_back(texts.Tr("does not start with \"PDT10\""));
  std::string nonZero;
  for (size_t i = 0; i < pdt::kHeaderSize; ++i) {
    if (!IsPictureFieldByte(i) && member[i] != 0)
      nonZero += (nonZero.empty() ? "" : ", ") + std::to_string(i);
  }
  if (!nonZero.empty())
    problems.push_back(
        Format(texts.Tr("header bytes that carry no field are not zero: %s"), nonZero.c_str()));

  const uint32_t sourceWidth = base::GetU32(member.data() + pdt::kWidthOffset);
  const uint32_t sourceHeight = base::GetU32(member.data() + pdt::kHeightOffset);
  const uint32_t alphaField = base::GetU32(member.data() + pdt::kAlphaPlaneOffset);
  const uint64_t n = uint64_t{sourceWidth >> 1} * (sourceHeight >> 1);
  const uint64_t pixelPlane = n * pdt::kPixelSize;
  const std::string size = Format(texts.Tr("%u x %u (stored %u x %u)"), sourceWidth, sourceHeight,
                                  sourceWidth >> 1, sourceHeight >> 1);
  if (alphaField != 0 && alphaField != pixelPlane) {
    problems.push_back(
        Format(texts.Tr("alpha field is %u, neither 0 nor the %llu bytes of the pixel plane of %s"),
               alphaField, static_cast<ULL>(pixelPlane), size.c_str()));
  } else {
    const uint64_t expected = pdt::kHeaderSize + pixelPlane + (alphaField != 0 ? n : 0);
    if (length != expected) {
      problems.push_back(Format(alphaField != 0
                                    ? texts.Tr("is %s long; %s with an alpha plane takes %llu")
                                    : texts.Tr("is %s long; %s without an alpha plane takes %llu"),
                                ByteCount(length, texts).c_str(), size.c_str(), static_cast<ULL>(expected)));
    }
  }
  return problems;
}

// The header's fields, in a picture PictureProblems finds nothing in.
Picture HeaderFields(std::span<const uint8_t> member) {
  Picture p;
  p.sourceWidth = base::GetU32(member.data() + pdt::kWidthOffset);
  p.sourceHeight = base::GetU32(member.data() + pdt::kHeightOffset);
  p.width = p.sourceWidth >> 1;
  p.height = p.sourceHeight >> 1;
  p.hasAlpha = base::GetU32(member.data() + pdt::kAlphaPlaneOffset) != 0;
  return p;
}

}  // namespace

std::vector<std::string> PictureProblems(std::span<const uint8_t> member, const base::Translations& texts) {
  return ProblemsOfPicture(member, member.size(), texts);
}

std::optional<Picture> PictureHeader(std::span<const uint8_t> first, uint64_t length) {
  if (!ProblemsOfPicture(first, length, base::Translations()).empty()) return std::nullopt;
  return HeaderFields(first);
}

size_t HeaderBytes(MemberKind kind) {
  switch (kind) {
    case MemberKind::kScenario:
      return kScenarioHeaderSize;
    case MemberKind::kPicture:
      return pdt::kHeaderSize;
    case MemberKind::kData:
      break;
  }
  return 0;
}

std::optional<Picture> ReadPicture(std::span<const uint8_t> member) {
  if (!PictureProblems(member).empty()) return std::nullopt;
  Picture p = HeaderFields(member);
  const size_t n = size_t{p.width} * p.height;
  p.pixels = member.subspan(pdt::kHeaderSize, n * pdt::kPixelSize);
  if (p.hasAlpha) p.alpha = member.subspan(pdt::kHeaderSize + n * pdt::kPixelSize, n);
  return p;
}

std::optional<uint32_t> CodeLength(std::span<const uint8_t> member) {
  if (member.size() < kScenarioHeaderSize) return std::nullopt;
  return base::GetU32(member.data() + kCodeLengthOffset);
}

std::vector<std::string> ScenarioProblems(std::span<const uint8_t> member, const base::Translations& texts) {
  std::vector<std::string> problems;
  if (member.size() < kScenarioHeaderSize) {
    problems.push_back(Format(texts.Tr("is %s long, shorter than the %zu-byte TPC32 header"),
                              ByteCount(member.size(), texts).c_str(), kScenarioHeaderSize));
    return problems;
  }
  if (std::string_view(reinterpret_cast<const char*>(member.data()), kScenarioMagic.size()) != kScenarioMagic)
    problems.push_back(texts.Tr("does not start with \"TPC32\""));
  const uint32_t codeLength = base::GetU32(member.data() + kCodeLengthOffset);
  if (codeLength != member.size() - kScenarioHeaderSize) {
    problems.push_back(Format(texts.Tr("code length field is %u, but %s of code follow the header"),
                              codeLength, ByteCount(member.size() - kScenarioHeaderSize, texts).c_str()));
  }
  return problems;
}

std::vector<std::string> ScenarioCodeProblems(std::span<const uint8_t> member,
                                              const base::Translations& texts) {
  std::vector<std::string> problems;
  const std::optional<uint32_t> length = CodeLength(member);
  if (!length) return problems;
  const std::span<const uint8_t> code =
      member.subspan(kScenarioHeaderSize, std::min<size_t>(*length, member.size() - kScenarioHeaderSize));
  for (const scenario::target::CodeProblem& p : scenario::target::CheckCode(code, texts))
    problems.push_back(Format(texts.Tr("code offset 0x%06x: %s"), p.offset, p.what.c_str()));
  return problems;
}

bool MemberUnpacker::UnpackPrefix(const archive::Entry& entry, size_t count, std::vector<uint8_t>& out,
                                  std::string& why) {
  out.clear();
  if (budget_ < std::min<uint64_t>(count, entry.unpacked)) {
    why = texts_.Tr("left alone, since the members before it have made all that the file's bytes can");
    return false;
  }
  uint64_t made = 0;
  const archive::ReadError error = reader_.UnpackPrefix(entry, count, out, &made);
  budget_ -= std::min(budget_, made);
  if (error != archive::ReadError::kNone) {
    why = archive::Describe(error, texts_);
    return false;
  }
  return true;
}

bool MemberUnpacker::Unpack(const archive::Entry& entry, std::vector<uint8_t>& out, std::string& why) {
  out.clear();
  // The reader refuses these sizes before doing any work.
  const bool refusedAtOnce = uint64_t{entry.offset} + entry.packed > reader_.File().size() ||
                             entry.unpacked > archive::kMostUnpackedSize ||
                             entry.unpacked > archive::kMostExpansion * entry.packed;
  if (!refusedAtOnce) {
    if (entry.unpacked > budget_) {
      why = texts_.Tr("left alone, since the members before it have made all that the file's bytes can");
      return false;
    }
    budget_ -= entry.unpacked;  // the work is done whether or not the stream is sound
  }
  const archive::ReadError error = reader_.Unpack(entry, out);
  if (error != archive::ReadError::kNone) {
    why = archive::Describe(error, texts_);
    return false;
  }
  return true;
}

}  // namespace audit
