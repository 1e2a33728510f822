#include "toolkit/attr_parse.h"

#include <charconv>
#include <cstdint>

namespace talmi {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool ParseColor(std::string_view text, DWORD& out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  if (text.empty() || text.size() > 8) return false;
  std::uint32_t v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (ec != std::errc() || p != text.data() + text.size()) return false;
  if (text.size() == 6) v |= 0xFF000000u;
  out = v;
  return true;
}

bool ParseInt(std::string_view text, int& out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  int v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
  if (ec != std::errc() || p != text.data() + text.size()) return false;
  out = v;
  return true;
}

bool ParseBool(std::string_view text) {
  text = Trim(text);
  return text == "true" || text == "TRUE" || text == "True" || text == "1";
}

bool ParseRect(std::string_view text, RECT& out) {
  int v[4] = {0, 0, 0, 0};
  int n = 0;
  while (n < 4) {
    size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    if (!ParseInt(part, v[n])) return false;
    ++n;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (n == 1) v[1] = v[2] = v[3] = v[0];
  else if (n != 4) return false;
  out = RECT{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseSize(std::string_view text, SIZE& out) {
  size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  int cx = 0, cy = 0;
  if (!ParseInt(text.substr(0, comma), cx) || !ParseInt(text.substr(comma + 1), cy)) return false;
  out = SIZE{cx, cy};
  return true;
}

int ForEachAttribute(std::string_view list,
                     const std::function<void(std::string_view, std::string_view)>& fn) {
  int count = 0;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsBlank(list[i])) ++i;
    if (i >= list.size()) break;
    size_t nameStart = i;
    while (i < list.size() && list[i] != '=' && !IsBlank(list[i])) ++i;
    std::string_view name = list.substr(nameStart, i - nameStart);
    while (i < list.size() && IsBlank(list[i])) ++i;
    if (i >= list.size() || list[i] != '=' || name.empty()) return count;
    ++i;
    while (i < list.size() && IsBlank(list[i])) ++i;
    if (i >= list.size() || (list[i] != '"' && list[i] != '\'')) return count;
    char quote = list[i++];
    size_t valueStart = i;
    while (i < list.size() && list[i] != quote) ++i;
    if (i >= list.size()) return count;
    fn(name, list.substr(valueStart, i - valueStart));
    ++count;
    ++i;
  }
  return count;
}

std::string NormalizePath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && (path[0] == '/' || path[0] == '\\'); }

std::string JoinPath(std::string_view folder, std::string_view file) {
  std::string f = NormalizePath(file);
  if (IsAbsolutePath(f) || folder.empty()) return f;
  std::string out = NormalizePath(folder);
  if (out.back() != '/') out += '/';
  return out + f;
}

}  // namespace talmi
