// The controls of the preview window (frmBrowser) as designed: names, kinds, design captions and
// the caption-table entries of their Tags and tool tips, and their places in twips.
#include "addin/preview_form.h"

#include <string>

namespace vellumo::addin {

namespace {

using enum ui::ControlKind;
using ui::kDisabled;
using ui::kHidden;

// name, kind, design caption, Tag and tool tip (caption-table entries), left, top, width, height
// (twips), flags.
constexpr ui::ControlDesign kPreviewControls[] = {
    {"lblSubject", kLabel, "Subject:", "5095", "", 120, 120, 900, 255},
    {"txtSubject", kTextBox, "", "", "", 1080, 90, 5400, 315, kDisabled},
    {"lblAttachments", kLabel, "Attachments:", "5091", "", 6600, 120, 1100, 255, kHidden},
    {"txtAttachments", kTextBox, "", "", "", 7740, 90, 600, 315, kHidden | kDisabled},
    {"lblPastedImages", kLabel,
     "Note: pasted images will not appear in this preview, but will be seen in the "
     "sent version.",
     "5010", "", 120, 480, 9800, 255},
    {"lblTemplate", kLabel, "Template", "5092", "", 120, 480, 900, 255, kHidden},
    {"cboTemplates", kComboBox, "", "", "", 1080, 450, 2400, 315, kHidden},
    {"lblSignature", kLabel, "Signature", "5093", "", 3600, 480, 900, 255, kHidden},
    {"cboSignatures", kComboBox, "", "", "", 4560, 450, 2400, 315, kHidden},
    {"lblBGColor", kLabel, "Signature Profile", "5097", "", 120, 840, 1400, 255, kHidden},
    {"cboSig", kComboBox, "", "", "", 1560, 810, 2400, 315, kHidden},
    // Our own label: without it the pasted-images note above would read as the list's label.
    {"lblBplates", kLabel, kBoilerplateLabel, "", "", 7080, 240, 2400, 255, kHidden},
    {"cboBplates", kComboBox, "", "", "5105", 7080, 450, 2400, 315, kHidden},
    {"cboBGColourName", kComboBox, "", "", "", 4080, 810, 1800, 315, kHidden},
    {"chkShowPreview", kCheckBox, "do not show Preview", "5094", "", 6000, 840, 2400, 255, kHidden},
    {"chkvCard", kCheckBox, "Attach my vCard", "5096", "", 8400, 840, 1600, 255, kHidden},
    {"brwWebBrowser", kBrowser, "", "", "", 0, kBrowserTopOpen, 9990, 5400},
    {"cmdNext", kCommandButton, "> Template", "5088", "5099", 120, 5400, 1300, 375},
    {"cmdSignNext", kCommandButton, "> Signature", "5089", "5100", 1500, 5400, 1300, 375},
    {"cmdOptions", kCommandButton, "> Options", "5090", "2002", 2880, 5400, 1300, 375},
    {"Command1", kCommandButton, "Send", "101", "2006", 4260, 5400, 1100, 375},
    {"cmdSendPlain", kCommandButton, "Send Plain", "5087", "2005", 5440, 5400, 1100, 375},
    {"cmdSendToMany", kCommandButton, "Send to Many", "", "", 6620, 5400, 1300, 375},
    {"cmdClose", kCommandButton, "Close", "5009", "2003", 8000, 5400, 900, 375},
    {"cmdHelp", kCommandButton, "Help", "", "2001", 8980, 5400, 900, 375},
    // Never shown: the full names behind the visible lists, and the colour codes.
    {"cboListTemplates", kComboBox, "", "", "", 0, 0, 0, 0, kHidden},
    {"cboPrevSigs", kComboBox, "", "", "", 0, 0, 0, 0, kHidden},
    {"cboListBplates", kComboBox, "", "", "", 0, 0, 0, 0, kHidden},
    {"cboBGColourCode", kComboBox, "", "", "", 0, 0, 0, 0, kHidden},
};

}  // namespace

void PreviewForm::Design() {
  caption = std::string(kPreviewCaption);
  width = 10170;
  height = 6000;
  AddControls(kPreviewControls);
}

}  // namespace vellumo::addin
