#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a small island in the map colours, drawn in code so
// that no image file has to be found at run time.
QIcon AppIcon();

// The same island at any size; the installed icon theme files are made from it.
QImage AppIconImage(int size);
