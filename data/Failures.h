#pragma once
// Failures that end a running command. Each carries what the program's common
// handler shows: the text, the icon and whether the box is system-modal.

#include <filesystem>
#include <stdexcept>
#include <string>

enum class FailureIcon { Stop, Exclamation };

class CommandFailure : public std::runtime_error {
public:
    CommandFailure(const std::string& text, FailureIcon icon, bool systemModal = false)
        : std::runtime_error(text), icon_(icon), systemModal_(systemModal) {}
    FailureIcon icon() const { return icon_; }
    bool systemModal() const { return systemModal_; }

private:
    FailureIcon icon_;
    bool systemModal_;
};

// An array could not grow: "ﾒﾓﾘが不足しています。", exclamation, system-modal.
class MemoryFailure : public CommandFailure {
public:
    MemoryFailure();
};

// A strict get ran past the end of the file (the archive knows no file name).
class EndOfFileFailure : public CommandFailure {
public:
    EndOfFileFailure();
};

// A file whose counts contradict each other: "予期しない形式のﾌｧｲﾙです。".
class FormatFailure : public CommandFailure {
public:
    FormatFailure();
};

// The platform's file errors, as the message table distinguishes them.
enum class FileErrorCause {
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    DirectoryFull,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
};

FileErrorCause fileErrorCauseFromErrno(int error);

// The message template of a cause, with "%1" standing for the full path.
const char* fileErrorTemplate(FileErrorCause cause);

class FileFailure : public CommandFailure {
public:
    FileFailure(FileErrorCause cause, const std::filesystem::path& path, int error = 0);
    FileErrorCause cause() const { return cause_; }
    const std::filesystem::path& path() const { return path_; }
    int error() const { return error_; }

private:
    FileErrorCause cause_;
    std::filesystem::path path_;
    int error_;
};

// The FileFailure for an errno value met on path.
[[noreturn]] void ThrowFileFailure(int error, const std::filesystem::path& path);
