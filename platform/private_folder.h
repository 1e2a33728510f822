#pragma once
// Folders inside the runtime folder that only this user may enter: the lock
// files of the single-instance mutex and the sockets of the message bus.
#include <string>

namespace talmi {

// RuntimeFolder() + "/talmi-kt380", created 0700; empty when it exists but is
// not a private folder of ours (a link, another owner, open permissions).
std::string PrivateRuntimeFolder();

// Creates path (one level) with mode 0700 when missing and checks that it is a
// real folder, owned by the effective user, closed to group and others.
bool EnsurePrivateFolder(const std::string& path);

}  // namespace talmi
