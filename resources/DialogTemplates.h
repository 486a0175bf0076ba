#pragma once
// The program's dialog resources.

#include "resources/DialogTemplate.h"

namespace DialogId {
inline constexpr int About = 100;
inline constexpr int Generate = 130;
inline constexpr int Progress = 131;
inline constexpr int WaterLevel = 132;
inline constexpr int Info = 133;
}  // namespace DialogId

// Control ids shared by several dialogs.
namespace ControlId {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
}  // namespace ControlId

namespace GenerateControl {
inline constexpr int Seed = 1002;
inline constexpr int Width = 1003;
inline constexpr int Height = 1004;
inline constexpr int ProcessAmount = 1005;
inline constexpr int PointCount = 1006;
inline constexpr int ProcessAmountText = 1007;
inline constexpr int ConcentrationRate = 1008;
inline constexpr int ConcentrationRateText = 1009;
inline constexpr int ConcentrationAmount = 1010;
inline constexpr int ConcentrationAmountText = 1011;
inline constexpr int UnitAmount = 1012;
inline constexpr int UnitAmountText = 1013;
inline constexpr int ManualPlacement = 1014;
inline constexpr int KeepRandomState = 1015;
inline constexpr int TwoThreads = 1016;
}  // namespace GenerateControl

namespace ProgressControl {
inline constexpr int Bar = 1000;
inline constexpr int Status = 1001;
inline constexpr int Phase = 1010;
}  // namespace ProgressControl

namespace WaterLevelControl {
inline constexpr int Slider = 1008;
inline constexpr int Text = 1009;
}  // namespace WaterLevelControl

namespace InfoControl {
inline constexpr int Report = 1017;
}  // namespace InfoControl

inline constexpr const char* DialogFontName = "ＭＳ Ｐゴシック";
inline constexpr int DialogFontPointSize = 12;

extern const DialogTemplate AboutDialogTemplate;
extern const DialogTemplate GenerateDialogTemplate;
extern const DialogTemplate ProgressDialogTemplate;
extern const DialogTemplate WaterLevelDialogTemplate;
extern const DialogTemplate InfoDialogTemplate;
