#include "base/translations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using base::Language;
using base::LanguageOfLocale;
using base::MoCatalog;

TEST(Language, TheFirstLocaleVariableThatIsSetDecides) {
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, nullptr), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale(nullptr, nullptr, "ja_JP.UTF-8"), Language::kJapanese);
  EXPECT_EQ(LanguageOfLocale(nullptr, "ja_JP.eucJP", "C"), Language::kJapanese);
  EXPECT_EQ(LanguageOfLocale("C", "ja_JP.UTF-8", "ja_JP.UTF-8"), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("", "", "ja"), Language::kJapanese);  // empty counts as unset
  EXPECT_EQ(LanguageOfLocale("en_US.UTF-8", nullptr, nullptr), Language::kEnglish);
  EXPECT_EQ(LanguageOfLocale("j", nullptr, nullptr), Language::kEnglish);
}

// A catalog as msgfmt lays it out: header, key table, value table, strings.
std::vector<uint8_t> Catalog(const std::vector<std::pair<std::string, std::string>>& entries,
                             bool bigEndian = false) {
  std::vector<uint8_t> mo(28 + 16 * entries.size());
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) mo[at + i] = static_cast<uint8_t>(v >> (bigEndian ? 24 - 8 * i : 8 * i));
  };
  put(0, 0x950412DE);
  put(8, static_cast<uint32_t>(entries.size()));
  put(12, 28);
  put(16, static_cast<uint32_t>(28 + 8 * entries.size()));
  for (int table = 0; table < 2; ++table) {
    for (size_t i = 0; i < entries.size(); ++i) {
      const std::string& s = table == 0 ? entries[i].first : entries[i].second;
      put(28 + 8 * entries.size() * table + 8 * i, static_cast<uint32_t>(s.size()));
      put(28 + 8 * entries.size() * table + 8 * i + 4, static_cast<uint32_t>(mo.size()));
      mo.insert(mo.end(), s.begin(), s.end());
      mo.push_back(0);
    }
  }
  return mo;
}

const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"", "Content-Type: text/plain; charset=CP932\n"}, {"Cancel", "\x92\x86\x8E\x7E"}, {"Done", "\x8F\x49"}};

TEST(MoCatalog, FindsEveryKeyInEitherByteOrderAndNothingElse) {
  for (bool bigEndian : {false, true}) {
    const std::vector<uint8_t> mo = Catalog(kEntries, bigEndian);
    const MoCatalog catalog(mo);
    ASSERT_TRUE(catalog.Valid());
    EXPECT_EQ(catalog.Size(), 3u);
    EXPECT_STREQ(catalog.Find("Cancel"), "\x92\x86\x8E\x7E");
    EXPECT_STREQ(catalog.Find("Done"), "\x8F\x49");
    EXPECT_EQ(catalog.Find("Don"), nullptr);
    EXPECT_EQ(catalog.Find("Zzz"), nullptr);
    EXPECT_EQ(catalog.Find(""), nullptr);  // the header is no message
  }
}

TEST(MoCatalog, AMalformedCatalogFindsNothingAndReadsNothingOutside) {
  const std::vector<uint8_t> good = Catalog(kEntries);
  std::vector<std::vector<uint8_t>> bad;
  bad.push_back({});
  bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 27));  // header cut
  bad.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1));     // last zero missing
  std::vector<uint8_t> magic = good;
  magic[0] ^= 1;
  bad.push_back(magic);
  std::vector<uint8_t> count = good;
  count[8] = 0xFF;
  count[11] = 0x7F;  // far more entries than bytes
  bad.push_back(count);
  std::vector<uint8_t> offset = good;
  offset[28 + 8 + 4 + 3] = 0x80;  // a key far outside
  bad.push_back(offset);
  bad.push_back(Catalog({{"", "h"}, {"b", "1"}, {"a", "2"}}));  // keys out of order
  for (const std::vector<uint8_t>& mo : bad) {
    const MoCatalog catalog(mo);
    EXPECT_FALSE(catalog.Valid());
    EXPECT_EQ(catalog.Find("Cancel"), nullptr);
  }
}

TEST(Translations, EnglishIsTheKeyAndJapaneseComesFromTheBuiltInCatalog) {
  EXPECT_TRUE(MoCatalog(base::JapaneseCatalog()).Valid());
  const base::Translations english(Language::kEnglish);
  EXPECT_STREQ(english.Tr("no such line"), "no such line");
  const base::Translations japanese(Language::kJapanese);
  EXPECT_STREQ(japanese.Tr("no such line"), "no such line");  // a key without an entry stays English
}

}  // namespace

// A translation is used only with its key's conversions in the key's order:
// one that reorders them would read a number as a string.
TEST(Translations, SameConversionsComparesTheConversionsInOrder) {
  using base::SameConversions;
  EXPECT_TRUE(SameConversions("%s: starts at %u, which ends at %llu", "%s: %u から %llu まで"));
  EXPECT_TRUE(SameConversions("100%% done: %06x", "%06x: 100%% 完了"));
  EXPECT_TRUE(SameConversions("no conversion", "変換なし"));
  EXPECT_FALSE(SameConversions("%s inside %s, ends at %llu", "%s: %llu で終わる %s"));
  EXPECT_FALSE(SameConversions("%zu items", "%u 個"));
  EXPECT_FALSE(SameConversions("%s", "%s %s"));
  EXPECT_FALSE(SameConversions("%s", ""));
  EXPECT_FALSE(SameConversions("%s", "%"));  // a conversion cut off
}
