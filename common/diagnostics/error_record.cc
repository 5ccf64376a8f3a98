#include "common/diagnostics/error_record.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/settings/keys.h"
#include "platform/mailclient/application.h"

namespace vellumo {
namespace {

constexpr RecordLine kCommonHead[] = {
    {"Date (mdy): ", RecordField::kDate},
    {"Description: ", RecordField::kDescription},
    {"Sub/function: ", RecordField::kProcedure},
    {"Section: ", RecordField::kSection},
    {"Outlook Version: ", RecordField::kClientVersion},
    {"Vellumo Version: ", RecordField::kProgramVersion},
};

constexpr RecordLine kAddInLines[] = {
    kCommonHead[0],
    kCommonHead[1],
    kCommonHead[2],
    kCommonHead[3],
    kCommonHead[4],
    kCommonHead[5],
    {"Vellumo Version Comments: ", RecordField::kVersionComments},
    {"Vellumo Version Description: ", RecordField::kFileDescription},
    {"Application System path: ", RecordField::kApplicationPath},
    {"Template: ", RecordField::kSetting, &keys::Template},
    {"Template path: ", RecordField::kSetting, &keys::HtmFilesPath},
    {"Signature: ", RecordField::kSetting, &keys::Signature},
    {"Signature path: ", RecordField::kSetting, &keys::SignaturesPath},
    {"SuppressMailItemToolbar: ", RecordField::kSetting, &keys::SuppressMailItemToolbar},
    {"SysTray: ", RecordField::kSetting, &keys::SysTray},
    {"SuppressToolbar: ", RecordField::kSetting, &keys::SuppressToolbar},
    {"PromptOnReplies: ", RecordField::kSetting, &keys::PromptOnReplies},
    {"Reply as is: ", RecordField::kSetting, &keys::ReplyAsIs},
};

constexpr RecordLine kOptionsPageLines[] = {
    kCommonHead[0],
    kCommonHead[1],
    kCommonHead[2],
    kCommonHead[3],
    kCommonHead[4],
    kCommonHead[5],
    {"Application path: ", RecordField::kApplicationPath},
    {"Template: ", RecordField::kSetting, &keys::Template},
    {"Signature: ", RecordField::kSetting, &keys::Signature},
};

std::string ValueOf(const RecordLine& line, const RecordContext& context) {
  switch (line.field) {
    case RecordField::kDate:
      return context.timestamp;
    case RecordField::kDescription:
      return context.failure.description;
    case RecordField::kProcedure:
      return context.failure.procedure;
    case RecordField::kSection:
      return context.failure.section;
    case RecordField::kClientVersion:
      if (context.mail == nullptr) {
        throw Error(ErrorCode::kObjectNotSet, "mail client");
      }
      return context.mail->Version();
    case RecordField::kProgramVersion:
      return context.program.Version();
    case RecordField::kVersionComments:
      return context.program.comments;
    case RecordField::kFileDescription:
      return context.program.file_description;
    case RecordField::kApplicationPath:
      return context.application_path;
    case RecordField::kSetting:
      return context.settings.Stored(*line.setting);
  }
  return {};
}

struct Named {
  int number;
  std::string_view text;
};

std::string_view Lookup(std::span<const Named> table, int number, std::string_view otherwise) {
  for (const Named& entry : table) {
    if (entry.number == number) {
      return entry.text;
    }
  }
  return otherwise;
}

constexpr Named kPlatformPrefixes[] = {{0, "Windows 32s "}, {1, "Windows 95 "}, {2, "Windows NT "}};

constexpr Named kProcessors[] = {{386, "Intel 386"},
                                 {486, "Intel 486"},
                                 {586, "Intel Pentium"},
                                 {4000, "MIPS R4000"},
                                 {21064, "DEC Alpha 21064"}};

constexpr Named kEditorTypes[] = {{1, "Text"}, {2, "HTML"}, {3, "RTF"}, {4, "WORD"}};

}  // namespace

const std::span<const RecordLine> kAddInRecord(kAddInLines);
const std::span<const RecordLine> kOptionsPageRecord(kOptionsPageLines);

std::string ProgramInfo::Version() const {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string RecordLineText(const RecordLine& line, const RecordContext& context) {
  std::string text(line.label);
  text += ValueOf(line, context);
  text += text::kCrLf;
  return text;
}

std::string BuildRecord(std::span<const RecordLine> lines, const RecordContext& context,
                        const RecordFailureHandler& on_failure) {
  std::string record;
  for (const RecordLine& line : lines) {
    if (!on_failure) {
      record += RecordLineText(line, context);
      continue;
    }
    try {
      record += RecordLineText(line, context);
    } catch (const std::exception& e) {
      on_failure(e);  // the line is left out; the report goes on without it
    }
  }
  return record;
}

std::string WordEditorLine(bool is_word_mail) {
  return std::string("Word as editor: ") + (is_word_mail ? "true" : "false") +
         std::string(text::kCrLf);
}

std::string EditorTypeLine(int editor_type) {
  return "Editor type: " + std::string(Lookup(kEditorTypes, editor_type, "unknown")) +
         std::string(text::kCrLf);
}

std::string PlatformText(const OsVersion& version) {
  std::string numbers = std::to_string(version.major) + "." + std::to_string(version.minor) +
                        " (Build " + std::to_string(version.build) + ")";
  for (const Named& prefix : kPlatformPrefixes) {
    if (prefix.number == version.platform_id) {
      return std::string(prefix.text) + numbers;
    }
  }
  // Any other system is described as itself: a Windows prefix here would misreport the machine.
  if (version.name.empty()) {
    return numbers;
  }
  if (version.release.empty()) {
    return version.name + " " + numbers;
  }
  return version.name + " " + version.release;
}

std::string ProcessorText(int processor_type) {
  return std::string(Lookup(kProcessors, processor_type, "(unknown)"));
}

std::string KilobyteText(uint64_t bytes) {
  // 64 bits: machines have more than the 2 GB a 32-bit signed count can hold.
  return text::FormatGrouped(static_cast<int64_t>(bytes / 1024)) + "K";
}

std::string MemoryLines(const MemoryStatus& memory) {
  const std::pair<std::string_view, uint64_t> lines[] = {
      {"Total Physical Memory: ", memory.total_physical},
      {"Available Physical Memory: ", memory.available_physical},
      {"Total Virtual Memory: ", memory.total_virtual},
      {"Available Virtual Memory: ", memory.available_virtual},
  };
  std::string text;
  for (const auto& [label, bytes] : lines) {
    text += label;
    text += KilobyteText(bytes);
    text += text::kCrLf;
  }
  return text;
}

std::string BuildSystemBlock(SystemInfo& system) {
  const std::string crlf(text::kCrLf);
  std::string block = PlatformText(system.Version()) + crlf + crlf;
  block += "CPU: " + ProcessorText(system.ProcessorType()) + crlf + crlf;
  block += MemoryLines(system.Memory()) + crlf;
  return block;
}

}  // namespace vellumo
