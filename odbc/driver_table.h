// The program's own list of ODBC drivers by name (resources/odbcinst.ini, compiled in), for a
// connection string that names a driver ("Driver=SQLite3;...") the system never registered: the
// driver manager only knows the drivers of the system's odbcinst.ini, and editing that file needs
// root. The table maps a name to the driver's library file; the file is then looked for in the
// system's ODBC driver folders.
//
// Thread safety: a DriverTable is immutable after construction.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::odbc {

// The text of resources/odbcinst.ini.
std::string_view ProjectOdbcinst();

// The folders drivers are installed in, most likely first: this build's multiarch folder
// (/usr/lib/x86_64-linux-gnu/odbc), every other /usr/lib/*/odbc, /usr/lib/odbc,
// /usr/local/lib/odbc. Only folders that exist.
std::vector<std::string> DefaultDriverDirs();

class DriverTable {
 public:
  struct Entry {
    std::string name;     // the section name: what Driver= says
    std::string library;  // its Driver= value: a file name or an absolute path
  };

  // Parses odbcinst text: "[Name]" sections, "Driver=library" lines, ";" and "#" comments.
  // Throws Error naming file_name and the line for a line that is none of these or a section
  // without Driver. Names are compared ignoring ASCII case, as the driver manager does.
  DriverTable(std::string_view text, std::string_view file_name);

  // The entry for name, or nullopt.
  [[nodiscard]] std::optional<Entry> Find(std::string_view name) const;
  // The names in file order.
  [[nodiscard]] std::vector<std::string> Names() const;

  // The library of an entry as a path that exists: an absolute library as it is, a file name in
  // the first of dirs holding it. nullopt when it is nowhere.
  [[nodiscard]] static std::optional<std::string> Locate(const Entry& entry,
                                                         const std::vector<std::string>& dirs);

 private:
  std::vector<Entry> entries_;
};

}  // namespace vellumo::odbc
