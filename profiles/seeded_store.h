#pragma once
// Stores shipped with the program: the user's copy wins whenever it parses;
// otherwise the shipped copy is read and written over the user's copy at
// once.
#include <json/json.h>

#include <string>

namespace talmi {

// The document in force (null when neither copy can be read; the user copy
// is then written as null and the next start tries the shipped copy again).
Json::Value OpenSeededStore(const std::string& defaultPath, const std::string& userPath);

}  // namespace talmi
