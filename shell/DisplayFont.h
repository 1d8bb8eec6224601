#pragma once
// A display font as the program keeps and stores it: family name (Shift-JIS), size in
// points, colour in the original platform's form (0x00BBGGRR, or 0x800000nn for system
// colour nn) and the effects the font dialog offers. The settings file keeps name, size
// and colour only.
#include <cstdint>
#include <optional>
#include <string>

namespace shell {

constexpr std::uint32_t kClWindowText = 0x80000008u;

struct DisplayFont {
    std::string name = "IPAGothic";
    int size = 10;
    std::uint32_t color = kClWindowText;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const DisplayFont&) const = default;
};

// "clBlack" and the other colour constant names where the colour has one, otherwise "$"
// and eight hexadecimal digits.
std::string colorToString(std::uint32_t color);
// A colour constant name, or a number ("$0000FF", "255"); nullopt for anything else.
std::optional<std::uint32_t> stringToColor(const std::string& text);

} // namespace shell
