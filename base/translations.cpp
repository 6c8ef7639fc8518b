#include "base/translations.h"

#include <cstring>

namespace base {
namespace {

constexpr uint32_t kMagic = 0x950412DE;
constexpr size_t kHeaderSize = 28;

uint32_t Word(std::span<const uint8_t> bytes, size_t offset, bool bigEndian) {
  const uint8_t* p = bytes.data() + offset;
  return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                   : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

bool StartsWithJa(const char* value) { return value[0] == 'j' && value[1] == 'a'; }

}  // namespace

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value && *value) return StartsWithJa(value) ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

MoCatalog::MoCatalog(std::span<const uint8_t> mo) : mo_(mo) {
  if (mo.size() < kHeaderSize) return;
  if (Word(mo, 0, false) == kMagic)
    bigEndian_ = false;
  else if (Word(mo, 0, true) == kMagic)
    bigEndian_ = true;
  else
    return;
  if (Word(mo, 4, bigEndian_) != 0) return;  // a revision this reader does not know
  const uint64_t count = Word(mo, 8, bigEndian_);
  const uint64_t keys = Word(mo, 12, bigEndian_);
  const uint64_t values = Word(mo, 16, bigEndian_);
  if (keys > mo.size() || values > mo.size() || count > (mo.size() - keys) / 8 ||
      count > (mo.size() - values) / 8)
    return;
  keys_ = keys;
  values_ = values;
  count_ = count;
  // Every string must lie inside the bytes and end in a zero, and the keys
  // must be sorted for the search; anything else makes an empty catalog.
  for (size_t i = 0; i < count_; ++i) {
    for (size_t table : {keys_, values_}) {
      const uint64_t length = Word(mo, table + 8 * i, bigEndian_);
      const uint64_t offset = Word(mo, table + 8 * i + 4, bigEndian_);
      if (offset > mo.size() || length >= mo.size() - offset || mo[offset + length] != 0) {
        count_ = 0;
        return;
      }
    }
    if (i > 0 && !(String(keys_, i - 1) < String(keys_, i))) {
      count_ = 0;
      return;
    }
  }
}

std::string_view MoCatalog::String(size_t table, size_t i) const {
  const uint32_t length = Word(mo_, table + 8 * i, bigEndian_);
  const uint32_t offset = Word(mo_, table + 8 * i + 4, bigEndian_);
  return {reinterpret_cast<const char*>(mo_.data() + offset), length};
}

const char* MoCatalog::Find(std::string_view key) const {
  if (key.empty()) return nullptr;  // the catalog's own header
  size_t low = 0, high = count_;
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    const std::string_view k = String(keys_, mid);
    if (k == key) {
      const std::string_view value = String(values_, mid);
      return value.empty() ? nullptr : value.data();
    }
    if (k < key)
      low = mid + 1;
    else
      high = mid;
  }
  return nullptr;
}

Translations::Translations(Language language) : language_(language) {
  if (language == Language::kJapanese) catalog_ = MoCatalog(JapaneseCatalog());
}

bool SameConversions(std::string_view a, std::string_view b) {
  // The next conversion from `at` on ("%s", "%06x", "%zu"), or empty.
  const auto next = [](std::string_view text, size_t& at) -> std::string_view {
    while ((at = text.find('%', at)) != std::string_view::npos) {
      if (at + 1 < text.size() && text[at + 1] == '%') {
        at += 2;
        continue;
      }
      const size_t end = text.find_first_of("diouxXeEfFgGaAcspn", at + 1);
      const size_t start = at;
      at = end == std::string_view::npos ? text.size() : end + 1;
      return text.substr(start, at - start);
    }
    at = text.size();
    return {};
  };
  size_t i = 0, j = 0;
  for (;;) {
    const std::string_view x = next(a, i), y = next(b, j);
    if (x != y) return false;
    if (x.empty()) return true;
  }
}

const char* Translations::Tr(const char* english) const {
  const char* text = catalog_.Find(english);
  // A translation whose conversions differ from its key's would read the
  // arguments wrongly: the key serves instead.
  return text != nullptr && SameConversions(english, text) ? text : english;
}

}  // namespace base
