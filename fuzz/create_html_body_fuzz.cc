// CreateHTMLBody on any message, template and signature text, with every rule switched on.
// Input: one flags byte, then message, template and signature separated by the byte 0x1E.
// Flags: bit 0 reply, bit 1 preview, bits 2-3 the item (HTML, plain text, word editor 9.0,
// word editor 11.0), bit 4 answer No to the script question, bit 5 separator at cut 0.
// It must neither crash nor hang, and a stage that fails must give back the message unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/compose/compose_windows.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "platform/ui/answering_host.h"

namespace {

using namespace vellumo;

constexpr char kSeparator = '\x1e';
constexpr std::string_view kTemplatePath = "C:\\Templates\\t.htm";

struct World {
  MemRegistry registry;
  Settings settings{registry};
  MemFileSystem fs;
  MemClock clock;
  MemLog log;
  mail::MemApplication app{&fs};

  World() {
    fs.AddFolder("C:\\Vellumo");
    for (auto key : {"WipeoutHTML", "WipeOutFontControl", "WipeoutBlockquote", "WipeOutFileCompare",
                     "WipeoutHardRule", "RemoveReplyTags", "WipeoutReplyFontSmall", "FormatWarning",
                     "WipeoutRemoveConvertedBR"}) {
      settings.SaveSetting(kVellumo, "Admin Settings", key, "True");
    }
    for (auto key : {"WipeoutDivTag", "InsertDate", "InsertTime"}) {
      settings.SaveSetting(kVellumo, "User Settings", key, "True");
    }
    settings.SaveSetting(kVellumo, "User Settings", "InsertFontControl", "<font size=1>");
    settings.SaveSetting(kVellumo, "User Settings", "Signature", "sig.htm");
    settings.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", "C:\\Sigs");
    settings.SaveSetting(kVellumo, "Admin Settings", "HTM Files Path", "C:\\Templates");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLBeginTag", "<table");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLEndTag", "</table>");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLTagsGroup", "TD,TR,<");
    settings.SaveSetting(kVellumo, "Template Settings", "UserCode1", "[#");
    settings.SaveSetting(kVellumo, "Template Settings", "UserSwap1", "[#[#");
  }
};

std::vector<std::string_view> Parts(std::string_view data) {
  std::vector<std::string_view> parts;
  for (size_t at = data.find(kSeparator); at != std::string_view::npos && parts.size() < 2;
       at = data.find(kSeparator)) {
    parts.push_back(data.substr(0, at));
    data.remove_prefix(at + 1);
  }
  parts.push_back(data);
  while (parts.size() < 3) parts.emplace_back();
  return parts;
}

bool Logged(const MemLog& log, std::string_view label) {
  for (const MemLog::Entry& e : log.entries) {
    if (e.c == label) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World();
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::vector<std::string_view> parts =
      Parts(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  const std::string message(parts[0]);
  world->fs.AddFile(kTemplatePath, parts[1]);
  world->fs.AddFile("C:\\Sigs\\sig.htm", parts[2]);
  world->log.entries.clear();

  const int item_kind = (flags >> 2) & 3;
  world->app.SetDefaultEditor(item_kind >= 2 ? mail::EditorType::kWord : mail::EditorType::kHtml);
  world->app.SetWordVersion(item_kind == 3 ? "11.0" : "9.0");
  std::shared_ptr<mail::MailItem> item = world->app.CreateMailItem();
  item->SetHTMLBody(item_kind == 0 ? message : std::string());
  item->SetBody(message);

  compose::SendState state;
  state.CurrentItem = item;
  state.ApplicationPath = "C:\\Vellumo";
  state.IsReply = (flags & 1) != 0;
  state.ReplySeparator = "<hr";
  state.ReplyCutBefore = (flags & 32) != 0 ? "0" : "1";
  state.PreviewMode = (flags & 2) != 0;

  ui::AnsweringHost host((flags & 16) != 0);
  compose::FileListWindows windows(world->fs, host);
  compose::Composer composer(compose::ComposeDeps{world->settings, world->fs, world->clock, host,
                                                  world->log, windows, nullptr});
  std::string path(kTemplatePath);
  const std::string result = composer.CreateHTMLBody(message, path, state);

  if ((Logged(world->log, "NoFile_Err") || Logged(world->log, "Signature_Err") ||
       Logged(world->log, "WordFileOpen_Err")) &&
      result != message) {
    std::abort();
  }
  if (path != kTemplatePath) std::abort();
  return 0;
}
