#pragma once

#include <QIcon>

// The program's icon: a small island in the map colours, drawn in code so
// that no image file has to be found at run time.
QIcon AppIcon();
