#pragma once
// Where profile data lives. Every folder path returned here ends with "/",
// so file names are appended directly.
#include <string>
#include <string_view>

namespace talmi {

// Kind names of the pages; they name the per-kind data folders and the
// default profile files.
inline constexpr const char* kKindMouse = "mouse";
inline constexpr const char* kKindKeyboard = "keyboard";
inline constexpr const char* kKindMousePad = "MousePad";
inline constexpr const char* kKindHeadset = "HD";

inline constexpr const char* kProfileExtension = ".Json";
inline constexpr const char* kLightLibraryName = "kelma_light";
inline constexpr const char* kLightLibraryExtension = ".config";
inline constexpr const char* kLightEffectExtension = ".light";

// User folder: local application data + "TALMI KT-380 Device/", created.
std::string UserFolderPath();
// Data folder of one kind: user folder + kind + "/", both created. Empty
// when the kind name is not a safe file name.
std::string DataFolderPath(std::string_view kindName);
// Program folder + "DefaultData/" (read only).
std::string DefaultFolderPath();
// Default folder + kind + ".Json"; empty for an unsafe kind name.
std::string DefaultProfilePath(std::string_view kindName);
// folder + id + ".Json"; empty when id is not a safe file identifier, so a
// crafted id never names a file outside the folder.
std::string ProfileFilePath(const std::string& folder, std::string_view id);
// Data folder + "kelma_light.config".
std::string LightLibraryPath(std::string_view kindName);
// The folder part of a file path including its last "/" ("" when none).
std::string FolderOfPath(const std::string& path);

}  // namespace talmi
