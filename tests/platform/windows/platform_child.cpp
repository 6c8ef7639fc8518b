// A small program the Windows platform tests start in a process of its own:
//   platform_child print   the console's texts, as the converter prints them
//   platform_child folder  ExecutableFolder() on standard output
//   platform_child key     exits with ReadKey()'s code
#include <cstdio>
#include <string_view>

#include "platform/console.h"
#include "platform/paths.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "print") {
    platform::Console console;
    console.Print("\x92\x86\x8E~\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n\n");  // 中止しました.
    console.ShowProgress("Pictures: 1 done, now A.MOE");
    console.Printf("%s %zu\r\n", "\x83L\x83\x8B\x83i\x81[\x83g", size_t{42});
    console.ClearProgress();
    console.Print(std::string_view("\x00\x80\xFF\x81", 4));  // a lone lead byte at the end
    return 0;
  }
  if (mode == "folder") {
    const std::string folder = platform::ExecutableFolder();
    std::fwrite(folder.data(), 1, folder.size(), stdout);
    return 0;
  }
  if (mode == "key") return platform::ReadKey();
  return 2;
}
