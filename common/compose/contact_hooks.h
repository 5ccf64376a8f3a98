// ContactHooks: the contact and marketing features the composition calls on a real send.
//
// When Admin Settings "Marketing" is "Enterprise", the composed text gets the details of the
// contact the mail was created from and a dated line goes into that contact's notes (the contact
// step). When it holds a marketing description, one placeholder is filled with the first
// recipient's address and each send is recorded as a row in an outside database (the marketing
// step, run only while marketing mode, set up at start-up from that description, is on).
//
// The composition owns the decision whether to call at all (never in a preview, never with
// "Marketing" empty); an implementation owns everything else, including the marketing mode it
// set up. Implementations may throw vellumo::Error from either step: the composition logs it and
// sends the user's own message instead. Tests implement the interface with a recording fake.
//
// Not thread-safe: called on the mail client's user-interface thread, one send at a time.
#pragma once

#include <string>
#include <string_view>

#include "common/compose/send_state.h"

namespace vellumo::compose {

class ContactHooks {
 public:
  virtual ~ContactHooks() = default;

  // "Marketing" is "Enterprise": the contact placeholders of composed filled from the item's
  // first linked contact (or from the mail itself), the contact's notes entry written when the
  // user wants it, and marketing mode switched off. Returns the filled text.
  [[nodiscard]] virtual std::string ContactStep(std::string_view composed,
                                                const SendState& state) = 0;

  // Any non-empty "Marketing": when marketing mode is on, the marketing placeholder filled and
  // one row written per recipient; otherwise composed unchanged. Returns the text.
  [[nodiscard]] virtual std::string MarketingStep(std::string_view composed,
                                                  const SendState& state) = 0;
};

}  // namespace vellumo::compose
