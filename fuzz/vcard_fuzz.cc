// Fuzz target for the vCard reader: any bytes either give cards or a vellumo::Error, never a
// crash or a hang; and every card read writes out and reads back to the same properties.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "localmail/vcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellumo::localmail;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<VcardCard> cards;
  try {
    cards = ParseVcards(bytes, "fuzz.vcf");
  } catch (const vellumo::Error&) {
    return 0;  // rejected with a message: fine
  }
  for (VcardCard& card : cards) {
    const std::string written = WriteVcard(card);
    try {
      const std::vector<VcardCard> back = ParseVcards(written, "rewritten.vcf");
      if (back.size() != 1 || back[0].properties() != card.properties()) std::abort();
    } catch (const vellumo::Error&) {
      std::abort();  // what we write must read back
    }
    // The accessors and setters must cope with whatever the card holds.
    const std::string summary = card.FullName() + card.LastName() + card.FirstName() +
                                card.CompanyName() + card.Email1Address() + card.Body() +
                                card.BusinessAddressCity() + card.User(1);
    card.SetLastName(summary.substr(0, 8));
    card.SetBusinessAddressCity("x;y,z");
    card.SetCategories(card.Categories());
    (void)WriteVcard(card);
  }
  return 0;
}
