#include "resources/MenuTable.h"

namespace {

constexpr MenuItem fileMenu[] = {
    {CommandId::FileOpen, "読込"},
    {CommandId::FileSave, "保存"},
    {0, nullptr},
    {CommandId::RawSave, "生保存"},
    {CommandId::CopyToClipboard, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞに記憶"},
    {0, nullptr},
    {CommandId::AppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"},
};

constexpr MenuItem editMenu[] = {
    {CommandId::EditUndo, "元に戻す(&U)\tCtrl+Z"},
    {0, nullptr},
    {CommandId::EditCut, "切り取り(&T)\tCtrl+X"},
    {CommandId::EditCopy, "ｺﾋﾟｰ(&C)\tCtrl+C"},
    {CommandId::EditPaste, "貼り付け(&P)\tCtrl+V"},
    {0, nullptr},
    {CommandId::Move, "移動(&M)"},
};

constexpr MenuItem helpMenu[] = {
    {CommandId::AppAbout, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
};

constexpr MenuBarEntry menuBar[] = {
    {"ﾌｧｲﾙ(&F)", 0, fileMenu},
    {"編集(&E)", 0, editMenu},
    {"生成(&M)", CommandId::Generate, {}},
    {"水面(&W)", CommandId::WaterLevel, {}},
    {"エリア(&A)", CommandId::RegionDisplay, {}},
    {"情報(&I)", CommandId::Information, {}},
    {"ﾍﾙﾌﾟ(&H)", 0, helpMenu},
};

constexpr Accelerator accelerators[] = {
    {"Ctrl+C", CommandId::EditCopy},  {"Ctrl+Ins", CommandId::EditCopy},
    {"Ctrl+V", CommandId::EditPaste}, {"Shift+Ins", CommandId::EditPaste},
    {"Ctrl+X", CommandId::EditCut},   {"Shift+Del", CommandId::EditCut},
    {"Ctrl+Z", CommandId::EditUndo},  {"Alt+Backspace", CommandId::EditUndo},
    {"F6", CommandId::NextPane},      {"Shift+F6", CommandId::PrevPane},
};

}  // namespace

std::span<const MenuBarEntry> MainMenuBar() {
    return menuBar;
}
std::span<const Accelerator> MainAccelerators() {
    return accelerators;
}
