#include "profiles/ini_file.h"

#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/case_fold.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

constexpr const char* kSkinSection = "SKINIMAGE";
constexpr const char* kDefaultBackground = "common/background.png";
constexpr size_t kMaxIniBytes = 1u << 20;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The section name of a "[name]" line; false for other lines.
bool SectionOf(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = Trim(line.substr(1, line.size() - 2));
  return true;
}

// The key of a "key=value" line; false for other lines.
bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

std::string OneLine(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

}  // namespace

int WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value) {
  std::string text;
  if (!ReadWholeFile(path, text, kMaxIniBytes)) text.clear();
  std::vector<std::string> lines = Lines(text);
  const std::string entry = key + "=" + OneLine(value);
  bool inSection = false;
  size_t insertAt = std::string::npos;
  bool done = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    std::string_view name, k, v;
    if (SectionOf(lines[i], name)) {
      if (inSection) break;
      inSection = EqualsIgnoreCase(name, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (!Trim(lines[i]).empty()) insertAt = i + 1;
    if (KeyOf(lines[i], k, v) && EqualsIgnoreCase(k, key)) {
      lines[i] = entry;
      done = true;
    }
  }
  if (!done) {
    if (insertAt == std::string::npos) {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    } else {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return WriteFileAtomically(path, out) ? 1 : -1;
}

std::string ReadIniValue(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& fallback) {
  std::string text;
  if (!ReadWholeFile(path, text, kMaxIniBytes)) return fallback;
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    std::string_view name, k, v;
    if (SectionOf(line, name)) {
      inSection = EqualsIgnoreCase(name, section);
    } else if (inSection && KeyOf(line, k, v) && EqualsIgnoreCase(k, key)) {
      return std::string(v);
    }
  }
  return fallback;
}

int WriteSkinImageChoice(const std::string& userFolder, const std::string& image) {
  const std::string path = FolderWithSeparator(userFolder) + kMainIniName;
  const int flags = WriteIniValue(path, kSkinSection, "FLAGS", "1");
  const int picture = WriteIniValue(path, kSkinSection, "IMAGE", image);
  return flags == 1 && picture == 1 ? 1 : -1;
}

int WriteSkinImageReset(const std::string& userFolder) {
  const std::string path = FolderWithSeparator(userFolder) + kMainIniName;
  const int flags = WriteIniValue(path, kSkinSection, "FLAGS", "0");
  const int picture = WriteIniValue(path, kSkinSection, "IMAGE", kDefaultBackground);
  return flags == 1 && picture == 1 ? 1 : -1;
}

}  // namespace talmi
