#pragma once
// Setting one value of an INI file ("[section]" lines, "key=value" lines),
// the way the skin chooser records its choice. Other sections, keys and
// lines are kept; section and key names compare without regard to case.
#include <string>

namespace talmi {

inline constexpr const char* kMainIniName = "main.ini";

// 1 written, -1 not. Line breaks in the value are dropped, so a value never
// becomes a line of its own.
[[nodiscard]] int WriteIniValue(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& value);

// The value, or fallback when the file, section or key is missing.
std::string ReadIniValue(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& fallback = std::string());

// "main.ini" in the user folder: SKINIMAGE FLAGS "1" and IMAGE the chosen
// picture, or FLAGS "0" and IMAGE "common/background.png" after a reset.
[[nodiscard]] int WriteSkinImageChoice(const std::string& userFolder, const std::string& image);
[[nodiscard]] int WriteSkinImageReset(const std::string& userFolder);

}  // namespace talmi
