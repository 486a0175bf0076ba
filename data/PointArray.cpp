#include "data/PointArray.h"

#include "data/ArchiveBlocks.h"

void PointArray::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.PutShortCount(static_cast<uint32_t>(GetSize()));
        StoreBlock(archive, *this);
    } else {
        LoadBlock(archive, *this, archive.GetShortCount());
    }
}
