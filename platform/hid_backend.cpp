#include "platform/hid_backend.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/hidraw_backend.h"

namespace talmi {
namespace {

struct Registry {
  std::mutex lock;
  // Registration order is the enumeration order after hidraw.
  std::vector<std::pair<std::string, IHidBackend*>> entries;
  std::atomic<bool> hidrawEnumerated{true};
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterHidBackend(const std::string& prefix, IHidBackend* backend) {
  if (prefix.empty()) return;  // an empty prefix would shadow hidraw
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (auto it = r.entries.begin(); it != r.entries.end(); ++it) {
    if (it->first != prefix) continue;
    if (backend == nullptr) {
      r.entries.erase(it);
    } else {
      it->second = backend;
    }
    return;
  }
  if (backend != nullptr) r.entries.emplace_back(prefix, backend);
}

IHidBackend* HidBackendFor(const std::string& node) {
  Registry& r = TheRegistry();
  {
    std::lock_guard<std::mutex> guard(r.lock);
    // The longest matching prefix wins, so "sim:" and "sim:test/" can coexist.
    IHidBackend* best = nullptr;
    size_t bestLen = 0;
    for (const auto& [prefix, backend] : r.entries) {
      if (node.compare(0, prefix.size(), prefix) == 0 && prefix.size() > bestLen) {
        best = backend;
        bestLen = prefix.size();
      }
    }
    if (best != nullptr) return best;
  }
  return &DefaultHidrawBackend();
}

std::vector<IHidBackend*> HidBackends() {
  Registry& r = TheRegistry();
  std::vector<IHidBackend*> out;
  if (r.hidrawEnumerated.load()) out.push_back(&DefaultHidrawBackend());
  std::lock_guard<std::mutex> guard(r.lock);
  for (const auto& entry : r.entries) {
    bool seen = false;
    for (IHidBackend* b : out) seen = seen || b == entry.second;
    if (!seen) out.push_back(entry.second);  // one backend under two prefixes lists once
  }
  return out;
}

void SetHidrawEnumerationEnabled(bool on) { TheRegistry().hidrawEnumerated.store(on); }

}  // namespace talmi
