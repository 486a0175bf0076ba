// Entry point of the desktop program. Command-line arguments are not read.

#include "app/CMapToolApp.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

bool nonEmpty(const char* value) {
    return value != nullptr && *value != '\0';
}

// Qt aborts when it finds no display, so look before starting it. A local X
// display ":N" must have its socket; remote ones are left to Qt.
bool displayAvailable() {
    if (nonEmpty(std::getenv("QT_QPA_PLATFORM")) || nonEmpty(std::getenv("WAYLAND_DISPLAY")))
        return true;
    const char* display = std::getenv("DISPLAY");
    if (!nonEmpty(display))
        return false;
    const std::string name(display);
    if (name[0] != ':')
        return true;
    const std::string number = name.substr(1, name.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return true;
    struct stat info {};
    return ::stat(("/tmp/.X11-unix/X" + number).c_str(), &info) == 0;
}

}  // namespace

int main(int, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "glenvar: no display found (DISPLAY is not set or its X server is not "
                             "running).\n"
                             "Run the program under a virtual display:\n"
                             "  xvfb-run -a build/app/glenvar\n"
                             "or use the command-line tool: build/cli/glenvar-cli --help\n");
        return 1;
    }
    // One screen pixel per cell: no scaling of the window contents.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // Qt sees the program name only, so no option reaches it.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    CMapToolApp::PrepareApplication();
    CMapToolApp app;
    QString error;
    if (!app.InitInstance(&error)) {
        std::fprintf(stderr, "glenvar: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return application.exec();
}
