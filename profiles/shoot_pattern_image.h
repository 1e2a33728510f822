#pragma once
// Shooting patterns: one file per gun ("ShootData_" + gun + ".Shoot") in
// the macro event format, packed for the mouse into the macro memory image
// with one block per gun in gun order.
#include <cstdint>
#include <string>
#include <vector>

namespace talmi {

inline constexpr int kShootGunCount = 4;
inline constexpr int kShootBulletCount = 30;
inline constexpr int kShootEventsPerBullet = 6;

// "ShootData_<gun>.Shoot"; "" for a gun outside 0-3.
std::string ShootPatternFileName(int gun);
// folder + the file name; "" for a gun outside 0-3.
std::string ShootPatternFilePath(const std::string& folder, int gun);

// The four guns' events read from folder (a missing or broken file is a
// gun without events). No device memory limit applies; empty only when the
// files together exceed what the image's 16-bit length can describe.
[[nodiscard]] std::vector<uint8_t> BuildShootPatternImage(const std::string& folder);

}  // namespace talmi
