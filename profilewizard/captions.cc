#include "profilewizard/captions.h"

namespace vellumo::resources {
extern const std::string_view kProfileWizardStrings;  // resources/strings/profilewizard.txt
extern const std::string_view kWizardHelpPage;       // resources/pages/wizard-custom-templates.html
extern const std::string_view kWizardLearnMorePage;  // resources/pages/wizard-learn-more.html
extern const std::string_view kWizardTourPage;       // resources/pages/wizard-tour.html
}  // namespace vellumo::resources

namespace vellumo::profilewizard {

const CaptionTable& WizardCaptions() {
  static const CaptionTable table =
      CaptionTable::Parse(resources::kProfileWizardStrings, "resources/strings/profilewizard.txt");
  return table;
}

std::string WizardText(const CaptionTable& captions, int entry) {
  const std::string* text = captions.Find(entry);
  return text != nullptr ? *text : std::string();
}

std::map<std::string, std::pair<std::string, std::string>> WizardPages() {
  constexpr std::string_view kHtml = "text/html; charset=utf-8";
  return {
      {"wizard-custom-templates.html",
       {std::string(kHtml), std::string(resources::kWizardHelpPage)}},
      {"wizard-learn-more.html",
       {std::string(kHtml), std::string(resources::kWizardLearnMorePage)}},
      {"wizard-tour.html", {std::string(kHtml), std::string(resources::kWizardTourPage)}},
  };
}

}  // namespace vellumo::profilewizard
