// The neutralising rules on any text, with every switch on: they must neither crash nor hang, the
// picture walks must give what the repeated first-match rules give, and the text rules log
// nothing (their guards are for the registry and the dumps, which work here).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/compose/neutralise.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace {

using namespace vellumo;

struct World {
  MemRegistry registry;
  Settings settings{registry};
  MemFileSystem fs;
  MemLog log;

  World() {
    fs.AddFolder("C:\\Vellumo");
    for (auto key : {"WipeoutHTML", "WipeOutFontControl", "WipeoutBlockquote", "WipeOutFileCompare",
                     "WipeoutHardRule", "RemoveReplyTags", "WipeoutReplyFontSmall"}) {
      settings.SaveSetting(kVellumo, "Admin Settings", key, "True");
    }
    settings.SaveSetting(kVellumo, "User Settings", "WipeoutDivTag", "True");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLBeginTag", "<table");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLEndTag", "</table>");
    settings.SaveSetting(kVellumo, "Admin Settings", "WipeoutHTMLTagsGroup", "TD,TR, TH,,<");
  }
};

template <typename Rule>
std::string Repeat(std::string text, Rule rule) {
  while (rule(text)) {
  }
  return text;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World();
  const std::string text(reinterpret_cast<const char*>(data), size);

  compose::WriteBeforeDump(world->settings, world->fs, world->log, "C:\\Vellumo", text);
  const std::string out =
      compose::ApplyUserTextRules(world->settings, world->fs, world->log, "C:\\Vellumo", text);
  (void)compose::ApplyReplyRules(world->settings, out);
  (void)compose::SwitchOffWordPictures(text);
  Check(world->log.entries.empty());

  // The repeated rules search from the start each time; keep them to inputs where that is cheap.
  if (size <= 16384) {
    Check(compose::SwitchPictures(text) == Repeat(text, compose::SwitchFirstPicture));
    Check(compose::RestorePictures(text) == Repeat(text, compose::RestoreFirstPicture));
    std::string both;
    if (!compose::SwitchAndRestorePicturesInto(text, both)) both = text;
    Check(both == compose::RestorePictures(compose::SwitchPictures(text)));
  }
  return 0;
}
