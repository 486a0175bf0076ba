#pragma once
// Turns a dialog resource into widgets: positions and sizes in dialog units,
// scaled by the dialog font's average character width and height; controls in
// tab order, each reachable by its id (object name "id<N>").

#include "resources/DialogTemplate.h"

#include <QFont>
#include <QRect>
#include <QWidget>

class QDialog;

struct DialogBaseUnits {
    int cx = 0;  // average width of the Latin letters, rounded
    int cy = 0;  // font height
};

// Rounds a·b/c half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// The font named by a template. The first call maps the resource's font onto
// the installed metric-compatible face.
QFont DialogFont(const char* family, int pointSize);
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);

// Fills an empty dialog: caption, frame, font, client size and every control.
// Buttons 1 and 2 accept and reject. The focus goes to the first enabled,
// visible tab stop.
void BuildDialog(QDialog* dialog, const DialogTemplate& dialogTemplate);

// The control with this id among the dialog's direct children, or nullptr.
QWidget* FindControl(const QWidget* dialog, int id);

template <class T> T* ControlAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}
