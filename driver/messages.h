#pragma once

#include <string_view>

#include "base/translations.h"

// The driver's console texts, as the Shift-JIS bytes it prints.
namespace driver::text {

// “ぬるがた”\n
inline constexpr std::string_view kBanner1 = "\x81g\x82\xCA\x82\xE9\x82\xAA\x82\xBD\x81h\x0A";
// 「キルナート」 データコンバータ for 「ぽるてぃ for Zaurus/PocketPC」\n
inline constexpr std::string_view kBanner2 =
    "\x81u\x83L\x83\x8B\x83i\x81[\x83g\x81v \x83"
    "f\x81[\x83^\x83R\x83\x93\x83o\x81[\x83^ for \x81u\x82\xDB\x82\xE9\x82\xC4\x82\xA1 for "
    "Zaurus/PocketPC\x81v\x0A";
// Version %s\n\n (a macro, so that the compiler checks the format against its argument)
#define AVD_VERSION_FORMAT "Version %s\x0A\x0A"
// ##### 「キルナート」がインストールされている #####\n
inline constexpr std::string_view kPrompt1 =
    "##### \x81u\x83L\x83\x8B\x83i\x81[\x83g\x81v\x82\xAA\x83"
    "C\x83\x93\x83X\x83g\x81[\x83\x8B\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9 #####\x0A";
// ##### フォルダを選択してください。                     #####\n\n
inline constexpr std::string_view kPrompt2 =
    "##### \x83t\x83H\x83\x8B\x83_\x82\xF0\x91I\x91\xF0\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81"
    "B                     #####\x0A\x0A";
// 中止しました.\n\n
inline constexpr std::string_view kCancelled = "\x92\x86\x8E~\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\x0A\x0A";
// アーカイブ作成に失敗しました.\n\n
inline constexpr std::string_view kSpoolFailed =
    "\x83"
    "A\x81[\x83J\x83"
    "C\x83u\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\x0A\x0A";
// ... コンバート中です\n\n
inline constexpr std::string_view kConverting =
    "... \x83R\x83\x93\x83o\x81[\x83g\x92\x86\x82\xC5\x82\xB7\x0A\x0A";
// 終了しました.\n\n
inline constexpr std::string_view kFinished = "\x8FI\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\x0A\x0A";
// 何かキーを押してください.\n
inline constexpr std::string_view kPressAKey =
    "\x89\xBD\x82\xA9\x83L\x81[\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2.\x0A";

// The version, from the file VERSION through the build.
inline constexpr const char* kVersion = AVD_VERSION;

// The one line of a conversion stopped by a signal, and of one stopped after
// the archive was put in place.
// (English: the keys of their translations.)
inline constexpr const char* kInterrupted =
    base::ToTranslate("Interrupted: the conversion was stopped and no archive was written.\n");
inline constexpr const char* kInterruptedAfterWriting =
    base::ToTranslate("Interrupted: the archive was written, then the conversion was stopped.\n");

// The converter's own folder cannot be found: there is nowhere to take DATA
// from and to put the archive.
inline constexpr const char* kNoConverterFolder = base::ToTranslate(
    "avdconv: cannot find the converter's own folder, which holds DATA and receives DAV299.AVD\n");

}  // namespace driver::text
