#pragma once
// Texts of the map view's boxes, progress window and file dialogs. UTF-8.

namespace ViewStrings {

// Generate command.
inline constexpr const char* KeepPlacementQuestion = "直前の配置をそのまま使用しますか？";
inline constexpr const char* CreateQuestion = "作成しますか？";

// Hand placement of concentration points.
inline constexpr const char* PlacementTitle = "地図作製";
inline constexpr const char* PlacementInstruction =
    "集中ポイントを左クリックで配置して下さい\n右クリックで終了します\n";
// %d: the number of points placed so far.
inline constexpr const char* PlacementStartQuestion =
    "以上で作成を開始します。よろしいですか？( 優先pt %d 個 )\n"
    "「いいえ」を押すと、集中ポイント追加を続行します";

// Progress window.
inline constexpr const char* PhaseRender = "描画";
inline constexpr const char* StatusPreparing = "準備中";
inline constexpr const char* StatusNormalising = "正規化中";
inline constexpr const char* StatusRenderStart = "0%";
inline constexpr const char* StatusPercentFormat = "%.2f%%";

// File dialogs.
inline constexpr const char* OpenFilter =
    "Land Files (*.ld)|*.ld|Data Files (*.dat)|*.dat|All Files (*.*)|*.*||";
inline constexpr const char* SaveFilter = "Land Files (*.ld)|*.ld|All Files (*.*)|*.*||";
inline constexpr const char* RawSaveFilter = "Data Files (*.dat)|*.dat|All Files (*.*)|*.*||";
inline constexpr const char* DefaultSuffix = "ld";
inline constexpr const char* InitialFileName = "LandData";

}  // namespace ViewStrings
