#pragma once
// A macro event as stored ({"Type", "Button", "Action", "Delay"}) and its
// 4-byte device form: delay low byte, delay high byte, type with bit 7 set
// for a press, button.
#include <json/json.h>

#include <array>
#include <cstdint>
#include <vector>

namespace talmi {

inline constexpr int kMacroEventMouseButton = 1;
inline constexpr int kMacroEventMoveX = 4;   // "down" = left, "up" = right
inline constexpr int kMacroEventMoveY = 5;   // "down" = up, "up" = down
inline constexpr int kMacroEventModifier = 9;
inline constexpr int kMacroEventKey = 10;

inline constexpr const char* kMacroActionDown = "down";
inline constexpr const char* kMacroActionUp = "up";

// Every macro file carries this version.
inline constexpr int kMacroFileVersion = 64;

using EncodedMacroEvent = std::array<uint8_t, 4>;

namespace macro_event {
inline constexpr size_t kDelayLow = 0;
inline constexpr size_t kDelayHigh = 1;
inline constexpr size_t kType = 2;
inline constexpr size_t kButton = 3;
inline constexpr uint8_t kPressFlag = 0x80;
}  // namespace macro_event

// "Delay" as milliseconds: decimal text (leading digits, like the original
// reader) or an integer; only the low 16 bits count. Anything else is 0.
uint16_t MacroEventDelay(const Json::Value& event);

// true only for "Action": "down"; anything else is a release.
bool MacroEventIsPress(const Json::Value& event);

// A non-object event encodes as a zero-delay release of type 0.
EncodedMacroEvent EncodeMacroEvent(const Json::Value& event);

// The "Events" array of a macro or pattern document, encoded in order; an
// absent or non-array "Events" gives no events.
std::vector<EncodedMacroEvent> EncodeMacroEvents(const Json::Value& document);

// Builds an event object the way the editors store one ("Delay" as text).
Json::Value MakeMacroEvent(int type, int button, bool press, int delay);

}  // namespace talmi
