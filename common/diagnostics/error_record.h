// The error record and the system block: the text of an error report mail (never written to the
// log file), and the machine description that the report, the tray's system box and the set-up
// wizard's system test share.
//
// The record is a table of lines (label + where the value comes from); each deliverable has its
// own table (kAddInRecord, kOptionsPageRecord) and one builder walks it. Every line, the last
// included, ends with CR LF. Values come from the failure, the program's version information,
// the settings store (read with default "") and the mail client; a line whose source fails is
// left out and the failure handed to the caller, so one broken source never loses the report.
//
// Pure functions over the interfaces they are given; thread safety is theirs.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/version.h"
#include "common/settings/settings.h"
#include "platform/system_info.h"

namespace vellumo {
namespace mail {
class Application;
}

// What a deliverable says about itself in reports. Each program fills it at start-up; the
// defaults are the add-in's.
struct ProgramInfo {
  int major = kVersionMajor;
  int minor = kVersionMinor;
  int revision = kVersionRevision;
  std::string comments = "E-mail stationery and signatures";
  std::string file_description = "Vellumo mail client add-in";

  std::string Version() const;  // "3.9.9"
};

// One failure as the caller reported it.
struct Failure {
  std::string description;  // the runtime's error text
  std::string procedure;    // where-text ("CreateHTMLBody- error Wipeout HTML")
  std::string section;      // the error handler's label ("WipeoutHTML_Err")
};

enum class RecordField {
  kDate,  // the timestamp
  kDescription,
  kProcedure,
  kSection,
  kClientVersion,   // the mail client application's Version
  kProgramVersion,  // ProgramInfo::Version()
  kVersionComments,
  kFileDescription,
  kApplicationPath,
  kSetting,  // the setting below as stored, "" when unset
};

struct RecordLine {
  std::string_view label;
  RecordField field;
  const SettingKey* setting = nullptr;
};

// Lines 1 to 18 of the add-in's record.
extern const std::span<const RecordLine> kAddInRecord;
// The options page's shorter record: lines 1 to 6, its program folder, template and signature.
extern const std::span<const RecordLine> kOptionsPageRecord;

// Where the values of a record come from.
struct RecordContext {
  const Failure& failure;
  std::string timestamp;  // "mm-dd-yyyy hh:mm:ss"
  const ProgramInfo& program;
  std::string application_path;
  const Settings& settings;
  mail::Application* mail = nullptr;  // none: the client version line fails (kObjectNotSet)
};

// label + value + CR LF. Throws what the source throws (the mail client, the registry).
std::string RecordLineText(const RecordLine& line, const RecordContext& context);

// Every line of the table in order. A line whose source throws is left out and on_failure is
// called with the exception; without on_failure the exception passes through.
using RecordFailureHandler = std::function<void(const std::exception&)>;
std::string BuildRecord(std::span<const RecordLine> lines, const RecordContext& context,
                        const RecordFailureHandler& on_failure = {});

// Line 19: "Word as editor: true" / "Word as editor: false" + CR LF.
std::string WordEditorLine(bool is_word_mail);
// Line 20: "Editor type: " + Text (1), HTML (2), RTF (3), WORD (4), else "unknown" + CR LF.
std::string EditorTypeLine(int editor_type);

// The system block's pieces.
// "Windows 32s ", "Windows 95 ", "Windows NT " + major.minor (Build n) for the classic platform
// ids 0, 1 and 2; for any other system its own name and release ("Linux 6.1.0-18-amd64"), and
// major.minor (Build n) alone when it gives no name.
std::string PlatformText(const OsVersion& version);
// 386 "Intel 386", 486 "Intel 486", 586 "Intel Pentium", 4000 "MIPS R4000", 21064
// "DEC Alpha 21064", anything else "(unknown)".
std::string ProcessorText(int processor_type);
// Bytes as kilobytes (64-bit, truncated) grouped "###,###,###", then "K"; below 1024 bytes the
// grouping prints no digits, so the text is just "K".
std::string KilobyteText(uint64_t bytes);
// The four memory lines, each label + KilobyteText + CR LF, in the order total physical,
// available physical, total virtual, available virtual.
std::string MemoryLines(const MemoryStatus& memory);

// The system block of a report: the platform line and an empty line, "CPU: " + ProcessorText and
// an empty line, the four memory lines and an empty line. Throws what system throws.
std::string BuildSystemBlock(SystemInfo& system);

}  // namespace vellumo
