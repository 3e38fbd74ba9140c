#pragma once
// Makes a new skin pack out of an existing one: the same pictures in other colours, the
// texts naming the new skin. The demo server offers such a pack as a skin the program lacks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::demo {

// Pure magenta marks the pixels outside a window's shape.
inline constexpr std::uint32_t kKeyColour = 0xFF00FF;

// `rgb` (0xRRGGBB) with its hue turned by `degrees`. The key colour stays as it is and no
// other colour turns into it, so every window keeps its shape; greys stay grey.
std::uint32_t RotateHue(std::uint32_t rgb, double degrees);

// A .bmp file with every pixel's hue turned, written as 24 bits per pixel; nothing when the
// bytes are no readable bitmap.
std::optional<std::string> RecolourBitmap(std::string_view bmp, double degrees);

// The pack `source` as skin `newName`: every .bmp entry recoloured, every .txt and .ini
// entry with the source's name (its file name without extension) replaced by `newName`,
// entries in the same order under the same names. Nothing, with the reason in `problem`,
// when the source cannot be read.
std::optional<std::string> DeriveSkinPack(const std::filesystem::path& source, std::string_view newName,
                                          double degrees, std::string& problem);

}  // namespace vantrel::demo
