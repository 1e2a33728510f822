#include "toolkit/dui_string.h"

#include <QString>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace talmi {
namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

std::string VFormat(const char* fmt, va_list ap) {
  if (!fmt) return {};
  va_list copy;
  va_copy(copy, ap);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
  return std::string(big.data(), n);
}

}  // namespace

CDuiString::CDuiString(const char* s, int len) { Assign(s, len); }

char CDuiString::GetAt(int i) const {
  if (i < 0 || i >= GetLength()) return '\0';
  return m_s[static_cast<size_t>(i)];
}

void CDuiString::Assign(const char* s, int len) {
  if (!s) {
    m_s.clear();
    return;
  }
  if (len < 0) {
    m_s = s;
    return;
  }
  m_s.assign(s, strnlen(s, static_cast<size_t>(len)));
}

int CDuiString::Compare(const char* s) const { return std::strcmp(m_s.c_str(), s ? s : ""); }

int CDuiString::CompareNoCase(const char* s) const {
  std::string a = FoldCase(m_s);
  std::string b = FoldCase(s ? s : "");
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

CDuiString& CDuiString::MakeLower() {
  if (IsAscii(m_s)) {
    for (char& c : m_s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return *this;
  }
  m_s = QString::fromUtf8(m_s.data(), static_cast<qsizetype>(m_s.size())).toLower().toStdString();
  return *this;
}

CDuiString& CDuiString::MakeUpper() {
  if (IsAscii(m_s)) {
    for (char& c : m_s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return *this;
  }
  m_s = QString::fromUtf8(m_s.data(), static_cast<qsizetype>(m_s.size())).toUpper().toStdString();
  return *this;
}

CDuiString CDuiString::Left(int len) const {
  if (len <= 0) return {};
  return m_s.substr(0, static_cast<size_t>(len));
}

CDuiString CDuiString::Mid(int pos, int len) const {
  if (pos < 0) pos = 0;
  if (pos >= GetLength()) return {};
  if (len < 0) return m_s.substr(static_cast<size_t>(pos));
  return m_s.substr(static_cast<size_t>(pos), static_cast<size_t>(len));
}

CDuiString CDuiString::Right(int len) const {
  if (len <= 0) return {};
  if (len >= GetLength()) return *this;
  return m_s.substr(m_s.size() - static_cast<size_t>(len));
}

int CDuiString::Find(char c, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  size_t p = m_s.find(c, static_cast<size_t>(start));
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CDuiString::Find(const char* s, int start) const {
  if (!s || start < 0 || start > GetLength()) return -1;
  size_t p = m_s.find(s, static_cast<size_t>(start));
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CDuiString::ReverseFind(char c) const {
  size_t p = m_s.rfind(c);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CDuiString::Replace(const char* from, const char* to) {
  if (!from || !*from) return 0;
  std::string repl = to ? to : "";
  size_t flen = std::strlen(from);
  int count = 0;
  for (size_t p = m_s.find(from); p != std::string::npos; p = m_s.find(from, p + repl.size())) {
    m_s.replace(p, flen, repl);
    ++count;
  }
  return count;
}

bool CDuiString::StartsWith(const char* prefix) const {
  return prefix && m_s.compare(0, std::strlen(prefix), prefix) == 0;
}

int CDuiString::Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  m_s = VFormat(fmt, ap);
  va_end(ap);
  return GetLength();
}

int CDuiString::AppendFormat(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  m_s += VFormat(fmt, ap);
  va_end(ap);
  return GetLength();
}

}  // namespace talmi
