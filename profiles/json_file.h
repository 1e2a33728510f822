#pragma once
// JSON file helpers shared by every store, and lenient readers for the
// conventions the stored documents follow: a missing key and a null read
// the same, flags are integers or booleans, numbers are signed 32-bit, and a
// value of an unexpected type reads as missing. Nothing here throws.
#include <json/json.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace talmi {

// Deepest nesting a stored document may have; deeper text reads as broken.
inline constexpr int kMaxJsonDepth = 128;
// Largest JSON file read at all.
inline constexpr size_t kMaxJsonFileBytes = 16u << 20;

// The whole file parsed with comments allowed; null when the file is
// missing, unreadable, empty, too large, malformed or nested too deeply.
[[nodiscard]] Json::Value ReadJsonFile(const std::string& path);

// Parses text the same way (null on any failure).
[[nodiscard]] Json::Value ParseJsonText(std::string_view text);

// Styled text: three spaces per level, one line end after the document.
std::string StyledJsonText(const Json::Value& value);

// Replaces the file atomically with the styled text; 1 written, 0 not.
[[nodiscard]] int WriteJsonFile(const std::string& path, const Json::Value& value);

// Local time "%d_%02d_%02d_%02d_%02d_%02d_%03d" (year .. millisecond).
std::string MakeTimestampId();

// Text entering and leaving the stores: UTF-8 in and out, every invalid
// sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF,
// truncated tail) replaced by U+FFFD.
std::string ToUtf8(std::string_view text);
std::string FromUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Accepts both separators in file names given with backslashes.
std::string NormalizePathSeparators(std::string_view path);

// --- Lenient reading -------------------------------------------------------

// The member, or nullptr when value is not an object or the member is
// absent or null.
const Json::Value* JsonMember(const Json::Value& value, const char* key);
// Element i, or nullptr when value is not an array, i is out of range or the
// element is null.
const Json::Value* JsonElement(const Json::Value& value, Json::ArrayIndex i);
// Typed look-ups: nullptr unless the member exists with that type.
const Json::Value* JsonObjectMember(const Json::Value& value, const char* key);
const Json::Value* JsonArrayMember(const Json::Value& value, const char* key);

// Integers: the low 32 bits of any integral value; other types are missing.
bool JsonAsInt(const Json::Value* v, int32_t& out);
int32_t JsonInt(const Json::Value& obj, const char* key, int32_t fallback = 0);
int32_t JsonIntAt(const Json::Value& arr, Json::ArrayIndex i, int32_t fallback = 0);
// Low 8 / 16 bits of an integer member (0 when missing).
uint8_t JsonByte(const Json::Value& obj, const char* key);
uint16_t JsonU16(const Json::Value& obj, const char* key);
// A JSON boolean, or an integer (non-zero is true).
bool JsonBool(const Json::Value& obj, const char* key, bool fallback = false);
// A string member, repaired UTF-8; fallback when missing or not a string.
std::string JsonString(const Json::Value& obj, const char* key,
                       const std::string& fallback = std::string());

// --- Shaping a tree before writing into it -------------------------------

// Member key of obj as an object / array: obj becomes an object when it is
// not one, the member is replaced when it has another type.
Json::Value& JsonEnsureObject(Json::Value& obj, const char* key);
Json::Value& JsonEnsureArray(Json::Value& obj, const char* key);
// Element i of arr: arr becomes an array when it is not one and grows to
// hold i.
Json::Value& JsonEnsureElement(Json::Value& arr, Json::ArrayIndex i);
// Sets obj[key] (obj becomes an object when it is not one).
void JsonSet(Json::Value& obj, const char* key, Json::Value v);

}  // namespace talmi
