// The controls of the set-up wizard's window as designed: one frame per step, their fields and
// panels, captions from the wizard's caption table (Tags and tool tips hold the entries), places
// in twips. The navigation buttons are the shared frame's (AddWizardNavButtons).
#include "profilewizard/profile_assistant_design.h"

namespace vellumo::profilewizard {
namespace {

using enum ui::ControlKind;
using ui::kHidden;
using ui::kMultiline;

constexpr int kWidth = 9000;
constexpr int kStepHeight = 5640;

// name, kind, design caption, Tag, tool tip, left, top, width, height, flags, frame.
constexpr ui::ControlDesign kControls[] = {
    // Step 0: introduction, signatures and the default template.
    {"fraStep0", kFrame, "Introduction", "1000", "", 0, 0, kWidth, kStepHeight},
    {"imgLogo", kImage, "", "", "", 240, 240, 1200, 1200, kHidden, "fraStep0"},
    {"lblIntro", kLabel, "", "1001", "", 240, 300, 8400, 1100, kMultiline, "fraStep0"},
    {"chkSkipIntro", kCheckBox, "&Skip this screen in the future.", "1002", "", 240, 1500, 4800,
     255, 0, "fraStep0"},
    {"cmdTour", kCommandButton, "Quickstart Tour", "1003", "", 240, 1900, 2000, 375, 0, "fraStep0"},
    {"cmdLearnMore", kCommandButton, "I need to learn more", "1004", "", 2400, 1900, 2400, 375, 0,
     "fraStep0"},
    {"lblSig", kLabel, "Signature", "1007", "", 240, 2600, 1800, 255, 0, "fraStep0"},
    {"cboSig", kComboBox, "", "", "", 2100, 2570, 3600, 315, 0, "fraStep0"},
    {"cmdAdd", kCommandButton, "New Signature", "1005", "", 5820, 2560, 1500, 375, 0, "fraStep0"},
    {"cmdRemoveSig", kCommandButton, "Remove ", "1006", "", 7440, 2560, 1300, 375, 0, "fraStep0"},
    {"lblTemplates", kLabel, "Default template", "1008", "", 240, 3100, 1800, 255, 0, "fraStep0"},
    {"cboTemplates", kComboBox, "", "", "", 2100, 3070, 3600, 315, 0, "fraStep0"},

    // Step 1: addresses, bilingual box, vCard panel, preview box.
    {"fraStep1", kFrame, "Step 1", "2000", "", 0, 0, kWidth, kStepHeight, kHidden},
    {"lblStep1", kLabel, "", "2001", "", 240, 300, 8400, 600, kMultiline, "fraStep1"},
    {"fraAddresses", kFrame, "Enter your email address and your website address", "2010", "", 240,
     960, 8520, 1500, 0, "fraStep1"},
    {"lblEmail", kLabel, "Email address", "2020", "", 120, 300, 2200, 255, 0, "fraAddresses"},
    {"txtEmail", kTextBox, "", "", "", 2400, 270, 2900, 315, 0, "fraAddresses"},
    {"lblWebsite", kLabel, "Web site address", "2021", "", 120, 690, 2200, 255, 0, "fraAddresses"},
    {"txtWebsite", kTextBox, "", "", "", 2400, 660, 2900, 315, 0, "fraAddresses"},
    {"txtWebsiteFR", kTextBox, "", "", "Web site address, second language", 5460, 660, 2900, 315,
     kHidden, "fraAddresses"},
    {"lblDisplayName", kLabel, "Web site display name", "2022", "", 120, 1080, 2200, 255, 0,
     "fraAddresses"},
    {"txtDisplayName", kTextBox, "", "", "", 2400, 1050, 2900, 315, 0, "fraAddresses"},
    {"txtDisplayNameFR", kTextBox, "", "", "Web site display name, second language", 5460, 1050,
     2900, 315, kHidden, "fraAddresses"},
    {"chkBilingual", kCheckBox, "Use a bilingual format", "2023", "", 240, 2580, 4000, 255, 0,
     "fraStep1"},
    {"fraVCard", kFrame, "vCard", "", "", 240, 2940, 8520, 1560, 0, "fraStep1"},
    {"chkVCard", kCheckBox, "I attach vCard to my emails", "2025", "", 120, 300, 4000, 255, 0,
     "fraVCard"},
    {"cboVcard", kComboBox, "", "", "Your vCard", 120, 660, 4800, 315, 0, "fraVCard"},
    {"cmdFindvCard", kCommandButton, "...", "", "2027", 5040, 650, 480, 315, 0, "fraVCard"},
    {"lstVcardPaths", kListBox, "", "", "", 0, 0, 0, 0, kHidden, "fraVCard"},
    {"lblScanning", kLabel, "Scanning your Documents and Settings", "2026", "", 120, 1080, 4000,
     255, kHidden, "fraVCard"},
    {"prgScan", kProgressBar, "", "", "", 4200, 1080, 4100, 255, kHidden, "fraVCard"},
    {"chkAutoPreview", kCheckBox, "I want to Preview my messages before they are sent.", "2024", "",
     240, 4620, 6000, 255, 0, "fraStep1"},

    // Step 2: name, organisation, position, numbers, address.
    {"fraStep2", kFrame, "Step 2", "2002", "", 0, 0, kWidth, kStepHeight, kHidden},
    {"lblStep2", kLabel, "", "2003", "", 240, 300, 8400, 600, kMultiline, "fraStep2"},
    {"fraDetails", kFrame, "Please enter the detail for your email signature", "2012", "", 240, 960,
     8520, 4560, 0, "fraStep2"},
    {"lblFullname", kLabel, "Full name", "2030", "", 120, 300, 2200, 255, 0, "fraDetails"},
    {"txtFullname", kTextBox, "", "", "", 2400, 270, 2900, 315, 0, "fraDetails"},
    {"txtFullnameFR", kTextBox, "", "", "Full name, second language", 5460, 270, 2900, 315, kHidden,
     "fraDetails"},
    {"lblOrganization", kLabel, "Organisation name", "2031", "", 120, 690, 2200, 255, 0,
     "fraDetails"},
    {"txtOrganization", kTextBox, "", "", "", 2400, 660, 2900, 315, 0, "fraDetails"},
    {"txtOrganizationFR", kTextBox, "", "", "Organisation name, second language", 5460, 660, 2900,
     315, kHidden, "fraDetails"},
    {"lblPosition", kLabel, "Position", "2032", "", 120, 1080, 2200, 255, 0, "fraDetails"},
    {"txtPosition", kTextBox, "", "", "", 2400, 1050, 2900, 315, 0, "fraDetails"},
    {"txtPositionFR", kTextBox, "", "", "Position, second language", 5460, 1050, 2900, 315, kHidden,
     "fraDetails"},
    {"lblTelephone", kLabel, "Telephone", "2033", "", 120, 1470, 2200, 255, 0, "fraDetails"},
    {"txtTelephone", kTextBox, "", "", "", 2400, 1440, 2900, 315, 0, "fraDetails"},
    {"lblFax", kLabel, "Fax", "2034", "", 120, 1860, 2200, 255, 0, "fraDetails"},
    {"txtFax", kTextBox, "", "", "", 2400, 1830, 2900, 315, 0, "fraDetails"},
    {"lblCell", kLabel, "Cell", "2035", "", 120, 2250, 2200, 255, 0, "fraDetails"},
    {"txtCell", kTextBox, "", "", "", 2400, 2220, 2900, 315, 0, "fraDetails"},
    {"lblAddress1", kLabel, "Address", "2036", "", 120, 2640, 2200, 255, 0, "fraDetails"},
    {"txtAddress1", kTextBox, "", "", "", 2400, 2610, 2900, 315, 0, "fraDetails"},
    {"txtAddress1FR", kTextBox, "", "", "Address, second language", 5460, 2610, 2900, 315, kHidden,
     "fraDetails"},
    {"lblAddress2", kLabel, "Address, line 2", "", "", 120, 3030, 2200, 255, 0, "fraDetails"},
    {"txtAddress2", kTextBox, "", "", "", 2400, 3000, 2900, 315, 0, "fraDetails"},
    {"txtAddress2FR", kTextBox, "", "", "Address line 2, second language", 5460, 3000, 2900, 315,
     kHidden, "fraDetails"},
    {"lblAddress3", kLabel, "Address, line 3", "", "", 120, 3420, 2200, 255, 0, "fraDetails"},
    {"txtAddress3", kTextBox, "", "", "", 2400, 3390, 2900, 315, 0, "fraDetails"},
    {"txtAddress3FR", kTextBox, "", "", "Address line 3, second language", 5460, 3390, 2900, 315,
     kHidden, "fraDetails"},
    {"lblAddress4", kLabel, "Address, line 4", "", "", 120, 3810, 2200, 255, 0, "fraDetails"},
    {"txtAddress4", kTextBox, "", "", "", 2400, 3780, 2900, 315, 0, "fraDetails"},
    {"txtAddress4FR", kTextBox, "", "", "Address line 4, second language", 5460, 3780, 2900, 315,
     kHidden, "fraDetails"},

    // Step 3: labels and the two custom templates.
    {"fraStep3", kFrame, "Step 3", "2004", "", 0, 0, kWidth, kStepHeight, kHidden},
    {"lblStep3", kLabel, "", "2006", "", 240, 300, 8400, 600, kMultiline, "fraStep3"},
    {"chkDoNotShow", kCheckBox, "Do not show this step", "2005", "", 240, 960, 4000, 255, 0,
     "fraStep3"},
    {"fraLabels", kFrame, "Labels", "2040", "", 240, 1320, 8520, 1300, 0, "fraStep3"},
    {"lblTelephoneLabel", kLabel, "Telephone label", "2041", "", 120, 300, 2200, 255, 0,
     "fraLabels"},
    {"txtTelephoneLabel", kTextBox, "", "", "", 2400, 270, 1800, 315, 0, "fraLabels"},
    {"lblFaxLabel", kLabel, "Fax label", "2042", "", 120, 690, 2200, 255, 0, "fraLabels"},
    {"txtFaxLabel", kTextBox, "", "", "", 2400, 660, 1800, 315, 0, "fraLabels"},
    {"lblCellLabel", kLabel, "Cell label", "2043", "", 4440, 300, 1600, 255, 0, "fraLabels"},
    {"txtCellLabel", kTextBox, "", "", "", 6120, 270, 1800, 315, 0, "fraLabels"},
    {"fraCustom1", kFrame, "Custom template 1", "2044", "", 240, 2740, 8520, 1100, 0, "fraStep3"},
    {"lblGifFile1", kLabel, "Image address", "2046", "", 120, 300, 2200, 255, 0, "fraCustom1"},
    {"txtGifFile1", kTextBox, "", "", "", 2400, 270, 4800, 315, 0, "fraCustom1"},
    {"cmdViewGif1", kCommandButton, "View", "2048", "", 7320, 260, 1000, 335, 0, "fraCustom1"},
    {"lblCustomLink1", kLabel, "Web link", "2047", "", 120, 690, 2200, 255, 0, "fraCustom1"},
    {"txtWebsiteCustom1", kTextBox, "", "", "", 2400, 660, 4800, 315, 0, "fraCustom1"},
    {"cmdViewLink1", kCommandButton, "Open", "2049", "", 7320, 650, 1000, 335, 0, "fraCustom1"},
    {"fraCustom2", kFrame, "Custom template 2", "2045", "", 240, 3960, 8520, 1100, 0, "fraStep3"},
    {"lblGifFile2", kLabel, "Image address", "2046", "", 120, 300, 2200, 255, 0, "fraCustom2"},
    {"txtGifFile2", kTextBox, "", "", "", 2400, 270, 4800, 315, 0, "fraCustom2"},
    {"cmdViewGif2", kCommandButton, "View", "2048", "", 7320, 260, 1000, 335, 0, "fraCustom2"},
    {"lblCustomLink2", kLabel, "Web link", "2047", "", 120, 690, 2200, 255, 0, "fraCustom2"},
    {"txtWebsiteCustom2", kTextBox, "", "", "", 2400, 660, 4800, 315, 0, "fraCustom2"},
    {"cmdViewLink2", kCommandButton, "Open", "2049", "", 7320, 650, 1000, 335, 0, "fraCustom2"},

    // Step 4: finished.
    {"fraStep4", kFrame, "Finished!", "3000", "", 0, 0, kWidth, kStepHeight, kHidden},
    {"imgLogo2", kImage, "", "", "", 240, 240, 1200, 1200, kHidden, "fraStep4"},
    {"lblFinished", kLabel, "", "3001", "", 240, 300, 8400, 900, kMultiline, "fraStep4"},

    // The system test button beside the navigation buttons.
    {"cmdSysCheck", kCommandButton, "System Test", "", "", 1500, 5880, 1500, 375, kHidden},
};

}  // namespace

std::span<const ui::ControlDesign> WizardDesign() { return kControls; }
int WizardWidth() { return kWidth; }
int WizardNavTop() { return 5880; }

}  // namespace vellumo::profilewizard
