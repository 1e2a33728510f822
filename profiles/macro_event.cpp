#include "profiles/macro_event.h"

#include <cctype>
#include <climits>
#include <string>

#include "profiles/json_file.h"

namespace talmi {
namespace {

// atoi-like: optional leading blanks and sign, then digits; saturates
// instead of overflowing.
int32_t ParseLeadingInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > INT32_MAX) {
      v = int64_t{INT32_MAX} + (negative ? 1 : 0);
      break;
    }
  }
  return static_cast<int32_t>(negative ? -v : v);
}

}  // namespace

uint16_t MacroEventDelay(const Json::Value& event) {
  const Json::Value* delay = JsonMember(event, "Delay");
  if (delay == nullptr) return 0;
  if (delay->isString()) return static_cast<uint16_t>(ParseLeadingInt(delay->asString()));
  int32_t v = 0;
  if (JsonAsInt(delay, v)) return static_cast<uint16_t>(v);
  return 0;
}

bool MacroEventIsPress(const Json::Value& event) {
  const Json::Value* action = JsonMember(event, "Action");
  return action != nullptr && action->isString() && action->asString() == kMacroActionDown;
}

EncodedMacroEvent EncodeMacroEvent(const Json::Value& event) {
  EncodedMacroEvent out{};
  if (!event.isObject()) return out;
  const uint16_t delay = MacroEventDelay(event);
  out[macro_event::kDelayLow] = static_cast<uint8_t>(delay);
  out[macro_event::kDelayHigh] = static_cast<uint8_t>(delay >> 8);
  out[macro_event::kType] = static_cast<uint8_t>(JsonInt(event, "Type"));
  if (MacroEventIsPress(event)) out[macro_event::kType] |= macro_event::kPressFlag;
  out[macro_event::kButton] = static_cast<uint8_t>(JsonInt(event, "Button"));
  return out;
}

std::vector<EncodedMacroEvent> EncodeMacroEvents(const Json::Value& document) {
  std::vector<EncodedMacroEvent> out;
  const Json::Value* events = JsonArrayMember(document, "Events");
  if (events == nullptr) return out;
  out.reserve(events->size());
  for (const Json::Value& e : *events) out.push_back(EncodeMacroEvent(e));
  return out;
}

Json::Value MakeMacroEvent(int type, int button, bool press, int delay) {
  Json::Value e(Json::objectValue);
  e["Type"] = type;
  e["Button"] = button;
  e["Action"] = press ? kMacroActionDown : kMacroActionUp;
  e["Delay"] = std::to_string(delay);
  return e;
}

}  // namespace talmi
