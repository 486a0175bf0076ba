#pragma once
// The main window's menu bar and accelerator table (set 128), as data.
// Texts are UTF-8, with "&" before a mnemonic and "\t" before a shortcut
// that the item only displays.

#include <span>

namespace CommandId {
// Map view commands.
inline constexpr int Generate = 32771;
inline constexpr int WaterLevel = 32772;
inline constexpr int RawSave = 32773;
inline constexpr int CopyToClipboard = 32774;
inline constexpr int RegionDisplay = 32775;
inline constexpr int Move = 32777;
inline constexpr int Information = 32778;
inline constexpr int FileOpen = 57601;
inline constexpr int FileSave = 57603;
// Frame and application.
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
// Commands with no handler anywhere: their items and keys do nothing.
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditPaste = 57637;
inline constexpr int EditUndo = 57643;
inline constexpr int NextPane = 57680;
inline constexpr int PrevPane = 57681;
}  // namespace CommandId

// One drop-down item; id 0 is a separator.
struct MenuItem {
    int id;
    const char* text;
};

// One entry of the menu bar: either a drop-down menu (items not empty) or a
// command standing on the bar itself (commandId not 0).
struct MenuBarEntry {
    const char* text;
    int commandId;
    std::span<const MenuItem> items;
};

// A key that sends a command. `keys` is in Qt's portable key-sequence text.
struct Accelerator {
    const char* keys;
    int commandId;
};

std::span<const MenuBarEntry> MainMenuBar();
std::span<const Accelerator> MainAccelerators();
