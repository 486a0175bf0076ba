#include "dialogs/CWaterLevelDialog.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "core/SliderScale.h"
#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/Trackbar.h"
#include "resources/DialogTemplates.h"

namespace {

const ParameterRow& Row() {
    return *FindParameter("waterLevel");
}

}  // namespace

struct CWaterLevelDialog::Impl {
    Impl(CWaterLevelDialog* d, GEO_MakeLand* t) : dialog(d), terrain(t) {}

    CWaterLevelDialog* dialog;
    GEO_MakeLand* terrain;
    Trackbar* slider = nullptr;

    void showLabel() {
        SetControlText(dialog, WaterLevelControl::Text,
                       QString::fromStdString(SliderScale::Label(Row().slider, slider->GetPos())));
    }
};

CWaterLevelDialog::CWaterLevelDialog(GEO_MakeLand* terrain, QWidget* parent)
    : QDialog(parent), impl_(std::make_unique<Impl>(this, terrain)) {
    BuildDialog(this, WaterLevelDialogTemplate);
    impl_->slider = ControlAs<Trackbar>(this, WaterLevelControl::Slider);
    impl_->slider->SetRange(Row().sliderLow, Row().SliderHigh());
    impl_->slider->SetPos(SliderScale::Position(Row().slider, terrain->waterLevel));
    impl_->slider->SetLineSize(1);
    impl_->slider->SetPageSize(Row().sliderPage);
    impl_->showLabel();
    connect(impl_->slider, &Trackbar::endTrack, this, [this] { impl_->showLabel(); });
}

CWaterLevelDialog::~CWaterLevelDialog() = default;

void CWaterLevelDialog::accept() {
    impl_->terrain->waterLevel = SliderScale::Value(Row().slider, impl_->slider->GetPos());
    QDialog::accept();
}
