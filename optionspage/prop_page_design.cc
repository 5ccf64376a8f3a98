// The controls of the options page as designed: names, kinds, design captions, the caption-table
// entries of their Tags and tool tips, their places in twips and the frames that hold them.
#include "optionspage/prop_page_design.h"

namespace vellumo::optionspage {
namespace {

using enum ui::ControlKind;
using ui::kDisabled;
using ui::kHidden;

constexpr std::string_view kSettings = "frmSettings";

// name, kind, design caption, Tag and tool tip (caption-table entries), left, top, width, height
// (twips), flags, frame.
constexpr ui::ControlDesign kPageControls[] = {
    {"frmSettings", kFrame, "Vellumo Settings", "101", "", 120, 120, 7200, 6240},
    {"lblPath", kLabel, "Path of Templates", "102", "", 240, 360, 1800, 255, 0, kSettings},
    {"txtPath", kTextBox, "", "", "119", 2100, 330, 4320, 315, 0, kSettings},
    {"cmdDirpath", kCommandButton, "...", "", "121", 6480, 330, 480, 315, 0, kSettings},
    {"lblSignatures", kLabel, "Path of Signatures", "103", "", 240, 750, 1800, 255, 0, kSettings},
    {"txtSignatures", kTextBox, "", "", "122", 2100, 720, 4320, 315, 0, kSettings},
    {"cmdSignaturesPath", kCommandButton, "...", "", "120", 6480, 720, 480, 315, 0, kSettings},
    {"chkInternal", kCheckBox, "Skip for internal recipients", "111", "", 240, 1140, 3000, 255, 0,
     kSettings},
    // Our own label: the domain box has no caption of its own, and a box without a label cannot
    // be found by a screen reader.
    {"lblDomainName", kLabel, "Internal domain", "", "", 3360, 1140, 1300, 255, 0, kSettings},
    {"txtDomainName", kTextBox, "", "", "", 4680, 1110, 2280, 315, 0, kSettings},
    {"chkSuppressToolBar", kCheckBox, "Do not show toolbar shortcuts", "110", "127", 240, 1500,
     3000, 255, 0, kSettings},
    {"frMode", kFrame, "Vellumo Send Options", "112", "", 240, 1800, 6720, 600, 0, kSettings},
    {"optOn", kOptionButton, "Show Dialog on Send", "113", "129", 120, 240, 2200, 255, 0, "frMode"},
    {"optAuto", kOptionButton, "Automatic on Send", "114", "130", 2400, 240, 2200, 255, 0,
     "frMode"},
    {"optOff", kOptionButton, "Off", "115", "", 4680, 240, 1000, 255, 0, "frMode"},
    {"frameReplyOptions", kFrame, "Vellumo Reply Options", "104", "", 240, 2520, 6720, 600, 0,
     kSettings},
    {"optReplyAsIs", kOptionButton, "Send 'as is'", "105", "123", 120, 240, 2200, 255, 0,
     "frameReplyOptions"},
    {"optReplyPrompt", kOptionButton, "Use a template", "106", "124", 2400, 240, 2200, 255, 0,
     "frameReplyOptions"},
    {"chkShowDate", kCheckBox, "Show the date in my messages", "107", "107", 240, 3240, 3600, 255,
     0, kSettings},
    {"chkShowString", kCheckBox, "Place this in my messages", "108", "126", 240, 3600, 2800, 255,
     kDisabled, kSettings},
    {"txtShowString", kTextBox, "", "", "The line placed in your messages", 3120, 3570, 3840, 315,
     kDisabled, kSettings},
    {"frmStringPlace", kFrame, "Where the line goes", "", "", 240, 3960, 6720, 600, kHidden,
     kSettings},
    {"optAboveString", kOptionButton, "Above", "117", "", 120, 240, 1800, 255, 0, "frmStringPlace"},
    {"optBelowString", kOptionButton, "Below", "118", "", 2040, 240, 1800, 255, 0,
     "frmStringPlace"},
    {"chkShowNextApptTip", kCheckBox, "Set the Vellumo System test on", "109", "109", 240, 4680,
     3600, 255, 0, kSettings},
    {"lblWarning", kLabel, "Click Apply or OK if you make any changes to the Vellumo Settings",
     "116", "", 240, 5040, 6720, 255, 0, kSettings},
    {"cmdSetupLauncher", kCommandButton, "Configuration Wiz", "", "", 240, 5520, 1800, 375, 0,
     kSettings},
    {"cmdHelp", kCommandButton, "Help", "132", "", 2160, 5520, 1200, 375, 0, kSettings},
};

// The help window: the page's own browser form.
constexpr ui::ControlDesign kHelpControls[] = {
    {"brwHelp", kBrowser, "", "", "", 0, 0, 9600, 6600},
    {"cmdClose", kCommandButton, "Close", "136", "", 8280, 6720, 1200, 375},
};

}  // namespace

std::span<const ui::ControlDesign> PageDesign() { return kPageControls; }
std::span<const ui::ControlDesign> HelpDesign() { return kHelpControls; }

}  // namespace vellumo::optionspage
