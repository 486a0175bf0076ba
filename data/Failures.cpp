#include "data/Failures.h"

#include <cerrno>
#include <iterator>
#include <new>
#include <system_error>

namespace {

// Every text this layer shows, "%1" standing for a full path.
namespace texts {
constexpr const char* outOfMemory = "ﾒﾓﾘが不足しています。";
constexpr const char* format = "予期しない形式のﾌｧｲﾙです。";
// The archive knows no file name, so the end-of-file text names an untitled file.
constexpr const char* untitledFile = "無題のﾌｧｲﾙ";
constexpr const char* endOfFile = "%1 の末尾以降にｱｸｾｽしようとしました。";
// By FileErrorCause.
constexpr const char* fileErrors[] = {
    "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。",
    "%1 が見つかりませんでした。",
    "%1 には無効なﾊﾟｽが含まれています。",
    "開いているﾌｧｲﾙが多すぎるため、%1 を開けませんでした。",
    "%1 へのｱｸｾｽは拒否されました。",
    "%1 を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。",
    "%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。",
    "%1 へのｱｸｾｽ中に共有違反が発生しました。",
    "%1 へのｱｸｾｽ中にﾛｯｸ違反が発生しました。",
    "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。",
};
static_assert(std::size(fileErrors) == size_t(FileErrorCause::DiskFull) + 1);
}  // namespace texts

std::string ReplacePlaceholder(const char* pattern, const std::string& value) {
    std::string text = pattern;
    // Only the placeholder itself: a "%1" inside the inserted value stays as it is.
    std::string::size_type at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

std::string FullPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return (error ? path : full).string();
}

}  // namespace

MemoryFailure::MemoryFailure() : CommandFailure(texts::outOfMemory, FailureKind::OutOfMemory) {}

EndOfFileFailure::EndOfFileFailure()
    : CommandFailure(ReplacePlaceholder(texts::endOfFile, texts::untitledFile),
                     FailureKind::EndOfFile) {}

FormatFailure::FormatFailure() : CommandFailure(texts::format, FailureKind::Format) {}

FileErrorCause fileErrorCauseFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return FileErrorCause::FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileErrorCause::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // the file cannot grow: to the user the same as a full disk
        return FileErrorCause::DiskFull;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EISDIR:
    case EINVAL:
        return FileErrorCause::BadPath;
    case EIO:
        return FileErrorCause::HardIO;
    default:
        return FileErrorCause::Generic;
    }
}

const char* fileErrorTemplate(FileErrorCause cause) {
    const auto index = size_t(cause);
    return index < std::size(texts::fileErrors) ? texts::fileErrors[index] : texts::fileErrors[0];
}

FileFailure::FileFailure(FileErrorCause cause, const std::filesystem::path& path, int error)
    : CommandFailure(ReplacePlaceholder(fileErrorTemplate(cause), FullPath(path)),
                     FailureKind::File),
      cause_(cause), path_(path), error_(error) {}

void ThrowFileFailure(int error, const std::filesystem::path& path) {
    throw FileFailure(fileErrorCauseFromErrno(error), path, error);
}

CommandFailure FailureInFlight() {
    try {
        throw;
    } catch (const CommandFailure& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return MemoryFailure();
    } catch (const std::exception& other) {
        return CommandFailure(other.what(), FailureKind::Other);
    }
}
