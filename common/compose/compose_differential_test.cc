// The composition's results, recorded before its rules were rewritten to work in one pass, checked
// byte for byte (as digests) over generated cases, the fuzz corpora and the real-world HTML. Any
// change of output on any case fails and names the case and the step whose output changed.
//
// To record anew after an intended change of behaviour:
//   VELLUMO_RECORD_DIGESTS=1 build/asan/common/compose/vellumo_compose_test
//     --gtest_filter='ComposeDifferential.*'   (one command line)
// writes common/compose/testdata/composition_digests.txt in the source tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/compose/compose_windows.h"
#include "common/compose/create_html_body.h"
#include "common/compose/fill_tables.h"
#include "common/compose/neutralise.h"
#include "common/compose/placeholders.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "platform/ui/answering_host.h"
#include "tests/support/source_dir.h"

namespace vellumo::compose {
namespace {

namespace stdfs = std::filesystem;

constexpr std::string_view kTemplatePath = "C:\\Templates\\t.htm";
constexpr int kGeneratedCases = 3000;

uint64_t Fnv(std::string_view bytes, uint64_t hash = 1469598103934665603ULL) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  return hash;
}

// Raw generator output only: the standard distributions differ between libraries.
class Dice {
 public:
  explicit Dice(uint64_t seed) : engine_(seed) {}
  size_t Below(size_t n) { return static_cast<size_t>(engine_() % n); }
  bool Coin() { return Below(2) == 0; }
  template <class T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(from.size())];
  }

 private:
  std::mt19937_64 engine_;
};

// Pieces that make every rule and fill do something, and some that nearly do.
std::vector<std::string> Fragments() {
  std::vector<std::string> pieces = {
      "<img src=a.png>",
      "<IMG alt=x src=b>",
      "<img id=rid1>",
      "<iMg",
      ">",
      "<xxxIMG",
      "<xxximg src=c>",
      "alt=",
      "id=rid",
      "<body bgcolor=red>",
      "<BODY>",
      "<body>",
      "<bodyx>",
      "<style>",
      "</style>",
      "<STYLE>p{}</STYLE>",
      "<style type=t>",
      "face=Arial ",
      "size=2 ",
      "<div>",
      "</div>",
      "<DIV>",
      "BLOCKQUOTE",
      "blockquote",
      "<hr>",
      "<HR size=1>",
      "<hr",
      "www.example.com",
      "www.",
      " www.a.b/c?d ",
      "<table>",
      "</table>",
      "<TD>",
      "TR",
      "<p>",
      "<P>",
      "<BR>\r\n<BR>",
      "<BR>",
      "\r\n",
      "\n",
      "\r",
      " ",
      "&amp;",
      "<",
      "&",
      "\xc3\xa9t\xc3\xa9",
      "\xe2\x82\xac",
      "\xff\xfe",
      "\xe2\x82",
      "\xc4\xb0",
      "\xe2\x84\xaa",
      "[#",
      "#]",
      "[#Input your message here#]",
      "[#SigQuote#]",
      "file://x",
      "-----Original Message-----",
      "Hello there, this is the user's own text. ",
  };
  auto add_finds = [&](std::span<const FieldFill> fields) {
    for (const FieldFill& f : fields) pieces.emplace_back(f.find);
  };
  auto add_replacements = [&](std::span<const Replacement> replacements) {
    for (const Replacement& r : replacements) pieces.emplace_back(r.find);
  };
  for (const EmptyLineFamily* family :
       {&kPositionFamily, &kTelephoneFamily, &kFaxFamily, &kCellFamily}) {
    add_replacements(family->patterns);
    add_finds(family->fills);
    if (!family->label.find.empty()) pieces.emplace_back(family->label.find);
  }
  for (std::span<const FieldFill> fields :
       {kAddressFields, kCompositionNameFields, kCompositionOtherFields, kSignatureFileFirstFields,
        kSignatureFileLinkFields, kSignatureFileRtfAddressFields}) {
    add_finds(fields);
  }
  pieces.emplace_back(kBackgroundColourField.find);
  pieces.emplace_back(kSignatureFileFax.placeholder);
  pieces.emplace_back(kSignatureFileCell.placeholder);
  add_replacements(kSignatureFileLeftovers);
  return pieces;
}

std::string Text(Dice& dice, const std::vector<std::string>& pieces, size_t max_pieces) {
  std::string out;
  const size_t n = dice.Below(max_pieces + 1);
  for (size_t i = 0; i < n; ++i) {
    if (dice.Below(4) == 0) {
      out += static_cast<char>('a' + dice.Below(26));
    } else {
      out += dice.Pick(pieces);
    }
  }
  return out;
}

// One case: the fuzz target's input (flags, message, template, signature) and the settings.
struct Case {
  std::string name;
  uint8_t flags = 0;
  std::string message;
  std::string template_text;
  std::string signature;
  std::map<std::pair<std::string, std::string>, std::string> settings;  // (section, key) -> value
};

const std::vector<std::string> kAdminSwitches = {
    "WipeoutHTML",           "WipeOutFontControl", "WipeoutBlockquote",
    "WipeOutFileCompare",    "WipeoutHardRule",    "RemoveReplyTags",
    "WipeoutReplyFontSmall", "FormatWarning",      "WipeoutRemoveConvertedBR",
    "WipeoutSignatureTable", "SendQuote",          "RTFOnly"};
const std::vector<std::string> kUserSwitches = {"WipeoutDivTag", "InsertDate", "InsertTime"};

// Every switch on, as the fuzz target runs.
Case AllOn(std::string name) {
  Case c;
  c.name = std::move(name);
  for (const std::string& key : kAdminSwitches) c.settings[{"Admin Settings", key}] = "True";
  for (const std::string& key : kUserSwitches) c.settings[{"User Settings", key}] = "True";
  c.settings[{"Admin Settings", "WipeoutHTMLBeginTag"}] = "<table";
  c.settings[{"Admin Settings", "WipeoutHTMLEndTag"}] = "</table>";
  c.settings[{"Admin Settings", "WipeoutHTMLTagsGroup"}] = "TD,TR,<";
  c.settings[{"Template Settings", "UserCode1"}] = "[#";
  c.settings[{"Template Settings", "UserSwap1"}] = "[#[#";
  c.settings[{"User Settings", "InsertFontControl"}] = "<font size=1>";
  return c;
}

Case Generated(int n, const std::vector<std::string>& pieces) {
  Dice dice(0x5eed0000ULL + static_cast<uint64_t>(n));
  Case c;
  c.name = "generated-" + std::to_string(n);
  c.flags = static_cast<uint8_t>(dice.Below(64));
  c.message = Text(dice, pieces, 40);
  c.template_text = Text(dice, pieces, 12);
  if (dice.Below(4) != 0) {
    c.template_text.insert(dice.Below(c.template_text.size() + 1), "[#Input your message here#]");
  }
  c.signature = Text(dice, pieces, 6);
  for (const std::string& key : kAdminSwitches) {
    if (dice.Coin()) c.settings[{"Admin Settings", key}] = dice.Below(8) == 0 ? "true" : "True";
  }
  for (const std::string& key : kUserSwitches) {
    if (dice.Coin()) c.settings[{"User Settings", key}] = "True";
  }
  const std::vector<std::string> begins = {"", "<table", "<TD", "<", "www."};
  const std::vector<std::string> ends = {"", "</table>", ">", "#]"};
  const std::vector<std::string> groups = {"", "TD,TR,<", "NONE", "img,,div", " TD ,<p>", "x"};
  c.settings[{"Admin Settings", "WipeoutHTMLBeginTag"}] = dice.Pick(begins);
  c.settings[{"Admin Settings", "WipeoutHTMLEndTag"}] = dice.Pick(ends);
  c.settings[{"Admin Settings", "WipeoutHTMLTagsGroup"}] = dice.Pick(groups);
  if (dice.Coin()) c.settings[{"Admin Settings", "WipeoutReplySeparator"}] = dice.Pick(pieces);
  for (const UserSubstitution& pair : kUserSubstitutions) {
    if (dice.Below(3) != 0) continue;
    c.settings[{"Template Settings", std::string(pair.code_key)}] = dice.Pick(pieces);
    c.settings[{"Template Settings", std::string(pair.swap_key)}] = Text(dice, pieces, 3);
  }
  // Profile values: some empty (their lines go), some holding markup or more placeholders.
  for (const std::string& piece : pieces) {
    if (piece.size() < 5 || !piece.starts_with("[#") || !piece.ends_with("#]")) continue;
    const std::string key = piece.substr(2, piece.size() - 4);
    const size_t roll = dice.Below(4);
    if (roll == 0) c.settings[{"Admin Settings", key}] = "";
    if (roll == 1) c.settings[{"Admin Settings", key}] = Text(dice, pieces, 2);
  }
  return c;
}

// The digests of one case, one per step whose output is recorded.
std::vector<uint64_t> Run(const Case& c) {
  MemRegistry registry;
  Settings settings(registry);
  MemFileSystem fs;
  MemClock clock;
  MemLog log;
  mail::MemApplication app(&fs);
  fs.AddFolder("C:\\Vellumo");
  settings.SaveSetting(kVellumo, "User Settings", "Signature", "sig.htm");
  settings.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", "C:\\Sigs");
  settings.SaveSetting(kVellumo, "Admin Settings", "HTM Files Path", "C:\\Templates");
  for (const auto& [id, value] : c.settings) {
    settings.SaveSetting(kVellumo, id.first, id.second, value);
  }
  fs.AddFile(kTemplatePath, c.template_text);
  fs.AddFile("C:\\Sigs\\sig.htm", c.signature);

  const int item_kind = (c.flags >> 2) & 3;
  app.SetDefaultEditor(item_kind >= 2 ? mail::EditorType::kWord : mail::EditorType::kHtml);
  app.SetWordVersion(item_kind == 3 ? "11.0" : "9.0");
  std::shared_ptr<mail::MailItem> item = app.CreateMailItem();
  item->SetHTMLBody(item_kind == 0 ? c.message : std::string());
  item->SetBody(c.message);

  SendState state;
  state.CurrentItem = item;
  state.ApplicationPath = "C:\\Vellumo";
  state.IsReply = (c.flags & 1) != 0;
  state.ReplySeparator = "<hr";
  state.ReplyCutBefore = (c.flags & 32) != 0 ? "0" : "1";
  state.PreviewMode = (c.flags & 2) != 0;

  ui::AnsweringHost host((c.flags & 16) != 0);
  FileListWindows windows(fs, host);
  Composer composer(ComposeDeps{settings, fs, clock, host, log, windows, nullptr});
  std::string path(kTemplatePath);
  const std::string composed = composer.CreateHTMLBody(c.message, path, state);

  std::string logged;
  for (const MemLog::Entry& e : log.entries) logged += e.kind + "|" + e.a + "|" + e.b + "|" + e.c;
  const std::string group = settings.Get(keys::WipeoutHTMLTagsGroup);
  return {
      Fnv(composed),
      Fnv(logged + path),
      Fnv(fs.Contents("C:\\Vellumo\\beforetext.txt").value_or("-") + "\x1f" +
          fs.Contents("C:\\Vellumo\\aftertext.txt").value_or("-")),
      Fnv(ApplyUserTextRules(settings, fs, log, "C:\\Vellumo", c.message)),
      Fnv(SwitchOffWordPictures(c.message) + "\x1f" + MakeWwwLinks(c.message) + "\x1f" +
          MakeWwwLinks(c.message, c.signature)),
      Fnv(RemoveReplyTags(c.message, settings.Get(keys::WipeoutHTMLBeginTag),
                          settings.Get(keys::WipeoutHTMLEndTag), group)),
      Fnv(FillCompositionPlaceholders(settings, c.template_text + c.message)),
      Fnv(FillSignatureFilePlaceholders(settings, c.template_text + c.message)),
      Fnv(ApplyUserSubstitutions(settings, c.message)),
  };
}

constexpr const char* kStepNames[] = {
    "CreateHTMLBody",           "log and template path",       "before/after dumps",
    "user-text rules",          "word pictures and links",     "reply tags",
    "composition placeholders", "signature-file placeholders", "user substitutions"};

// A fuzz input: flags byte, then message, template and signature separated by 0x1E.
Case FromFuzzInput(std::string name, std::string_view data) {
  Case c = AllOn(std::move(name));
  if (data.empty()) return c;
  c.flags = static_cast<uint8_t>(data[0]);
  data.remove_prefix(1);
  std::vector<std::string> parts;
  for (size_t at = data.find('\x1e'); at != std::string_view::npos && parts.size() < 2;
       at = data.find('\x1e')) {
    parts.emplace_back(data.substr(0, at));
    data.remove_prefix(at + 1);
  }
  parts.emplace_back(data);
  parts.resize(3);
  c.message = parts[0];
  c.template_text = parts[1];
  c.signature = parts[2];
  return c;
}

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  const std::vector<std::string> pieces = Fragments();
  for (int n = 0; n < kGeneratedCases; ++n) cases.push_back(Generated(n, pieces));
  const stdfs::path corpora = test_support::SourceDir() / "fuzz" / "corpus";
  for (const char* target : {"create_html_body_fuzz", "neutralise_fuzz", "link_maker_fuzz"}) {
    std::vector<stdfs::path> files;
    for (const auto& entry : stdfs::directory_iterator(corpora / target)) {
      files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const stdfs::path& file : files) {
      const std::string data = ReadAll(file);
      const std::string name = std::string(target) + "/" + file.filename().string();
      if (std::string_view(target) == "create_html_body_fuzz") {
        cases.push_back(FromFuzzInput(name, data));
      } else {
        Case c = AllOn(name);
        c.message = data;
        c.template_text = "<html><body>[#Input your message here#]</body></html>";
        cases.push_back(std::move(c));
      }
    }
  }
  return cases;
}

// The real-world HTML is not in every checkout; its cases are digested apart so that a checkout
// without it still checks the rest.
std::vector<Case> RealWorldCases() {
  std::vector<Case> cases;
  const stdfs::path folder = test_support::RealWorldDir() / "html";
  if (!stdfs::is_directory(folder)) return cases;
  std::vector<stdfs::path> files;
  for (const auto& entry : stdfs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".html") files.push_back(entry);
  }
  std::sort(files.begin(), files.end());
  for (const stdfs::path& file : files) {
    const std::string html = ReadAll(file);
    const std::string name = "realworld/" + stdfs::relative(file, folder).string();
    for (uint8_t flags : {0, 1, 4, 13}) {
      Case as_message = AllOn(name + "/message/" + std::to_string(flags));
      as_message.flags = flags;
      as_message.message = html;
      as_message.template_text = "<html><body>[#Input your message here#][#SigFullname#]</body>";
      cases.push_back(std::move(as_message));
    }
    Case as_template = AllOn(name + "/template");
    as_template.message = "<p>Hello www.example.com</p>";
    as_template.template_text = html;
    cases.push_back(std::move(as_template));
  }
  return cases;
}

std::string Line(const Case& c) {
  std::ostringstream line;
  line << c.name;
  for (uint64_t digest : Run(c)) line << ' ' << std::hex << digest;
  return line.str();
}

stdfs::path DigestFile(std::string_view name) {
  return test_support::SourceDir() / "common" / "compose" / "testdata" / name;
}

void Check(const std::vector<Case>& cases, std::string_view file_name) {
  const stdfs::path file = DigestFile(file_name);
  if (const char* record = std::getenv("VELLUMO_RECORD_DIGESTS"); record && *record) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const Case& c : cases) out << Line(c) << '\n';
    ASSERT_TRUE(out.good()) << "cannot write " << file;
    GTEST_SKIP() << "recorded " << cases.size() << " cases in " << file;
  }
  std::map<std::string, std::string> recorded;
  std::istringstream in(ReadAll(file));
  for (std::string line; std::getline(in, line);) {
    recorded[line.substr(0, line.find(' '))] = line;
  }
  ASSERT_FALSE(recorded.empty()) << "no recorded digests in " << file;
  EXPECT_EQ(recorded.size(), cases.size()) << file << " records another set of cases";
  int failures = 0;
  for (const Case& c : cases) {
    const std::string now = Line(c);
    const auto found = recorded.find(c.name);
    if (found != recorded.end() && found->second == now) continue;
    if (++failures > 10) continue;
    if (found == recorded.end()) {
      ADD_FAILURE() << c.name << ": not recorded in " << file;
      continue;
    }
    std::istringstream was(found->second);
    std::istringstream is(now);
    std::string a;
    std::string b;
    was >> a;
    is >> b;
    for (const char* step : kStepNames) {
      was >> a;
      is >> b;
      if (a != b) ADD_FAILURE() << c.name << ": the output of " << step << " changed";
    }
  }
  EXPECT_EQ(failures, 0) << "cases whose output changed";
}

TEST(ComposeDifferential, GeneratedCasesAndFuzzCorporaGiveTheRecordedOutput) {
  Check(AllCases(), "composition_digests.txt");
}

TEST(ComposeDifferential, RealWorldHtmlGivesTheRecordedOutput) {
  const std::vector<Case> cases = RealWorldCases();
  if (cases.empty()) GTEST_SKIP() << test_support::NoRealWorldInputs(test_support::RealWorldDir());
  Check(cases, "composition_realworld_digests.txt");
}

}  // namespace
}  // namespace vellumo::compose
