#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The product's own lines in the user's language. The English text of a
// line is its key; the other languages' texts come from catalogs that the
// build compiles into the programs (po/<language>.po, held here in the
// console's Shift-JIS). The converter's historical Japanese messages are
// not keys: they stay as they are in every language.
namespace base {

enum class Language { kEnglish, kJapanese };

// The language that the locale variables name: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides (null: unset), and
// a value beginning with "ja" means Japanese. English otherwise.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// A message catalog in the GNU .mo form, read in place: a header, then two
// tables of (length, offset) pairs, the keys sorted and their translations
// in the same order, each string followed by a zero byte. Every offset is
// checked against the bytes before use; a malformed catalog finds nothing.
class MoCatalog {
 public:
  MoCatalog() = default;
  explicit MoCatalog(std::span<const uint8_t> mo);

  bool Valid() const { return count_ > 0; }
  // Entries, the catalog's own header entry (key "") included.
  size_t Size() const { return count_; }
  // The translation of `key`, zero-terminated; null when there is none.
  const char* Find(std::string_view key) const;

 private:
  std::string_view String(size_t table, size_t i) const;

  std::span<const uint8_t> mo_;
  bool bigEndian_ = false;
  size_t count_ = 0;
  size_t keys_ = 0;
  size_t values_ = 0;
};

// The catalog the build made of po/ja.po, in Shift-JIS.
std::span<const uint8_t> JapaneseCatalog();

// True when `a` and `b` hold the same printf conversions in the same order
// ("%s", "%06x", "%zu", ...; "%%" is none).
bool SameConversions(std::string_view a, std::string_view b);

// Marks a text kept apart from the call that translates it (a constant
// passed on), so that the catalog check finds it as a key.
constexpr const char* ToTranslate(const char* english) { return english; }

// One language's texts; small, copied freely.
class Translations {
 public:
  explicit Translations(Language language = Language::kEnglish);

  Language Lang() const { return language_; }
  // `english` in this language: the catalog's text, or `english` itself
  // when the catalog has none or one whose printf conversions differ. A
  // format's conversions are checked by the compiler against the arguments
  // as if `english` were passed.
  const char* Tr(const char* english) const __attribute__((format_arg(2)));

 private:
  Language language_;
  MoCatalog catalog_;
};

}  // namespace base
