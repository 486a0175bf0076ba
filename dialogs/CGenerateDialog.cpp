#include "dialogs/CGenerateDialog.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterLimits.h"
#include "dialogs/SliderScale.h"
#include "platform/DataExchange.h"
#include "platform/DialogBuilder.h"
#include "platform/Trackbar.h"
#include "resources/DialogTemplates.h"

#include <array>

using namespace GenerateControl;
using namespace SliderScale;

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

    void setUpSlider(int id, int minimum, int maximum, int position, int page) {
        Trackbar* bar = slider(id);
        bar->SetRange(minimum, maximum);
        bar->SetPos(position);
        bar->SetLineSize(1);
        bar->SetPageSize(page);
    }

    void open() {
        seed = static_cast<uint32_t>(terrain->seed);
        width = terrain->width;
        height = terrain->height;
        setUpSlider(ProcessAmount, 1, ProcessAmountPosition(limits::maxProcessAmount),
                    ProcessAmountPosition(terrain->processAmount), 1);
        setUpSlider(ConcentrationRate, 0, 100000, FinePosition(terrain->concentrationRate), 10);
        setUpSlider(ConcentrationAmount, 0, 100000, FinePosition(terrain->concentrationAmount), 10);
        setUpSlider(UnitAmount, limits::minUnitAmount, limits::maxUnitAmount, terrain->unitAmount,
                    10);
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
        SetControlText(dialog, ProcessAmountText, IntegerLabel(slider(ProcessAmount)->GetPos()));
        SetControlText(dialog, ConcentrationRateText,
                       PercentLabel(slider(ConcentrationRate)->GetPos()));
        SetControlText(dialog, ConcentrationAmountText,
                       PercentLabel(slider(ConcentrationAmount)->GetPos()));
        SetControlText(dialog, UnitAmountText, IntegerLabel(slider(UnitAmount)->GetPos()));
        SetChecked(dialog, ManualPlacement, manualPlacement != 0);
        SetChecked(dialog, KeepRandomState, keepRandomState != 0);
        SetChecked(dialog, TwoThreads, twoThreads != 0);
    }

    // Stops at the first field that fails, after its message.
    bool readControls() {
        if (!ReadUInt(dialog, Seed, seed))
            return false;
        if (!ReadInt(dialog, PointCount, pointCount) ||
            !CheckRange(dialog, PointCount, pointCount, limits::minPoints, limits::maxPoints))
            return false;
        if (!ReadInt(dialog, Width, width) ||
            !CheckRange(dialog, Width, width, limits::minSize, limits::maxSize))
            return false;
        if (!ReadInt(dialog, Height, height) ||
            !CheckRange(dialog, Height, height, limits::minSize, limits::maxSize))
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
        terrain->processAmount = ProcessAmountValue(slider(ProcessAmount)->GetPos());
        terrain->concentrationRate = FineValue(slider(ConcentrationRate)->GetPos());
        terrain->concentrationAmount = FineValue(slider(ConcentrationAmount)->GetPos());
        terrain->unitAmount = slider(UnitAmount)->GetPos();
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
