#include "data/Failures.h"

#include <cerrno>
#include <system_error>

namespace {

// The archive knows no file name, so the end-of-file text names an untitled file.
constexpr const char* untitledFile = "無題のﾌｧｲﾙ";
constexpr const char* endOfFileTemplate = "%1 の末尾以降にｱｸｾｽしようとしました。";

std::string ReplacePlaceholder(const char* pattern, const std::string& value) {
    std::string text = pattern;
    // Only the placeholder itself: a "%1" inside the inserted value stays as it is.
    std::string::size_type at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

std::string FullPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return (error ? path : full).string();
}

}  // namespace

MemoryFailure::MemoryFailure()
    : CommandFailure("ﾒﾓﾘが不足しています。", FailureIcon::Exclamation, true) {}

EndOfFileFailure::EndOfFileFailure()
    : CommandFailure(ReplacePlaceholder(endOfFileTemplate, untitledFile), FailureIcon::Stop) {}

FormatFailure::FormatFailure() : CommandFailure("予期しない形式のﾌｧｲﾙです。", FailureIcon::Stop) {}

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
    switch (cause) {
    case FileErrorCause::Generic:
        return "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
    case FileErrorCause::FileNotFound:
        return "%1 が見つかりませんでした。";
    case FileErrorCause::BadPath:
        return "%1 には無効なﾊﾟｽが含まれています。";
    case FileErrorCause::TooManyOpenFiles:
        return "開いているﾌｧｲﾙが多すぎるため、%1 を開けませんでした。";
    case FileErrorCause::AccessDenied:
        return "%1 へのｱｸｾｽは拒否されました。";
    case FileErrorCause::DirectoryFull:
        return "%1 を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。";
    case FileErrorCause::HardIO:
        return "%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。";
    case FileErrorCause::SharingViolation:
        return "%1 へのｱｸｾｽ中に共有違反が発生しました。";
    case FileErrorCause::LockViolation:
        return "%1 へのｱｸｾｽ中にﾛｯｸ違反が発生しました。";
    case FileErrorCause::DiskFull:
        return "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
    }
    return "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
}

FileFailure::FileFailure(FileErrorCause cause, const std::filesystem::path& path, int error)
    : CommandFailure(ReplacePlaceholder(fileErrorTemplate(cause), FullPath(path)), FailureIcon::Stop),
      cause_(cause), path_(path), error_(error) {}

void ThrowFileFailure(int error, const std::filesystem::path& path) {
    throw FileFailure(fileErrorCauseFromErrno(error), path, error);
}
