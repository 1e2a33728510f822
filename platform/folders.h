#pragma once
// Where things live on this platform. Every function returns a folder path
// without a trailing "/".
#include <string>

namespace talmi {

inline constexpr const char* kProductName = "TALMI KT-380 Device";

// $XDG_DATA_HOME, else ~/.local/share (the local application data folder).
std::string LocalAppDataFolder();
// $TMPDIR, else /tmp.
std::string TempFolder();
// The folder that holds skin/, DefaultData/, Font/, SDK/: $TALMI_PROGRAM_DIR
// when set, else beside the executable, else <prefix>/share/talmi-kt380.
std::string ProgramFolder();
// ProgramFolder() + "/skin".
std::string ResourceRoot();
// LocalAppDataFolder() + "/TALMI KT-380 Device"; created when create is set.
std::string UserDataFolder(bool create);
// $XDG_CONFIG_HOME (else ~/.config) + "/TALMI KT-380 Device"; created when create is set.
std::string UserConfigFolder(bool create);
// $XDG_RUNTIME_DIR, else /tmp/runtime-<uid> (created 0700, checked to be ours).
std::string RuntimeFolder();

// Creates a folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path, unsigned mode = 0755);

}  // namespace talmi
