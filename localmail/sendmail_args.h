// The command line of `vellumo sendmail`, read the way sendmail reads its own: getopt style, so
// every argument vector that mail programs hand to /usr/sbin/sendmail works unchanged.
//
//   -- ends the options; an option's value is attached (-fFROM) or the next word (-f FROM);
//   flags cluster (-ti); options may come before or after the addresses.
//   -t, -i, -f/-r FROM, -F NAME: as sendmail; -oX is one word: -oi means -i, other -o options
//   are accepted and ignored, as are -B, -N, -R, -V, -X, -L, -C, -O, -h, -p, -d with their
//   values, -em (-eX), -v and the flags -G, -U, -m, -n, -s. -bm (deliver) is the only mode.
//   An unknown option is ignored with one warning, as sendmail replacements do.
//
// Pure: no platform, no state.
#pragma once

#include <string>
#include <vector>

#include "localmail/mail_tool.h"

namespace vellumo::localmail {

struct SendmailCommandLine {
  SendmailOptions options;
  bool help = false;
  // One line per ignored unknown option, for standard error.
  std::vector<std::string> warnings;
  // Not "" when the command line cannot be used (exit 64): a missing value, another mode.
  std::string error;
};

[[nodiscard]] SendmailCommandLine ParseSendmailArgs(const std::vector<std::string>& args);

// What `vellumo sendmail --help` prints.
extern const char kSendmailUsage[];

}  // namespace vellumo::localmail
