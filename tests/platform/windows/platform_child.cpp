// A small program the Windows platform tests start in a process of its own:
//   platform_child print   the console's texts, as the converter prints them
//   platform_child folder  ExecutableFolder() on standard output
//   platform_child key     exits with ReadKey()'s code
//   platform_child interrupt FOLDER c|after
//                          writes files in FOLDER as a conversion does and
//                          interrupts itself with Ctrl-C, while the handling
//                          is there or after it has ended
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "platform/windows/win32.h"

namespace {

// A console of its own to send the events through; standard output and
// error stay the pipes the test reads.
void TakeAConsoleOfItsOwn() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
  FreeConsole();
  AllocConsole();
  SetStdHandle(STD_OUTPUT_HANDLE, out);
  SetStdHandle(STD_ERROR_HANDLE, err);
}

bool Write(platform::OutputFile& file, std::string_view text) {
  return file.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The spool and the archive's temporary file open, an earlier file renamed
// into place: then the event. Returns only when the event ends nothing.
int Interrupt(const std::string& folder, std::string_view how) {
  TakeAConsoleOfItsOwn();
  std::optional<platform::InterruptionHandling> handling(std::in_place, "Interrupted.\n",
                                                         "Interrupted after the rename.\n");
  if (how == "after") handling.reset();
  std::optional<platform::OutputFile> spool = platform::OutputFile::Create(folder + "tmp.dat");
  std::optional<platform::OutputFile> renamed = platform::OutputFile::Create(folder + "renamed.part");
  if (!spool || !renamed || !Write(*spool, "spool") || !Write(*renamed, "renamed") || !renamed->Close())
    return 10;
  if (!platform::ReplaceFile(folder + "renamed.part", folder + "renamed")) return 11;
  std::optional<platform::OutputFile> part = platform::OutputFile::Create(folder + "DAV299.AVD.part");
  if (!part || !Write(*part, "part")) return 12;
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  Sleep(20000);  // the handler ends the process long before
  return 13;
}

}  // namespace

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
  if (mode == "interrupt" && argc == 4) return Interrupt(argv[2], argv[3]);
  return 2;
}
