#include "resources/DialogTemplates.h"

#include "resources/Strings.h"

#include <array>

namespace {

using namespace Style;
constexpr uint32_t Centred = CentreH | CentreV;
constexpr uint32_t NumberEdit = Border | TabStop;
constexpr uint32_t Trackbar = NoTicks | TabStop;

constexpr auto aboutControls = std::to_array<ControlTemplate>({
    {StaticId, ControlKind::Icon, "", 11, 17, 20, 20, None},
    {StaticId, ControlKind::Static, Strings::AboutVersion, 40, 10, 119, 8, None},
    {ControlId::Ok, ControlKind::PushButton, Strings::Ok, 145, 40, 50, 15, DefaultButton | TabStop},
});

constexpr auto generateControls = std::to_array<ControlTemplate>({
    {ControlId::Ok, ControlKind::PushButton, Strings::Ok, 190, 100, 50, 15,
     DefaultButton | TabStop},
    {ControlId::Cancel, ControlKind::PushButton, Strings::Cancel, 245, 100, 50, 15, TabStop},
    {StaticId, ControlKind::Static, Strings::SeedLabel, 5, 5, 35, 15, Centred},
    {GenerateControl::Seed, ControlKind::Edit, "", 40, 5, 85, 12, NumberEdit},
    {StaticId, ControlKind::Static, Strings::WidthLabel, 5, 20, 25, 15, Centred},
    {GenerateControl::Width, ControlKind::Edit, "", 30, 20, 35, 12, NumberEdit},
    {StaticId, ControlKind::Static, Strings::HeightLabel, 65, 20, 25, 15, Centred},
    {GenerateControl::Height, ControlKind::Edit, "", 90, 20, 35, 12, NumberEdit},
    {StaticId, ControlKind::Static, Strings::ProcessAmountLabel, 5, 35, 35, 15, Centred},
    {GenerateControl::ProcessAmount, ControlKind::Slider, "", 40, 35, 210, 15, Trackbar},
    {GenerateControl::ProcessAmountText, ControlKind::Static, "", 250, 35, 45, 15, Centred},
    {StaticId, ControlKind::Static, Strings::PointCountLabel, 200, 5, 30, 15, Centred},
    {GenerateControl::PointCount, ControlKind::Edit, "", 230, 5, 25, 12, NumberEdit},
    {StaticId, ControlKind::Static, Strings::ConcentrationRateLabel, 5, 50, 35, 15, Centred},
    {GenerateControl::ConcentrationRate, ControlKind::Slider, "", 40, 50, 210, 15, Trackbar},
    {GenerateControl::ConcentrationRateText, ControlKind::Static, "", 250, 50, 45, 15, Centred},
    {StaticId, ControlKind::Static, Strings::ConcentrationAmountLabel, 5, 65, 35, 15, Centred},
    {GenerateControl::ConcentrationAmount, ControlKind::Slider, "", 40, 65, 210, 15, Trackbar},
    {GenerateControl::ConcentrationAmountText, ControlKind::Static, "", 250, 65, 45, 15, Centred},
    {StaticId, ControlKind::Static, Strings::UnitAmountLabel, 5, 80, 35, 15, Centred},
    {GenerateControl::UnitAmount, ControlKind::Slider, "", 40, 80, 210, 15, Trackbar},
    {GenerateControl::UnitAmountText, ControlKind::Static, "", 250, 80, 45, 15, Centred},
    {GenerateControl::ManualPlacement, ControlKind::CheckBox, Strings::ManualPlacement, 255, 5, 40,
     15, TabStop},
    {GenerateControl::KeepRandomState, ControlKind::CheckBox, Strings::KeepRandomState, 125, 5, 60,
     15, TabStop},
    {GenerateControl::TwoThreads, ControlKind::CheckBox, Strings::TwoThreads, 10, 100, 60, 15,
     TabStop},
});

constexpr auto progressControls = std::to_array<ControlTemplate>({
    {ControlId::Ok, ControlKind::PushButton, Strings::Ok, 180, 5, 50, 15,
     DefaultButton | Hidden | Disabled | TabStop},
    {ControlId::Cancel, ControlKind::PushButton, Strings::Cancel, 200, 5, 50, 15,
     Hidden | Disabled | TabStop},
    {ProgressControl::Bar, ControlKind::ProgressBar, "", 20, 5, 230, 15, None},
    {ProgressControl::Phase, ControlKind::Static, Strings::ProgressPhase, 0, 5, 20, 15, Centred},
    {ProgressControl::Status, ControlKind::Static, "", 250, 5, 40, 15, Centred},
});

constexpr auto waterLevelControls = std::to_array<ControlTemplate>({
    {ControlId::Ok, ControlKind::PushButton, Strings::Ok, 155, 25, 55, 15, DefaultButton | TabStop},
    {ControlId::Cancel, ControlKind::PushButton, Strings::Cancel, 215, 25, 55, 15, TabStop},
    {StaticId, ControlKind::Static, Strings::WaterLevelLabel, 5, 5, 15, 10, None},
    {WaterLevelControl::Slider, ControlKind::Slider, "", 20, 5, 205, 15, Trackbar},
    {WaterLevelControl::Text, ControlKind::Static, "", 225, 5, 45, 15, CentreH},
});

constexpr auto infoControls = std::to_array<ControlTemplate>({
    {ControlId::Ok, ControlKind::PushButton, Strings::Ok, 5, 190, 50, 15,
     Hidden | Disabled | TabStop},
    {ControlId::Cancel, ControlKind::PushButton, Strings::Ok, 95, 190, 50, 15,
     DefaultButton | TabStop},
    {InfoControl::Report, ControlKind::Edit, "", 5, 5, 140, 180,
     MultiLine | ReadOnly | ScrollBars | TabStop},
});

// The dialogs share their frame, origin and font.
constexpr DialogTemplate MakeDialog(int id, const char* caption, int cx, int cy,
                                    std::span<const ControlTemplate> controls) {
    return {id,
            caption,
            0,
            0,
            cx,
            cy,
            DialogFontName,
            DialogFontPointSize,
            DialogStyle::Caption | DialogStyle::SystemMenu,
            controls};
}

}  // namespace

const DialogTemplate AboutDialogTemplate =
    MakeDialog(DialogId::About, Strings::AboutCaption, 200, 61, aboutControls);
const DialogTemplate GenerateDialogTemplate =
    MakeDialog(DialogId::Generate, Strings::GenerateCaption, 300, 121, generateControls);
const DialogTemplate ProgressDialogTemplate =
    MakeDialog(DialogId::Progress, Strings::ProgressCaption, 294, 26, progressControls);
const DialogTemplate WaterLevelDialogTemplate =
    MakeDialog(DialogId::WaterLevel, Strings::WaterLevelCaption, 274, 46, waterLevelControls);
const DialogTemplate InfoDialogTemplate =
    MakeDialog(DialogId::Info, Strings::InfoCaption, 149, 211, infoControls);
