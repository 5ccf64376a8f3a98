#include "profilewizard/profile_assistant_fields.h"

#include "common/settings/keys.h"

namespace vellumo::profilewizard {
namespace {

using namespace keys;  // NOLINT(google-build-using-namespace): a table of rows

constexpr bool kFR = true;
constexpr bool kNamed = true;

constexpr ProfileField kFields[] = {
    {"txtEmail", &SigEmail, false, kNamed},
    {"txtWebsite", &SigWebsite, false, kNamed, &WizDisableWebsite},
    {"txtWebsiteFR", &SigWebsiteFR, kFR, kNamed, &WizDisableWebsite},
    {"txtDisplayName", &SigWebsiteDisplayName, false, kNamed},
    {"txtDisplayNameFR", &SigWebsiteDisplayNameFR, kFR, kNamed},
    {"txtFullname", &SigFullname, false, kNamed},
    {"txtFullnameFR", &SigFullnameFR, kFR, kNamed},
    {"txtOrganization", &SigOrganizationName, false, kNamed, &WizDisableOrganizationName},
    {"txtOrganizationFR", &SigOrganizationNameFR, kFR, kNamed, &WizDisableOrganizationName},
    {"txtPosition", &SigPosition, false, kNamed, &WizDisablePosition},
    {"txtPositionFR", &SigPositionFR, kFR, kNamed, &WizDisablePosition},
    {"txtTelephone", &SigTelephone, false, kNamed, &WizDisableTelephone},
    {"txtFax", &SigFax, false, kNamed, &WizDisableFax},
    {"txtCell", &SigCell, false, kNamed, &WizDisableCell},
    {"txtAddress1", &SigAddress, false, kNamed, &WizDisableAddress},
    {"txtAddress2", &SigAddress2, false, kNamed, &WizDisableAddress},
    {"txtAddress3", &SigAddress3, false, kNamed, &WizDisableAddress},
    {"txtAddress4", &SigAddress4, false, kNamed, &WizDisableAddress},
    {"txtAddress1FR", &SigAddressFR, kFR, kNamed, &WizDisableAddress},
    {"txtAddress2FR", &SigAddress2FR, kFR, kNamed, &WizDisableAddress},
    {"txtAddress3FR", &SigAddress3FR, kFR, kNamed, &WizDisableAddress},
    {"txtAddress4FR", &SigAddress4FR, kFR, kNamed, &WizDisableAddress},
    {"txtTelephoneLabel", &CompositionTelephoneLabel},
    {"txtFaxLabel", &CompositionFaxLabel},
    {"txtCellLabel", &CompositionCellLabel},
    {"txtGifFile1", &SigGifFile},
    {"txtWebsiteCustom1", &SigWebsiteCustom1},
    {"txtGifFile2", &SigGifFile2},
    {"txtWebsiteCustom2", &SigWebsiteCustom2},
};

constexpr AdminSwitch kSwitches[] = {
    {&WizDisablevCard, {"fraVCard"}},
    {&WizDisableBilingual, {"chkBilingual"}},
    {&WizDisableWebsite, {"lblWebsite", "txtWebsite", "txtWebsiteFR"}},
    {&WizDisableOrganizationName, {"lblOrganization", "txtOrganization", "txtOrganizationFR"}},
    {&WizDisablePosition, {"lblPosition", "txtPosition", "txtPositionFR"}},
    {&WizDisableTelephone, {"lblTelephone", "txtTelephone"}},
    {&WizDisableFax, {"lblFax", "txtFax"}},
    {&WizDisableCell, {"lblCell", "txtCell"}},
    {&WizDisableAddress,
     {"lblAddress1", "txtAddress1", "txtAddress1FR", "lblAddress2", "txtAddress2", "txtAddress2FR",
      "lblAddress3", "txtAddress3", "txtAddress3FR", "lblAddress4"}},
    {&WizDisableAddress, {"txtAddress4", "txtAddress4FR"}},
    {&WizDisableLabels, {"fraLabels"}},
    {&WizDisableCustom1, {"fraCustom1"}},
    {&WizDisableCustom2, {"fraCustom2"}},
    {&WizDisableDoNotShowStep, {"chkDoNotShow"}},
};

}  // namespace

std::span<const ProfileField> ProfileFields() { return kFields; }
std::span<const AdminSwitch> AdminSwitches() { return kSwitches; }

}  // namespace vellumo::profilewizard
