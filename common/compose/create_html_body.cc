#include "common/compose/create_html_body.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/byte_search.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/body_text.h"
#include "common/compose/date_line.h"
#include "common/compose/neutralise.h"
#include "common/compose/placeholders.h"
#include "common/settings/keys.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kWhere = "CreateHTMLBody";
constexpr std::string_view kGeneralLabel = "CreateHTM_Err";
constexpr std::string_view kSignatureLabel = "Signature_Err";
constexpr std::string_view kTemplateWhere = "CreateHTMLBody- error in htm file";
constexpr std::string_view kTemplateLabel = "NoFile_Err";
constexpr std::string_view kWordWhere = "CreateHTMLBody- error in Word htm file";
constexpr std::string_view kWordLabel = "WordFileOpen_Err";
constexpr std::string_view kMarketingWhere = "CreateHTMLBody- eMarketing error";
constexpr std::string_view kMarketingLabel = "eMarketing_Err";
constexpr std::string_view kWordWorkFile = "\\GetMyHtml.htm";
// What a template, a signature and a date line add to a message, as room reserved up front:
// without the template's size, and beside it.
constexpr size_t kRoomForStationery = 64 * 1024;
constexpr size_t kRoomForSignatureAndDate = 8 * 1024;

// The format the word editor saves in for its version: none for versions it cannot save as HTML.
std::optional<int> WordSaveFormat(std::string_view version) {
  if (version.starts_with("9")) return mail::kWordFormatHtml;
  if (version.starts_with("10") || version.starts_with("8")) return mail::kWordFormatFilteredHtml;
  return std::nullopt;
}

// text in a buffer of room bytes (at least its size), allocated once.
std::string SizedCopy(std::string_view text, size_t room) {
  std::string copy;
  copy.reserve(std::max(room, text.size()));
  copy.append(text);
  return copy;
}

}  // namespace

// One run of CreateHTMLBody with its working values. A method that returns false has logged its
// failure; the run then returns the incoming message.
class Composition {
 public:
  Composition(Composer& composer, std::string_view message, std::string& template_path,
              SendState& state)
      : composer_(composer),
        deps_(composer.deps_),
        incoming_(message),
        work_(std::string()),
        text_(work_.Edit()),
        template_path_(template_path),
        state_(state) {}

  std::string Run() {
    // A refusal left from an earlier send must not cancel this one when a stage fails early.
    state_.ScriptCancelled = false;
    if (!Guarded([&] { CheckTemplateExists(); })) return Incoming();
    // Before the buffers are sized: the probe reads a whole copy of the item's body.
    ProbeFormat();
    // Both buffers sized once for the whole composed message, so that no step grows them.
    const size_t room = incoming_.size() + incoming_.size() / 8 + StationeryRoom();
    text_ = SizedCopy(incoming_, room);
    work_.Reserve(room);
    WriteBeforeDump(deps_.settings, deps_.fs, deps_.log, state_.ApplicationPath, work_);
    if (!Guarded([&] { InsertDateLine(); })) return Incoming();
    ApplyUserTextRules(deps_.settings, deps_.fs, deps_.log, state_.ApplicationPath, work_);
    if (!HandleFormat()) return Incoming();
    if (!Guarded([&] { FormatWarning(); })) return Incoming();
    if (!Guard(deps_.log, kWhere, kSignatureLabel, [&] { AddSignature(); })) return Incoming();
    state_.ScriptCancelled = false;
    if (!Guard(deps_.log, kTemplateWhere, kTemplateLabel, [&] {
          template_ = ReadFileLines(deps_.fs, template_path_, text::kCrLf);
          // An empty file has no line to read: the user's text would go out inside nothing.
          if (template_.empty()) throw Error(ErrorCode::kInputPastEnd, template_path_);
        })) {
      return Incoming();
    }
    bool refused = false;
    if (!Guarded([&] { refused = !ScriptAccepted(); })) return Incoming();
    if (refused) return std::move(template_);
    // From here on the work text is the composed message.
    if (!Guarded([&] { Merge(work_.Spare()); })) return Incoming();
    work_.Commit();
    if (!ContactAndMarketing(text_)) return Incoming();
    if (!Guarded([&] {
          ApplyUserSubstitutions(deps_.settings, work_);
          FillCompositionPlaceholders(deps_.settings, work_);
        })) {
      return Incoming();
    }
    return std::move(work_).Take();
  }

 private:
  std::string Incoming() const { return std::string(incoming_); }

  bool Guarded(const std::function<void()>& step) {
    return Guard(deps_.log, kWhere, kGeneralLabel, step);
  }

  mail::MailItem& Item() {
    if (!state_.CurrentItem) throw Error(ErrorCode::kObjectNotSet, "CurrentItem");
    return *state_.CurrentItem;
  }

  // The fallback takes the path from the folder it listed, so an unset folder setting does not
  // leave a path that points nowhere.
  void CheckTemplateExists() {
    if (deps_.fs.FileExists(template_path_)) return;
    const std::string folder = deps_.settings.Get(keys::HtmFilesPath);
    template_path_ = folder + "\\" + deps_.windows.FirstTemplateFile(folder);
  }

  // What the template, a signature and a date line add: the template's size and some room.
  size_t StationeryRoom() {
    try {
      return static_cast<size_t>(deps_.fs.FileSize(template_path_)) + kRoomForSignatureAndDate;
    } catch (const std::exception&) {  // the template's own step says what is wrong with it
      return kRoomForStationery;
    }
  }

  void InsertDateLine() {
    date_line_ = DateLinePrefix(ReadDateLineSettings(deps_.settings), deps_.clock.Now());
    std::string& next = work_.Spare();
    next.append(date_line_).append(text_);
    work_.Commit();
  }

  // Plain text made HTML: the user's "&", "<" and ">" are text, while the date line in front of
  // it is markup already. The date line ends at its last "<p>", a tag the user-text rules leave
  // alone; should it not be found, everything is escaped (the date shows as text, nothing is
  // lost).
  std::string PlainTextAsHtml() const {
    size_t user_start = 0;
    for (size_t from = 0, found; (found = date_line_.find("<p>", from)) != std::string::npos;
         from = found + 3) {
      const size_t in_text = text_.find("<p>", user_start);
      if (in_text == std::string::npos) {
        user_start = 0;
        break;
      }
      user_start = in_text + 3;
    }
    return PlainTextToDivLines(text_.substr(0, user_start) +
                               text::EscapeHtml(std::string_view(text_).substr(user_start)));
  }

  void ProbeFormat() {
    try {
      html_length_ = Item().HTMLBody().size();
      if (*html_length_ == 0) is_word_mail_ = GetInspector().IsWordMail();
    } catch (const std::exception&) {  // an unknown format is handled below, not an error
      format_known_ = false;
      format_warn_ = true;
    }
  }

  mail::Inspector& GetInspector() {
    std::shared_ptr<mail::Inspector> inspector = Item().GetInspector();
    if (!inspector) throw Error(ErrorCode::kObjectNotSet, "GetInspector");
    inspector_ = std::move(inspector);
    return *inspector_;
  }

  bool HandleFormat() {
    if (!format_known_) return HandleUnknownFormat();
    if (*html_length_ == 0) {
      if (is_word_mail_) return WordPath();
      format_warn_ = false;
      if (!Guarded([&] { text_ = PlainTextAsHtml(); })) return false;
    }
    return !state_.IsReply || SplitReply(/*fallback=*/true);
  }

  bool HandleUnknownFormat() {
    if (!html_length_ && !Guarded([&] { html_length_ = Item().HTMLBody().size(); })) return false;
    if (*html_length_ == 0) {
      format_warn_ = true;
      if (!Guarded([&] { text_ = PlainTextAsHtml(); })) return false;
    } else if (state_.IsReply && !SplitReply(/*fallback=*/false)) {
      return false;
    }
    if (state_.IsReply) SecondSplit();
    return true;
  }

  // Splitting the same text twice gives the same parts, so only a failure matters here. The
  // user's text is kept whole rather than lost when the separator cannot be found.
  void SecondSplit() {
    try {
      Cut(text_, text::InStr(text_, state_.ReplySeparator));
    } catch (const std::exception& e) {
      deps_.log.Write_log_line(DescriptionOf(e) +
                               " - CreateHTMLBody- error Reply state parsing - myMessageReply_err");
      if (!split_done_) parts_ = {text_, {}};
    }
  }

  void Cut(std::string_view text, int64_t position) {
    parts_ = CutReply(text, position, state_.ReplyCutBefore, state_.ReplySkipAfter);
    split_done_ = true;
  }

  // Without the fallback a separator that is not in the text fails the cut.
  bool SplitReply(bool fallback) {
    try {
      const int64_t position = text::InStr(text_, state_.ReplySeparator);
      if (position == 0 && fallback) {
        const std::string html = Item().HTMLBody();
        const int64_t in_html = text::InStr(html, state_.ReplySeparator);
        if (in_html > 0) {
          Cut(html, in_html);
        } else {
          parts_ = {text_, {}};
          split_done_ = true;
        }
      } else {
        Cut(text_, position);
      }
      return true;
    } catch (const std::exception&) {
      deps_.log.Write_log_line("parsing error - reply - length of the message is " +
                               text::Str(text::Len(text_)) + " - myMessageReplyFormatFalse_err");
      return false;
    }
  }

  // The word editor gives no HTML body: its document is saved as HTML to a work file and read
  // back. The clipboard copy of the content is left out: nothing reads it, and it would overwrite
  // what the user had there.
  bool WordPath() {
    const bool read = Guard(deps_.log, kWordWhere, kWordLabel, [&] {
      std::shared_ptr<mail::WordDocument> document = GetInspector().WordEditor();
      if (!document) throw Error(ErrorCode::kObjectNotSet, "WordEditor");
      const std::string version = document->ApplicationVersion();
      const std::string path = state_.ApplicationPath + std::string(kWordWorkFile);
      // A work file left by an earlier run must never be read as this message.
      if (deps_.fs.FileExists(path)) deps_.fs.RemoveFile(path);
      if (const std::optional<int> format = WordSaveFormat(version)) {
        document->SaveAs(path, *format);
      }
      std::string html = ReadFileLines(deps_.fs, path, " ");
      deps_.fs.RemoveFile(path);
      text_ = SwitchOffWordPictures(html);
    });
    if (!read) return false;
    return !state_.IsReply || SplitReply(/*fallback=*/false);
  }

  void FormatWarning() {
    if (!format_warn_ || state_.IsReply) return;
    if (!deps_.settings.IsTrue(keys::FormatWarning)) return;
    if (!deps_.settings.IsTrue(keys::FormatWarningMessage)) return;
    state_.Message.kind = std::string(kFormatWarningKind);
    state_.Message.answer.clear();
    deps_.windows.ShowFormatWarning();
  }

  // As for the template, the fallback path is built from the folder that was listed.
  void AddSignature() {
    const std::string name = deps_.settings.Get(keys::Signature);
    if (name == "none" || name.empty()) return;
    std::string path = deps_.settings.Get(keys::SignaturesPathFirstTry) + "\\" + text::Trim(name);
    if (!deps_.fs.FileExists(path)) {
      const std::string folder = deps_.settings.Get(keys::SignaturesPath);
      path = folder + "\\" + deps_.windows.FirstSignatureFile(folder);
    }
    text_.append(text::kCrLf);
    const std::string signature = ReadFileLines(deps_.fs, path, text::kCrLf);
    if (state_.IsReply) {
      parts_.new_text = AddReplySignature(deps_.settings, parts_.new_text, signature);
    } else {
      text_.append("<P>").append(signature);
    }
  }

  // False when the template holds script and the user did not say Yes.
  bool ScriptAccepted() {
    if (state_.PreviewMode) return true;
    // Searched as the rules search, not by the first byte: a template has a "<" in every line.
    if (text::internal::FindBytes(template_, "</script>", 0) == std::string::npos &&
        text::internal::FindBytes(template_, "</SCRIPT>", 0) == std::string::npos) {
      return true;
    }
    state_.ScriptCancelled = true;
    if (deps_.ui.MsgBox(kScriptWarningText, ui::kYesNo, kScriptWarningTitle) != ui::kYes) {
      return false;
    }
    state_.ScriptCancelled = false;
    return true;
  }

  // Where a mail program puts the cursor in stationery: right after the opening body tag, or at
  // the start when there is none.
  size_t Cursor() const {
    const std::string_view stationery = template_;
    for (size_t at = stationery.find('<'); at != std::string_view::npos;
         at = stationery.find('<', at + 1)) {
      // "<body" in any case, ASCII letters only, compared where it stands: no lowered copy.
      if (stationery.size() - at < 5 || text::AsciiLower(stationery.substr(at + 1, 4)) != "body") {
        continue;
      }
      const size_t next = at + 5;
      if (next < stationery.size() && stationery[next] != '>' && stationery[next] != '/' &&
          !std::isspace(static_cast<unsigned char>(stationery[next]))) {
        continue;  // "<bodyx>" is another tag
      }
      const size_t close = stationery.find('>', next);
      return close == std::string_view::npos ? 0 : close + 1;
    }
    return 0;
  }

  // The merged message into result (empty).
  void Merge(std::string& result) {
    const std::string_view whole = template_;
    std::string_view before;
    std::string_view after;
    if (const size_t marker = template_.find(kMessageMarker); marker != std::string::npos) {
      before = whole.substr(0, marker);
      after = whole.substr(marker + kMessageMarker.size());
    } else {
      (void)deps_.ui.MsgBox(kMarkerMissingText, ui::kOkOnly + ui::kInformation,
                            kMarkerMissingTitle);
      // The template was not made for this, but the user's text must still go out.
      const size_t cursor = Cursor();
      before = whole.substr(0, cursor);
      after = whole.substr(cursor);
    }
    if (!state_.IsReply) {
      result.reserve(before.size() + text_.size() + after.size());
      result.append(before).append(text_).append(after);
      return;
    }
    // The parts hold all of the text now: its buffer goes before the history's rules take
    // theirs. A failure from here on returns the incoming message, not this text.
    std::string().swap(text_);
    // The quoted text is not needed again: its rules rewrite it where it is.
    const std::string history = ApplyReplyRules(deps_.settings, std::move(parts_.quoted_text));
    const std::string separator = ReplySeparatorMarkup(deps_.settings);
    result.reserve(before.size() + parts_.new_text.size() + after.size() + separator.size() +
                   history.size() + 3);
    result.append(before).append(parts_.new_text).append(after);
    result.append("<p>").append(separator).append(history);
  }

  bool ContactAndMarketing(std::string& result) {
    if (state_.PreviewMode) return true;
    std::string marketing;
    if (!Guarded([&] { marketing = deps_.settings.Get(keys::Marketing); })) return false;
    if (marketing.empty()) return true;
    ContactHooks* hooks = deps_.contacts;
    if (hooks == nullptr) {
      if (!composer_.contact_features_logged_) {
        deps_.log.Write_log_line(kContactFeaturesUnavailable);
        composer_.contact_features_logged_ = true;
      }
      return true;
    }
    if (marketing == "Enterprise" &&
        !Guarded([&] { result = hooks->ContactStep(result, state_); })) {
      return false;
    }
    return Guard(deps_.log, kMarketingWhere, kMarketingLabel,
                 [&] { result = hooks->MarketingStep(result, state_); });
  }

  Composer& composer_;
  ComposeDeps& deps_;
  const std::string_view incoming_;
  // The user's text, then the composed message, rewritten through two buffers; text_ is always
  // the current text (the buffers swap contents, not places).
  text::Rewriting work_;
  std::string& text_;
  std::string& template_path_;
  SendState& state_;

  std::optional<size_t> html_length_;  // of the item's HTMLBody, once read
  bool is_word_mail_ = false;
  std::shared_ptr<mail::Inspector> inspector_;
  bool format_known_ = true;
  bool format_warn_ = false;
  ReplyParts parts_;  // NewText and QuotedText
  bool split_done_ = false;
  std::string template_;
  std::string date_line_;  // as put in front of the text, "" for none
};

std::string Composer::CreateHTMLBody(std::string_view message, std::string& template_path,
                                     SendState& state) {
  return Composition(*this, message, template_path, state).Run();
}

}  // namespace vellumo::compose
