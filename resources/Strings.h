#pragma once
// Every text the dialogs and the platform layer show, in one place. UTF-8.

namespace Strings {

inline constexpr const char* AppTitle = "Glenvar";  // strings 57344 and 128

inline constexpr const char* Ok = "OK";
inline constexpr const char* Cancel = "ｷｬﾝｾﾙ";

// Message box buttons, with their Japanese labels and accelerators; the placement
// question refers to 「いいえ」 by name.
inline constexpr const char* BoxOk = "OK";
inline constexpr const char* BoxYes = "はい(&Y)";
inline constexpr const char* BoxNo = "いいえ(&N)";
inline constexpr const char* BoxCancel = "キャンセル";

// Value exchange: a numeric edit that does not hold what it must.
inline constexpr const char* EnterPositiveInteger = "正の整数を入力してください。";
inline constexpr const char* EnterInteger = "整数を入力してください。";
inline constexpr const char* EnterIntegerInRange = "%1 から %2 までの整数を入力してください。";

// About box (100).
inline constexpr const char* AboutCaption = "Glenvar Version";
inline constexpr const char* AboutVersion = "Glenvar Version 0.1";

// Generation parameters (130).
inline constexpr const char* GenerateCaption = "地図生成";
inline constexpr const char* SeedLabel = "シード値";
inline constexpr const char* WidthLabel = "X長";
inline constexpr const char* HeightLabel = "Y長";
inline constexpr const char* ProcessAmountLabel = "処理量";
inline constexpr const char* PointCountLabel = "集中pt";
inline constexpr const char* ConcentrationRateLabel = "集中率";
inline constexpr const char* ConcentrationAmountLabel = "集中量";
inline constexpr const char* UnitAmountLabel = "単位量";
inline constexpr const char* ManualPlacement = "手動配置";
inline constexpr const char* KeepRandomState = "乱数初期化なし";
inline constexpr const char* TwoThreads = "2スレッドで処理";

// Progress (131).
inline constexpr const char* ProgressCaption = "作成中";
inline constexpr const char* ProgressPhase = "生成";

// Water level (132).
inline constexpr const char* WaterLevelCaption = "水面の高さ";
inline constexpr const char* WaterLevelLabel = "高さ";

// Information (133).
inline constexpr const char* InfoCaption = "情報";

}  // namespace Strings
