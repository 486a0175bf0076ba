// Open, save and raw save of the File menu.

#include "view/MapView.h"

#include "core/MapFile.h"
#include "platform/BusyCursor.h"
#include "platform/FileDialogs.h"
#include "resources/ViewStrings.h"

#include <QFile>

#include <filesystem>

namespace {

std::optional<QString> askFileName(QWidget* owner, FileDialogRequest::Kind kind,
                                   const char* filter) {
    FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    request.filter = QString::fromUtf8(filter);
    request.defaultSuffix = QString::fromUtf8(ViewStrings::DefaultSuffix);
    request.initialName = QString::fromUtf8(ViewStrings::InitialFileName);
    return AskFileName(request);
}

std::filesystem::path fileSystemPath(const QString& name) {
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

}  // namespace

void MapView::openCommand() {
    const std::optional<QString> name =
        askFileName(this, FileDialogRequest::Kind::Open, ViewStrings::OpenFilter);
    if (!name)
        return;
    {
        // A large map takes seconds to read and the open shows no progress.
        const BusyCursor busy;
        // Throws on failure with the terrain untouched; the picture and its
        // size then stay as they were.
        LoadMapFile(terrain, fileSystemPath(*name));
    }
    // Whatever the marker was, the map is shown afresh without regions.
    const QSize size = renderSize();
    pictureWidth = size.width();
    pictureHeight = size.height();
    renderPicture(false);
}

void MapView::saveCommand(bool raw) {
    const std::optional<QString> name =
        askFileName(this, FileDialogRequest::Kind::Save,
                    raw ? ViewStrings::RawSaveFilter : ViewStrings::SaveFilter);
    if (!name)
        return;
    if (raw)
        SaveRawFile(terrain, fileSystemPath(*name));
    else
        SaveMapFile(terrain, fileSystemPath(*name));
}
