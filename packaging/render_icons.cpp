// Build-time tool: writes the program's icon as hicolor theme PNGs,
// <folder>/<N>x<N>/apps/<name>.png for every size given.
// Usage: glenvar_render_icons FOLDER NAME SIZE...

#include "app/AppIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FOLDER NAME SIZE...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = folder + QString("/%1x%1/apps").arg(size);
        const QString file = dir + "/" + name + ".png";
        if (size <= 0 || !QDir().mkpath(dir) || !AppIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
