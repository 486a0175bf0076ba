#pragma once
// The shape of a dialog resource: controls in tab order with their rectangles
// in dialog units. Plain data; platform/ turns a template into widgets.

#include <cstdint>
#include <span>

enum class ControlKind {
    PushButton,
    CheckBox,  // automatic check box
    Static,    // text
    Icon,      // the application icon
    Edit,
    Slider,  // horizontal trackbar
    ProgressBar,
};

// Control style bits.
namespace Style {
inline constexpr uint32_t None = 0;
inline constexpr uint32_t DefaultButton = 1u << 0;
inline constexpr uint32_t Hidden = 1u << 1;
inline constexpr uint32_t Disabled = 1u << 2;
inline constexpr uint32_t TabStop = 1u << 3;
inline constexpr uint32_t CentreH = 1u << 4;      // static text
inline constexpr uint32_t CentreV = 1u << 5;      // static text
inline constexpr uint32_t Border = 1u << 6;       // edit
inline constexpr uint32_t MultiLine = 1u << 8;    // edit, no word wrap
inline constexpr uint32_t ReadOnly = 1u << 9;     // edit
inline constexpr uint32_t ScrollBars = 1u << 11;  // multi-line edit, both as needed
inline constexpr uint32_t NoTicks = 1u << 13;     // slider
}  // namespace Style

// Dialog style bits.
namespace DialogStyle {
inline constexpr uint32_t Caption = 1u << 0;
inline constexpr uint32_t SystemMenu = 1u << 1;
}  // namespace DialogStyle

inline constexpr int StaticId = -1;  // controls nobody addresses

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    int x, y, cx, cy;  // dialog units
    uint32_t style;
};

struct DialogTemplate {
    int id;
    const char* caption;  // UTF-8
    int x, y, cx, cy;     // dialog units; cx, cy are the client area
    const char* fontName;
    int pointSize;
    uint32_t style;
    std::span<const ControlTemplate> controls;  // tab order
};
