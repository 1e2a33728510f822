#pragma once
// The toolkit's string: UTF-8 text with the operations skins and handlers
// use (formatting, comparisons without regard to case, lower-casing).
#include <string>
#include <string_view>

#include "platform/case_fold.h"

namespace talmi {

class CDuiString {
 public:
  CDuiString() = default;
  CDuiString(const char* s) : m_s(s ? s : "") {}  // NOLINT: implicit on purpose
  CDuiString(const char* s, int len);
  CDuiString(std::string s) : m_s(std::move(s)) {}  // NOLINT
  CDuiString(std::string_view s) : m_s(s) {}        // NOLINT
  CDuiString(char c) : m_s(1, c) {}                 // NOLINT

  const char* GetData() const { return m_s.c_str(); }
  const char* c_str() const { return m_s.c_str(); }
  const std::string& str() const { return m_s; }
  std::string_view view() const { return m_s; }
  // Length in bytes.
  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }

  char GetAt(int i) const;
  char operator[](int i) const { return GetAt(i); }
  void Assign(const char* s, int len = -1);
  void Append(const char* s) { m_s += s ? s : ""; }
  void Append(const CDuiString& s) { m_s += s.m_s; }

  CDuiString& operator=(const char* s) {
    m_s = s ? s : "";
    return *this;
  }
  CDuiString& operator+=(const CDuiString& s) {
    m_s += s.m_s;
    return *this;
  }
  CDuiString& operator+=(const char* s) {
    m_s += s ? s : "";
    return *this;
  }
  CDuiString& operator+=(char c) {
    m_s += c;
    return *this;
  }

  friend CDuiString operator+(const CDuiString& a, const CDuiString& b) { return a.m_s + b.m_s; }
  friend CDuiString operator+(const CDuiString& a, const char* b) { return a.m_s + (b ? b : ""); }
  friend CDuiString operator+(const char* a, const CDuiString& b) {
    return std::string(a ? a : "") + b.m_s;
  }

  friend bool operator==(const CDuiString& a, const CDuiString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CDuiString& a, const char* b) { return a.m_s == (b ? b : ""); }
  friend bool operator<(const CDuiString& a, const CDuiString& b) { return a.m_s < b.m_s; }

  // 0 when equal, negative / positive as strcmp.
  int Compare(const char* s) const;
  // Unicode simple case folding before comparing.
  int CompareNoCase(const char* s) const;
  int CompareNoCase(const CDuiString& s) const { return CompareNoCase(s.GetData()); }

  CDuiString& MakeLower();
  CDuiString& MakeUpper();

  // Substrings by byte index; out-of-range parts are clipped.
  CDuiString Left(int len) const;
  CDuiString Mid(int pos, int len = -1) const;
  CDuiString Right(int len) const;
  // Byte index or -1.
  int Find(char c, int start = 0) const;
  int Find(const char* s, int start = 0) const;
  int ReverseFind(char c) const;
  // Number of replacements.
  int Replace(const char* from, const char* to);
  bool StartsWith(const char* prefix) const;

  // printf-style; the result replaces the content. Returns the new length.
  int Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  int AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::string m_s;
};

// Names compare by their case-folded form (FoldCase of the platform layer).
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return EqualsIgnoreCase(a, b); }

}  // namespace talmi
