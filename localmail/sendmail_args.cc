#include "localmail/sendmail_args.h"

#include <string_view>

namespace vellumo::localmail {
namespace {

enum class Action {
  kIgnore,       // accepted; means nothing for a local submission
  kExtract,      // -t
  kIgnoreDots,   // -i
  kFrom,         // -f, -r
  kFullName,     // -F
  kOption,       // -oX
  kMode,         // -bX
  kUnsupported,  // -q: a queue run
};

struct OptionRow {
  char letter;
  bool takes_value;
  Action action;
};

// Every option sendmail and its common replacements document; mail programs pass these.
constexpr OptionRow kOptions[] = {
    {'t', false, Action::kExtract}, {'i', false, Action::kIgnoreDots},
    {'f', true, Action::kFrom},     {'r', true, Action::kFrom},
    {'F', true, Action::kFullName}, {'o', true, Action::kOption},
    {'b', true, Action::kMode},     {'q', false, Action::kUnsupported},
    {'B', true, Action::kIgnore},   {'N', true, Action::kIgnore},
    {'R', true, Action::kIgnore},   {'V', true, Action::kIgnore},
    {'X', true, Action::kIgnore},   {'L', true, Action::kIgnore},
    {'C', true, Action::kIgnore},   {'O', true, Action::kIgnore},
    {'h', true, Action::kIgnore},   {'p', true, Action::kIgnore},
    {'d', true, Action::kIgnore},   {'e', true, Action::kIgnore},
    {'v', false, Action::kIgnore},  {'G', false, Action::kIgnore},
    {'U', false, Action::kIgnore},  {'m', false, Action::kIgnore},
    {'n', false, Action::kIgnore},  {'s', false, Action::kIgnore},
};

const OptionRow* FindOption(char letter) {
  for (const OptionRow& row : kOptions) {
    if (row.letter == letter) return &row;
  }
  return nullptr;
}

// Applies one option; false when the command line cannot be used (result.error says why).
bool Apply(const OptionRow& row, const std::string& value, SendmailCommandLine& result) {
  SendmailOptions& options = result.options;
  switch (row.action) {
    case Action::kExtract:
      options.extract_recipients = true;
      break;
    case Action::kIgnoreDots:
      options.ignore_dots = true;
      break;
    case Action::kFrom:
      options.from = value;
      break;
    case Action::kFullName:
      options.full_name = value;
      break;
    case Action::kOption:
      if (value == "i") options.ignore_dots = true;
      break;
    case Action::kMode:
      if (value != "m") {
        result.error = "only -bm (deliver a message) is supported, not -b" + value;
        return false;
      }
      break;
    case Action::kUnsupported:
      result.error = "queue runs (-q) are `vellumo send --outbox`";
      return false;
    case Action::kIgnore:
      break;
  }
  return true;
}

}  // namespace

const char kSendmailUsage[] =
    "Usage: vellumo [--home DIR] sendmail [OPTIONS] [--] [ADDRESS...]\n"
    "Reads a message from standard input and sends it through the local mail client.\n"
    "  -t          take the recipients from To, Cc and Bcc (and the addresses given)\n"
    "  -i, -oi     a line of one '.' does not end the message\n"
    "  -f FROM, -r FROM   envelope sender\n"
    "  -F NAME     the sender's full name, for a message without From\n"
    "  --          end of options: every later word is an address\n"
    "Accepted and ignored: -oX, -B, -N, -R, -V, -X, -L, -C, -O, -h, -p, -d, -eX, -v, -bm.\n"
    "Exit codes: 0 sent, 64 usage, 65 not a message, 69 cancelled, 75 queued for retry.\n";

SendmailCommandLine ParseSendmailArgs(const std::vector<std::string>& args) {
  SendmailCommandLine result;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (options_ended || word.size() < 2 || word[0] != '-') {
      result.options.addresses.push_back(word);
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    if (word == "--help" || word == "-?") {
      result.help = true;
      continue;
    }
    for (size_t j = 1; j < word.size(); ++j) {
      const OptionRow* row = FindOption(word[j]);
      if (row == nullptr) {
        result.warnings.push_back("sendmail: ignoring unknown option -" + std::string(1, word[j]));
        continue;
      }
      std::string value;
      if (row->takes_value) {
        if (j + 1 < word.size()) {
          value = word.substr(j + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          result.error = std::string("option -") + row->letter + " needs a value";
          return result;
        }
        j = word.size();
      }
      if (!Apply(*row, value, result)) return result;
    }
  }
  return result;
}

}  // namespace vellumo::localmail
