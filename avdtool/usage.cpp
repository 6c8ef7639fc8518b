// avdtool's --help.
#include "avdtool/usage.h"

#include "avdtool/exit_status.h"

namespace avdtool {

std::string Usage(const base::Translations& texts) {
  return std::string(
             texts.Tr("usage:\n"
                      "  avdtool list ARCHIVE [--sort name|offset|size]\n"
                      "      one line per member: name, kind, packed and unpacked size, ratio,\n"
                      "      offset, and a picture's stored size or a scenario's code length; then\n"
                      "      the totals\n"
                      "  avdtool list ARCHIVE --references SCENARIO\n"
                      "      the pictures the scenario member shows, one a line: code offset,\n"
                      "      background or sprite, the member NAME.PDT, and missing where the\n"
                      "      archive lacks it\n"
                      "  avdtool verify ARCHIVE\n"
                      "      checks everything the archive format promises, one line per problem,\n"
                      "      then that every picture the scenarios show has its member: one line per\n"
                      "      missing picture with the first places that show it (scenario, code\n"
                      "      offset)\n"
                      "  avdtool extract ARCHIVE [-d DIR] [--png] [NAME...]\n"
                      "      writes every member, or those named, into DIR (created with its\n"
                      "      parents; default: the current folder), never outside it and never over\n"
                      "      a file already there; --png also writes each picture X.PDT as X.png.\n"
                      "      -d DIR may be written -dDIR, --directory DIR or --directory=DIR\n"
                      "  avdtool contact-sheet ARCHIVE OUT.png [--columns N] [--force]\n"
                      "      one PNG with every picture as a labelled thumbnail, N to a row (1 to 64,\n"
                      "      default 6); an OUT.png already there is replaced only with --force\n"
                      "  avdtool disasm ARCHIVE [NAME...]\n"
                      "      lists the code of every scenario member, or of those named: the header's\n"
                      "      fields, then one instruction a line:\n"
                      "        000012  15 28 3b 15 11 29 ..  if.ne        5, 1, -> 0x00001f\n"
                      "      code offset, the first bytes (at most six; .. when there are more),\n"
                      "      mnemonic (a role name, or op and the opcode.sub-code), operands: numbers\n"
                      "      in decimal, texts in quotes in the console's codeset with control bytes\n"
                      "      as \\xNN, jumps as -> and the target's code offset. \"00001f:\" stands\n"
                      "      before every instruction a jump lands on; a byte no instruction form\n"
                      "      matches is a db line, and the listing goes on with the next byte\n"
                      "  avdtool disasm --source FILE.SIO\n"
                      "      lists a source scenario the same way, by source offset, as the\n"
                      "      converter walks it: the offset of a \"Jump point (0x....) not found\"\n"
                      "      line is found here; v300 is variable 300\n"
                      "  avdtool --help\n")) +
         "\n" + StatusHelp(texts) + "\n" +
         texts.Tr(
             "Language: Japanese when the first of LC_ALL, LC_MESSAGES and LANG that is\n"
             "set begins with \"ja\" (on Windows: when the user's display language is\n"
             "Japanese), English otherwise. The tables of list and disasm are the same\n"
             "in every language, for the scripts that read them.\n");
}

}  // namespace avdtool
