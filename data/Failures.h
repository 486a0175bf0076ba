#pragma once
// Failures that end a running command. Each carries its text and its kind;
// how a kind is shown (icon, modality) is the user interface's business.

#include <filesystem>
#include <stdexcept>
#include <string>

// What went wrong, for a front end to word and to choose its exit status or
// exception by. The desktop program meets the first four and Other only.
enum class FailureKind {
    OutOfMemory,
    EndOfFile,  // a map file's archive ran out
    Format,     // a map file's counts contradict each other
    File,       // the file system refused: FileFailure, or a file of no usable kind
    Recipe,     // a recipe, or a file that should carry one, is refused
    Setting,    // a setting's value is outside what it takes
    Layout,     // the cells or tiles do not form the grid an output needs
    Encoding,   // libpng, libtiff or OpenEXR refused to encode
    Other,      // any other exception's text, from FailureInFlight only
};

class CommandFailure : public std::runtime_error {
  public:
    CommandFailure(const std::string& text, FailureKind kind)
        : std::runtime_error(text), kind_(kind) {}
    FailureKind kind() const { return kind_; }

  private:
    FailureKind kind_;
};

// The exception being handled, as the command failure every front end
// reports: a CommandFailure itself, MemoryFailure for an allocation that
// failed, any other std::exception's text as FailureKind::Other (the only
// source of that kind). Call it inside a catch block only; an exception that
// is no std::exception goes on unwinding.
CommandFailure FailureInFlight();

// An array could not grow: "ﾒﾓﾘが不足しています。".
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

// The causes of a file error, one per message text.
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
