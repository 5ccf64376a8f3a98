#include "common/compose/placeholders.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/text.h"
#include "common/compose/fill_tables.h"
#include "common/settings/keys.h"

namespace vellumo::compose {
namespace {

// The settings of one fill, each read once however often the fill uses it.
class Values {
 public:
  explicit Values(const Settings& settings) : settings_(settings) { cache_.reserve(128); }

  // Every key of a fill is of application "Vellumo".
  std::string_view Get(const SettingKey& key) {
    // A fill asks for the same few dozen keys over and over: the name to look up is built in a
    // buffer that stays, and hashed.
    id_.assign(key.section).push_back('\\');  // no section name holds a backslash
    id_.append(key.name);
    auto found = cache_.find(id_);
    if (found == cache_.end()) found = cache_.emplace(id_, settings_.Get(key)).first;
    return found->second;
  }
  // The fill tables name their keys; placeholders_test checks each against the table of keys.
  std::string_view Get(std::string_view section, std::string_view key,
                       std::string_view default_value = {}) {
    return Get(SettingKey{kVellumo, section, key, default_value, {}});
  }
  std::string_view Get(const FieldFill& field) {
    return Get(field.section, field.key, field.default_value);
  }
  bool IsTrue(const SettingKey& key) { return Get(key) == "True"; }

 private:
  const Settings& settings_;
  // The cache's names and values live in a buffer of the fill's own, which a few dozen settings
  // fit: no allocation per setting.
  std::array<std::byte, 8192> memory_buffer_;
  std::pmr::monotonic_buffer_resource memory_{memory_buffer_.data(), memory_buffer_.size()};
  std::pmr::string id_{&memory_};  // the section, a backslash and the key name of the last Get
  // Values by that name: a section is one registry key name, which holds no backslash.
  std::pmr::unordered_map<std::pmr::string, std::pmr::string> cache_{&memory_};
};

// The text under fill, as hot parts that the steps rewrite and, between them, cold stretches of
// the input that no step has had to touch yet. A long message sits between the template's
// placeholders and the signature's, so most steps would otherwise copy the whole message only to
// change a few hundred bytes around it.
//
// Replacing in each hot part alone equals replacing in the whole text whenever no byte-wise
// occurrence of the pattern reaches into a cold stretch: the occurrences are then the same, and
// so is the left-to-right choice among them. Cold stretches start and end with ASCII bytes, so no
// character straddles a cut and the character-boundary checks read the same in a part as in the
// whole. A cold stretch that an occurrence may reach joins its neighbours first (once).
class FillText {
 public:
  // lent: a buffer for the output of a long part's replacement and then of the whole text, so
  // that neither needs a new one of its size.
  explicit FillText(std::string_view text, std::string lent = {}) : lent_(std::move(lent)) {
    size_t hot_from = 0;
    for (const auto& [from, to] : ColdStretches(text)) {
      hot_.emplace_back(text.substr(hot_from, from - hot_from));
      cold_.push_back(Cold{text.substr(from, to - from)});
      hot_from = to;
    }
    hot_.emplace_back(text.substr(hot_from));
  }

  void Replace(std::string_view find, std::string_view with) {
    if (find.empty()) return;
    // A replacement that never grows the text is written over the part itself.
    const bool in_place = text::CanReplaceInPlace(find, with);
    JoinReachedStretches(find, in_place);
    // No byte-wise occurrence, no occurrence of whole characters: skip the copy.
    hot_has_.resize(hot_.size());
    for (size_t i = 0; i < hot_.size(); ++i) {
      if (!HoldsEveryByte(hot_has_[i], hot_[i], find)) continue;
      if (in_place) {
        if (text::ReplaceInPlace(hot_[i], find, with)) Replaced(hot_has_[i], find, with);
        continue;
      }
      // A long part goes into the larger of the two spare buffers, with which it then swaps
      // places; a short one never takes the lent buffer, which the whole text may need at the end.
      std::string& out =
          hot_[i].size() >= kMinCold && lent_.capacity() >= scratch_.capacity() ? lent_ : scratch_;
      if (text::ReplaceInto(hot_[i], find, with, out)) {
        hot_[i].swap(out);
        Replaced(hot_has_[i], find, with);
      }
    }
  }

  std::string Take() && {
    if (cold_.empty()) return std::move(hot_[0]);
    std::string out;
    WriteInto(out);
    return out;
  }
  // The whole text into out (emptied first), handing over a buffer that already holds it
  // where one does, else one that has the room.
  void MoveInto(std::string& out) && {
    if (cold_.empty()) {
      out.swap(hot_[0]);
      return;
    }
    size_t size = 0;
    for (size_t j = 0; j < Pieces(); ++j) size += Piece(j).size();
    for (std::string* spare : {&lent_, &scratch_}) {
      if (spare->capacity() < size) continue;
      spare->clear();
      for (size_t j = 0; j < Pieces(); ++j) spare->append(Piece(j));
      out.swap(*spare);
      return;
    }
    // A join may have taken the lent buffer for a part: the other pieces go in around it.
    size_t at = 0;
    for (size_t i = 1; i < hot_.size(); ++i) {
      if (hot_[i].capacity() > hot_[at].capacity()) at = i;
    }
    if (hot_[at].capacity() < size) {
      WriteInto(out);
      return;
    }
    std::string whole = std::move(hot_[at]);
    const size_t part = whole.size();
    size_t before = 0;
    for (size_t j = 0; j < 2 * at; ++j) before += Piece(j).size();
    whole.resize(size);  // within its capacity: no new buffer
    std::memmove(whole.data() + before, whole.data(), part);
    size_t written = 0;
    for (size_t j = 0; j < Pieces(); ++j) {
      if (j == 2 * at) {
        written += part;
        continue;
      }
      const std::string_view piece = Piece(j);
      std::memcpy(whole.data() + written, piece.data(), piece.size());
      written += piece.size();
    }
    out.swap(whole);
  }
  // The whole text into out (cleared first).
  void WriteInto(std::string& out) const {
    size_t size = 0;
    for (size_t j = 0; j < Pieces(); ++j) size += Piece(j).size();
    out.clear();
    out.reserve(size);
    for (size_t j = 0; j < Pieces(); ++j) out.append(Piece(j));
  }

 private:
  // Room around each "#]" for what a pattern holds before and after it (the longest is a link
  // repair of about a hundred bytes), and the least length worth keeping cold. Only speed depends
  // on these, never the result.
  static constexpr size_t kRoomBefore = 192;
  static constexpr size_t kRoomAfter = 64;
  static constexpr size_t kMinCold = 4096;
  static constexpr size_t kLineEndReach = 256;

  enum Known : uint8_t { kUnknown, kYes, kNo };
  using ByteIndex = std::array<Known, 256>;  // which bytes a piece holds, learnt as asked
  struct Cold {
    std::string_view text;  // in the caller's text, which outlives the fill
    ByteIndex has{};
  };

  // False when a byte of find is not in text, so find cannot be either. Most placeholders are
  // in no part of a long message: one memchr per byte value tells, however many are asked.
  static bool HoldsEveryByte(ByteIndex& has, std::string_view text, std::string_view find) {
    // Bytes known to be absent first: most patterns lack one that an earlier pattern lacked too
    // (every placeholder holds "["), and a byte never asked before costs a read of the text.
    for (char c : find) {
      if (has[static_cast<unsigned char>(c)] == kNo) return false;
    }
    for (char c : find) {
      const auto b = static_cast<unsigned char>(c);
      if (has[b] == kUnknown) {
        has[b] = std::memchr(text.data(), b, text.size()) != nullptr ? kYes : kNo;
      }
      if (has[b] == kNo) return false;
    }
    return true;
  }

  // What a part that had find replaced by with holds: every byte of with; a byte of find only
  // perhaps (its every occurrence may be gone); any other byte as before. Absent bytes, whose
  // memchr reads the whole part, so stay known across the fill's two hundred patterns.
  static void Replaced(ByteIndex& has, std::string_view find, std::string_view with) {
    for (char c : find) has[static_cast<unsigned char>(c)] = kUnknown;
    for (char c : with) has[static_cast<unsigned char>(c)] = kYes;
  }

  // The stretches far from every "#]", each starting and ending with an ASCII byte.
  static std::vector<std::pair<size_t, size_t>> ColdStretches(std::string_view text) {
    std::vector<std::pair<size_t, size_t>> cold;
    auto add = [&](size_t from, size_t to) {
      // Edges on line ends where one is near: few patterns hold a line end, so Reaches seldom
      // needs to look across them.
      if (to - from > 2 * kLineEndReach) {
        const std::string_view head = text.substr(from, kLineEndReach);
        const std::string_view tail = text.substr(to - kLineEndReach, kLineEndReach);
        const size_t first = head.find('\n');
        const size_t last = tail.rfind('\n');
        if (first != std::string_view::npos) from += first;
        if (last != std::string_view::npos) to -= kLineEndReach - last - 1;
      }
      while (from < to && static_cast<unsigned char>(text[from]) >= 0x80) ++from;
      while (to > from && static_cast<unsigned char>(text[to - 1]) >= 0x80) --to;
      if (to - from >= kMinCold) cold.emplace_back(from, to);
    };
    size_t hot_end = 0;
    for (size_t pos = text.find("#]"); pos != std::string_view::npos;
         pos = text.find("#]", pos + 2)) {
      const size_t from = pos > kRoomBefore ? pos - kRoomBefore : 0;
      if (from > hot_end) add(hot_end, from);
      hot_end = std::max(hot_end, std::min(text.size(), pos + 2 + kRoomAfter));
    }
    if (text.size() > hot_end) add(hot_end, text.size());
    return cold;
  }

  // Pieces in text order: hot 0, cold 0, hot 1, ..., hot n.
  size_t Pieces() const { return hot_.size() + cold_.size(); }
  std::string_view Piece(size_t j) const {
    return j % 2 == 0 ? std::string_view(hot_[j / 2]) : cold_[j / 2].text;
  }

  // Up to n bytes of the text just before / just after piece j, appended to out. The piece next
  // to j usually holds them all.
  void AppendBefore(size_t j, size_t n, std::string& out) const {
    size_t from = j;
    size_t have = 0;
    while (from > 0 && have < n) have += Piece(--from).size();
    // Pieces from..j-1 hold them; the first of those only its last bytes.
    for (size_t k = from; k < j; ++k) {
      const std::string_view piece = Piece(k);
      const size_t skip = k == from && have > n ? have - n : 0;
      out.append(piece.substr(skip));
    }
  }
  void AppendAfter(size_t j, size_t n, std::string& out) const {
    while (++j < Pieces() && n > 0) {
      const std::string_view piece = Piece(j).substr(0, n);
      out.append(piece);
      n -= piece.size();
    }
  }

  // Every cold stretch that an occurrence of find may reach joins its neighbours, each run of
  // joined pieces put together once, in a buffer of its final size. When the replacement is made
  // in place, a long run may take the lent buffer: the text then never needs a third one.
  void JoinReachedStretches(std::string_view find, bool in_place) {
    if (cold_.empty()) return;
    std::vector<bool>& join = join_;  // kept: a fill asks this for each of its patterns
    join.assign(cold_.size(), false);
    bool any = false;
    for (size_t i = 0; i < cold_.size(); ++i) {
      join[i] = Reaches(i, find);
      any = any || join[i];
    }
    if (!any) return;
    std::vector<std::string> hot;
    std::vector<Cold> cold;
    for (size_t h = 0; h < hot_.size();) {
      size_t end = h;
      size_t size = hot_[h].size();
      while (end < cold_.size() && join[end]) {
        size += cold_[end].text.size() + hot_[end + 1].size();
        ++end;
      }
      if (end == h) {
        hot.push_back(std::move(hot_[h]));
      } else {
        std::string merged;
        if (in_place && lent_.capacity() >= size) {
          merged.swap(lent_);
          merged.clear();
        }
        merged.reserve(size);
        merged.append(hot_[h]);
        for (size_t k = h; k < end; ++k) merged.append(cold_[k].text).append(hot_[k + 1]);
        hot.push_back(std::move(merged));
      }
      if (end < cold_.size()) cold.push_back(cold_[end]);
      h = end + 1;
    }
    hot_ = std::move(hot);
    cold_ = std::move(cold);
    hot_has_.assign(hot_.size(), ByteIndex{});
  }

  // Whether a byte-wise occurrence of find may overlap cold stretch i. One that does lies within
  // it or across one of its ends, since the stretch is longer than find.
  bool Reaches(size_t i, std::string_view find) {
    Cold& cold = cold_[i];
    if (find.size() >= cold.text.size()) return true;
    const size_t keep = find.size() - 1;
    // The joints are put together in one buffer kept across calls: a fill asks this of every
    // cold stretch for each of its two hundred patterns. An occurrence across the stretch's start
    // holds its first byte after find's own first; one across its end holds its last byte before
    // find's own last. Most patterns hold neither and skip the look.
    const size_t j = 2 * i + 1;
    if (keep > 0 && find.substr(1).find(cold.text.front()) != std::string_view::npos) {
      joint_.clear();
      AppendBefore(j, keep, joint_);
      joint_.append(cold.text.substr(0, keep));
      if (joint_.find(find) != std::string::npos) return true;
    }
    if (keep > 0 && find.substr(0, keep).find(cold.text.back()) != std::string_view::npos) {
      joint_.assign(cold.text.substr(cold.text.size() - keep));
      AppendAfter(j, keep, joint_);
      if (joint_.find(find) != std::string::npos) return true;
    }
    if (!HoldsEveryByte(cold.has, cold.text, find)) return false;
    return cold.text.find(find) != std::string_view::npos;
  }

  std::vector<std::string> hot_;
  std::vector<Cold> cold_;
  std::vector<ByteIndex> hot_has_;  // beside hot_, reset when a part changes
  std::string scratch_;             // the replacement's output, swapped with the part it rewrote
  std::string lent_;                // the same for long parts, when the caller lent one
  std::string joint_;               // Reaches' look across the ends of a cold stretch
  std::vector<bool> join_;          // which cold stretches the pattern at hand reaches
};

void Fill(FillText& text, const FieldFill& field, Values& values) {
  const std::string_view value = values.Get(field);
  if (field.prefix.empty()) {
    text.Replace(field.find, value);
    return;
  }
  std::string with(field.prefix);
  with.append(value);
  text.Replace(field.find, with);
}

void FillAll(FillText& text, std::span<const FieldFill> fields, Values& values) {
  for (const FieldFill& field : fields) Fill(text, field, values);
}

void ReplaceAll(FillText& text, std::span<const Replacement> replacements) {
  for (const Replacement& r : replacements) text.Replace(r.find, r.with);
}

void FillFamily(FillText& text, const EmptyLineFamily& family, Values& values) {
  const bool empty = values.Get(kAdminSettings, family.key).empty();
  if (empty) ReplaceAll(text, family.patterns);
  FillAll(text, family.fills, values);
  if (!family.label.find.empty()) {
    if (empty) {
      text.Replace(family.label.find, "");
    } else {
      Fill(text, family.label, values);
    }
  }
}

void FillEmptyStringFamily(FillText& text, const EmptyStringFamily& family, Values& values) {
  const std::string_view value = values.Get(kAdminSettings, family.key);
  if (value.empty()) {
    for (const EmptyStringSetting& s : family.settings) {
      text.Replace(values.Get(kAdminSettings, s.find_key, s.find_default),
                   values.Get(kAdminSettings, s.with_key, s.with_default));
    }
  }
  text.Replace(family.placeholder, value);
}

void Substitute(text::Rewriting& text, Values& values) {
  for (const UserSubstitution& pair : kUserSubstitutions) {
    const std::string_view code = values.Get(kTemplateSettings, pair.code_key);
    const std::string_view swap = values.Get(kTemplateSettings, pair.swap_key);
    if (!code.empty() && !swap.empty()) text.Replace(code, swap);
  }
}

FillText FillComposition(const Settings& settings, std::string_view text_in,
                         std::string lent = {}) {
  Values values(settings);
  const std::string quote = values.IsTrue(keys::SendQuote)
                                ? std::string(values.Get(keys::SendQuoteString))
                                : std::string();
  FillText text(text_in, std::move(lent));
  text.Replace("[#SigQuote#]", quote);
  if (values.IsTrue(keys::RTFOnly)) text.Replace("file://", "http://");
  FillAll(text, kCompositionNameFields, values);
  FillFamily(text, kPositionFamily, values);
  FillFamily(text, kTelephoneFamily, values);
  FillFamily(text, kFaxFamily, values);
  FillAll(text, kAddressFields, values);
  FillFamily(text, kCellFamily, values);
  FillAll(text, kCompositionOtherFields, values);
  if (values.IsTrue(keys::WipeoutRemoveConvertedBR)) {
    text.Replace("<BR>\r\n<BR>", "\r\n<BR>");
  }
  Fill(text, kBackgroundColourField, values);
  return text;
}

}  // namespace

std::string FillCompositionPlaceholders(const Settings& settings, std::string_view text_in) {
  return FillComposition(settings, text_in).Take();
}

void FillCompositionPlaceholders(const Settings& settings, text::Rewriting& text) {
  // The spare buffer is lent to the fill and comes back holding the filled text.
  FillText filled = FillComposition(settings, text.text(), std::move(text.Spare()));
  std::move(filled).MoveInto(text.Spare());
  text.Commit();
}

std::string FillSignatureFilePlaceholders(const Settings& settings, std::string_view text_in) {
  Values values(settings);
  FillText text(text_in);
  FillAll(text, kSignatureFileFirstFields, values);
  FillEmptyStringFamily(text, kSignatureFileFax, values);
  FillEmptyStringFamily(text, kSignatureFileCell, values);
  FillAll(text, kSignatureFileLinkFields, values);
  FillAll(text, kAddressFields, values);
  FillAll(text, kSignatureFileRtfAddressFields, values);
  ReplaceAll(text, kSignatureFileLeftovers);
  text::Rewriting filled(std::move(text).Take());
  Substitute(filled, values);
  return std::move(filled).Take();
}

void ApplyUserSubstitutions(const Settings& settings, text::Rewriting& text) {
  Values values(settings);
  Substitute(text, values);
}

std::string ApplyUserSubstitutions(const Settings& settings, std::string_view text) {
  text::Rewriting work{std::string(text)};
  ApplyUserSubstitutions(settings, work);
  return std::move(work).Take();
}

}  // namespace vellumo::compose
