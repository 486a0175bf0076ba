#include "dialogs/CGenerateDialog.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "core/SliderScale.h"
#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/Trackbar.h"
#include "resources/DialogTemplates.h"

#include <string_view>

using namespace GenerateControl;

namespace {

// The four sliders, each with its label and the parameter it sets.
struct SliderControl {
    int slider;
    int label;
    std::string_view parameter;
};
constexpr SliderControl sliderControls[] = {
    {ProcessAmount, ProcessAmountText, "processAmount"},
    {ConcentrationRate, ConcentrationRateText, "concentrationRate"},
    {ConcentrationAmount, ConcentrationAmountText, "concentrationAmount"},
    {UnitAmount, UnitAmountText, "unitAmount"},
};

}  // namespace

struct CGenerateDialog::Impl {
    Impl(CGenerateDialog* d, GEO_MakeLand* t) : dialog(d), terrain(t) {}

    CGenerateDialog* dialog;
    GEO_MakeLand* terrain;

    // Exchange values: what the controls show, as last read or written. The
    // slider labels are not kept: they are always written from the positions.
    uint32_t seed = 0;
    int32_t pointCount = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t manualPlacement = 0;
    int32_t keepRandomState = 0;
    int32_t twoThreads = 0;

    Trackbar* slider(int id) const { return ControlAs<Trackbar>(dialog, id); }

    // The slider's range, step and opening position come from the parameter's row.
    void setUpSlider(int id, std::string_view parameter) {
        const ParameterRow& row = *FindParameter(parameter);
        Trackbar* bar = slider(id);
        bar->SetRange(row.sliderLow, row.SliderHigh());
        bar->SetPos(SliderScale::Position(row.slider, row.Number(*terrain)));
        bar->SetLineSize(1);
        bar->SetPageSize(row.sliderPage);
    }

    bool readInRange(int id, std::string_view parameter, int32_t& value) {
        const ParameterRow& row = *FindParameter(parameter);
        return ReadInt(dialog, id, value) &&
               CheckRange(dialog, id, value, int32_t(row.low), int32_t(row.editHigh));
    }

    void open() {
        seed = static_cast<uint32_t>(terrain->seed);
        width = terrain->width;
        height = terrain->height;
        for (const SliderControl& c : sliderControls)
            setUpSlider(c.slider, c.parameter);
        keepRandomState = terrain->keepRandomState;
        manualPlacement = terrain->manualPlacement;
        pointCount = terrain->concentrationPointCount;
        twoThreads = terrain->twoThreads;
        writeControls();
    }

    void writeControls() {
        WriteUInt(dialog, Seed, seed);
        WriteInt(dialog, PointCount, pointCount);
        WriteInt(dialog, Width, width);
        WriteInt(dialog, Height, height);
        for (const SliderControl& c : sliderControls)
            SetControlText(dialog, c.label,
                           QString::fromStdString(SliderScale::Label(
                               FindParameter(c.parameter)->slider, slider(c.slider)->GetPos())));
        SetChecked(dialog, ManualPlacement, manualPlacement != 0);
        SetChecked(dialog, KeepRandomState, keepRandomState != 0);
        SetChecked(dialog, TwoThreads, twoThreads != 0);
    }

    // Stops at the first field that fails, after its message.
    bool readControls() {
        if (!ReadUInt(dialog, Seed, seed))
            return false;
        if (!readInRange(PointCount, "pointCount", pointCount) ||
            !readInRange(Width, "width", width) || !readInRange(Height, "height", height))
            return false;
        manualPlacement = IsChecked(dialog, ManualPlacement) ? 1 : 0;
        keepRandomState = IsChecked(dialog, KeepRandomState) ? 1 : 0;
        twoThreads = IsChecked(dialog, TwoThreads) ? 1 : 0;
        return true;
    }

    // The end of a slider interaction (mouse or key released), not its course:
    // the only time besides opening that the controls, labels included, are written.
    void endTrack() {
        if (!readControls())
            return;
        writeControls();
    }

    void store() const {
        terrain->seed = seed;  // high 32 bits cleared
        terrain->width = width;
        terrain->height = height;
        for (const SliderControl& c : sliderControls) {
            const ParameterRow& row = *FindParameter(c.parameter);
            row.SetNumber(*terrain, SliderScale::Value(row.slider, slider(c.slider)->GetPos()));
        }
        terrain->keepRandomState = keepRandomState;
        terrain->manualPlacement = manualPlacement;
        terrain->concentrationPointCount = pointCount;
        terrain->twoThreads = twoThreads;
    }
};

CGenerateDialog::CGenerateDialog(GEO_MakeLand* terrain, QWidget* parent)
    : QDialog(parent), impl_(std::make_unique<Impl>(this, terrain)) {
    BuildDialog(this, GenerateDialogTemplate);
    for (int id : {ProcessAmount, ConcentrationRate, ConcentrationAmount, UnitAmount})
        connect(impl_->slider(id), &Trackbar::endTrack, this, [this] { impl_->endTrack(); });
    impl_->open();
}

CGenerateDialog::~CGenerateDialog() = default;

void CGenerateDialog::accept() {
    if (!impl_->readControls())
        return;
    impl_->store();
    QDialog::accept();
}
