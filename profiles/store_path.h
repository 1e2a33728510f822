#pragma once
// Joining a store folder and a file name: folders are kept with a trailing
// separator and names are appended to them directly.
#include <string>
#include <string_view>

#include "profiles/json_file.h"

namespace talmi {

// The folder with exactly one trailing "/" (backslashes read as "/");
// empty stays empty.
std::string FolderWithSeparator(std::string_view folder);

// Folder + identifier + extension, or "" when the identifier is not a safe
// file name (a refused identifier reads as missing and nothing is touched).
std::string IdentifiedFilePath(const std::string& folder, std::string_view id,
                               std::string_view extension);

// A new timestamp identifier (MakeTimestampId) that taken() accepts as free:
// identifiers made within one millisecond get a "_n" suffix instead of
// sharing one file.
template <typename Taken>
std::string MakeUniqueTimestampId(Taken taken) {
  const std::string base = MakeTimestampId();
  std::string id = base;
  for (int n = 1; taken(id); ++n) id = base + "_" + std::to_string(n);
  return id;
}

}  // namespace talmi
