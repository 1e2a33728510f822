#include "profiles/json_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"

namespace talmi {
namespace {

constexpr const char* kReplacementChar = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence starting at p, 0 when it is invalid.
size_t ValidSequenceLength(const unsigned char* p, size_t left) {
  unsigned char c = p[0];
  if (c < 0x80) return 1;
  size_t len = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (left < len) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
  if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
  return len;
}

// Continuation bytes after an invalid lead that belong to it, so that one
// broken sequence becomes one replacement character.
size_t BrokenSequenceLength(const unsigned char* p, size_t left) {
  size_t n = 1;
  unsigned char c = p[0];
  size_t want = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
  while (n < want && n < left && (p[n] & 0xC0) == 0x80) ++n;
  return n;
}

std::string RepairUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    size_t n = ValidSequenceLength(p, left);
    if (n > 0) {
      out.append(reinterpret_cast<const char*>(p), n);
    } else {
      n = BrokenSequenceLength(p, left);
      out.append(kReplacementChar);
    }
    p += n;
    left -= n;
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t left = bytes.size();
  while (left > 0) {
    size_t n = ValidSequenceLength(p, left);
    if (n == 0) return false;
    p += n;
    left -= n;
  }
  return true;
}

std::string ToUtf8(std::string_view text) { return RepairUtf8(text); }

std::string FromUtf8(std::string_view bytes) { return RepairUtf8(bytes); }

std::string NormalizePathSeparators(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

Json::Value ParseJsonText(std::string_view text) {
  if (text.empty()) return Json::Value();
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  builder["collectComments"] = false;
  builder["stackLimit"] = kMaxJsonDepth;
  Json::Value root;
  std::string errors;
  try {
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
      return Json::Value();
    }
  } catch (...) {
    // The reader throws when the nesting limit is exceeded.
    return Json::Value();
  }
  return root;
}

Json::Value ReadJsonFile(const std::string& path) {
  std::string file = NormalizePathSeparators(path);
  std::string text;
  errno = 0;
  bool read = ReadWholeFile(file, text, kMaxJsonFileBytes);
  DebugOutputF("readjsonFile 错误吗：：%d\n", errno);
  if (!read) text.clear();
  if (text.empty()) {
    DebugOutput(file);
    return Json::Value();
  }
  return ParseJsonText(text);
}

std::string StyledJsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["commentStyle"] = "None";
  builder["emitUTF8"] = true;
  std::string text;
  try {
    text = Json::writeString(builder, value);
  } catch (...) {
    text = "null";
  }
  text += '\n';
  return text;
}

int WriteJsonFile(const std::string& path, const Json::Value& value) {
  std::string file = NormalizePathSeparators(path);
  if (file.empty()) return 0;
  if (!WriteFileAtomically(file, StyledJsonText(value))) {
    DebugOutputF("writejsonFile failed: %s\n", file.c_str());
    return 0;
  }
  return 1;
}

std::string MakeTimestampId() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(now.tv_nsec / 1000000));
  return buf;
}

// --- Lenient reading -------------------------------------------------------

const Json::Value* JsonMember(const Json::Value& value, const char* key) {
  if (!value.isObject()) return nullptr;
  const Json::Value* v = value.find(key, key + std::char_traits<char>::length(key));
  if (v == nullptr || v->isNull()) return nullptr;
  return v;
}

const Json::Value* JsonElement(const Json::Value& value, Json::ArrayIndex i) {
  if (!value.isArray() || i >= value.size()) return nullptr;
  const Json::Value& v = value[i];
  if (v.isNull()) return nullptr;
  return &v;
}

const Json::Value* JsonObjectMember(const Json::Value& value, const char* key) {
  const Json::Value* v = JsonMember(value, key);
  return (v != nullptr && v->isObject()) ? v : nullptr;
}

const Json::Value* JsonArrayMember(const Json::Value& value, const char* key) {
  const Json::Value* v = JsonMember(value, key);
  return (v != nullptr && v->isArray()) ? v : nullptr;
}

bool JsonAsInt(const Json::Value* v, int32_t& out) {
  if (v == nullptr) return false;
  if (v->isInt64()) {
    out = static_cast<int32_t>(static_cast<uint32_t>(v->asInt64()));
    return true;
  }
  if (v->isUInt64()) {
    out = static_cast<int32_t>(static_cast<uint32_t>(v->asUInt64()));
    return true;
  }
  return false;
}

int32_t JsonInt(const Json::Value& obj, const char* key, int32_t fallback) {
  int32_t out = fallback;
  return JsonAsInt(JsonMember(obj, key), out) ? out : fallback;
}

int32_t JsonIntAt(const Json::Value& arr, Json::ArrayIndex i, int32_t fallback) {
  int32_t out = fallback;
  return JsonAsInt(JsonElement(arr, i), out) ? out : fallback;
}

uint8_t JsonByte(const Json::Value& obj, const char* key) {
  return static_cast<uint8_t>(JsonInt(obj, key) & 0xFF);
}

uint16_t JsonU16(const Json::Value& obj, const char* key) {
  return static_cast<uint16_t>(JsonInt(obj, key) & 0xFFFF);
}

bool JsonBool(const Json::Value& obj, const char* key, bool fallback) {
  const Json::Value* v = JsonMember(obj, key);
  if (v == nullptr) return fallback;
  if (v->isBool()) return v->asBool();
  int32_t n = 0;
  if (JsonAsInt(v, n)) return n != 0;
  return fallback;
}

std::string JsonString(const Json::Value& obj, const char* key, const std::string& fallback) {
  const Json::Value* v = JsonMember(obj, key);
  if (v == nullptr || !v->isString()) return fallback;
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!v->getString(&begin, &end)) return fallback;
  return FromUtf8(std::string_view(begin, static_cast<size_t>(end - begin)));
}

// --- Shaping a tree --------------------------------------------------------

Json::Value& JsonEnsureObject(Json::Value& obj, const char* key) {
  if (!obj.isObject()) obj = Json::Value(Json::objectValue);
  Json::Value& child = obj[key];
  if (!child.isObject()) child = Json::Value(Json::objectValue);
  return child;
}

Json::Value& JsonEnsureArray(Json::Value& obj, const char* key) {
  if (!obj.isObject()) obj = Json::Value(Json::objectValue);
  Json::Value& child = obj[key];
  if (!child.isArray()) child = Json::Value(Json::arrayValue);
  return child;
}

Json::Value& JsonEnsureElement(Json::Value& arr, Json::ArrayIndex i) {
  if (!arr.isArray()) arr = Json::Value(Json::arrayValue);
  return arr[i];
}

void JsonSet(Json::Value& obj, const char* key, Json::Value v) {
  if (!obj.isObject()) obj = Json::Value(Json::objectValue);
  obj[key] = std::move(v);
}

}  // namespace talmi
