#include "data/FailureText.h"

#include "data/Failures.h"

#include <cstring>

namespace {

// For failures that carry no errno.
const char* CauseText(FileErrorCause cause) {
    switch (cause) {
    case FileErrorCause::Generic:
        return "unknown error";
    case FileErrorCause::FileNotFound:
        return "No such file or directory";
    case FileErrorCause::BadPath:
        return "Invalid path";
    case FileErrorCause::TooManyOpenFiles:
        return "Too many open files";
    case FileErrorCause::AccessDenied:
        return "Permission denied";
    case FileErrorCause::DirectoryFull:
        return "Directory full";
    case FileErrorCause::HardIO:
        return "Input/output error";
    case FileErrorCause::SharingViolation:
        return "Sharing violation";
    case FileErrorCause::LockViolation:
        return "Lock violation";
    case FileErrorCause::DiskFull:
        return "No space left on device";
    }
    return "unknown error";
}

}  // namespace

std::string FailureText(const CommandFailure& failure) {
    switch (failure.kind()) {
    case FailureKind::OutOfMemory:
        return "out of memory";
    case FailureKind::EndOfFile:
        return "unexpected end of file";
    case FailureKind::Format:
        return "unexpected file format";
    case FailureKind::File:
        if (const auto* file = dynamic_cast<const FileFailure*>(&failure))
            return file->path().string() + ": " +
                   (file->error() != 0 ? std::strerror(file->error()) : CauseText(file->cause()));
        break;
    case FailureKind::Recipe:
    case FailureKind::Setting:
    case FailureKind::Layout:
    case FailureKind::Encoding:
    case FailureKind::Other:
        break;
    }
    return failure.what();
}
