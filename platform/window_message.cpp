#include "platform/window_message.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace talmi {
namespace {

std::string FoldAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxMessageNameBytes) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

struct Registry {
  std::mutex lock;
  std::unordered_map<std::string, uint32_t> byFoldedName;
  std::vector<std::string> names;  // index = id - kFirstRegisteredMessage
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

uint32_t RegisterWindowMessage(std::string_view name) {
  if (!IsValidName(name)) return 0;
  Registry& r = TheRegistry();
  std::string key = FoldAscii(name);
  std::lock_guard<std::mutex> guard(r.lock);
  if (auto it = r.byFoldedName.find(key); it != r.byFoldedName.end()) return it->second;
  const size_t capacity = kLastRegisteredMessage - kFirstRegisteredMessage + 1;
  if (r.names.size() >= capacity) return 0;
  uint32_t id = kFirstRegisteredMessage + static_cast<uint32_t>(r.names.size());
  r.names.emplace_back(name);
  r.byFoldedName.emplace(std::move(key), id);
  return id;
}

uint32_t LookupWindowMessage(std::string_view name) {
  if (!IsValidName(name)) return 0;
  Registry& r = TheRegistry();
  std::string key = FoldAscii(name);
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.byFoldedName.find(key);
  return it == r.byFoldedName.end() ? 0 : it->second;
}

std::string RegisteredMessageName(uint32_t id) {
  if (!IsRegisteredMessageId(id)) return {};
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  size_t index = id - kFirstRegisteredMessage;
  return index < r.names.size() ? r.names[index] : std::string();
}

bool IsRegisteredMessageId(uint32_t id) {
  return id >= kFirstRegisteredMessage && id <= kLastRegisteredMessage;
}

int ChangeWindowMessageFilter(uint32_t /*message*/, uint32_t /*action*/) { return 1; }

}  // namespace talmi
