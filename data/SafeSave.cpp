#include "data/SafeSave.h"

#include "data/Failures.h"
#include "data/FileDevices.h"
#include "data/TemporaryNames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

mode_t CurrentUmask() {
    // /proc tells without changing anything; umask() itself can only be read by setting it.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
            } catch (const std::exception&) {
                break;
            }
        }
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// A symbolic link keeps pointing at the saved file: the file it names is replaced.
fs::path Destination(const fs::path& target) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error)))
        return target;
    fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
}

// The temporary name: ".NAME.XXXXXX" beside the destination, NAME cut so the
// whole stays within the directory's limit on a name's length (a legal
// 255-byte name must still be savable).
std::string TemporaryPattern(const fs::path& destination, const fs::path& directory) {
    long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = NAME_MAX;
    std::string name = destination.filename().string();
    const size_t room = size_t(limit) > 8 ? size_t(limit) - 8 : 1;
    if (name.size() > room)
        name.resize(room);
    // Appended, not "." + name: GCC 12 at -O2 warns of an overlapping copy there.
    std::string leaf(1, '.');
    leaf += name;
    leaf += ".XXXXXX";
    return (directory / leaf).string();
}

// Removes the temporary file unless the save got as far as renaming it; until
// then a signal handler can find it too (TemporaryNames.h).
class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& destination) {
        fs::path directory = destination.parent_path();
        if (directory.empty())
            directory = ".";
        std::string pattern = TemporaryPattern(destination, directory);
        name_.assign(pattern.begin(), pattern.end());
        name_.push_back('\0');
        WithEndingSignalsBlocked([this] {
            fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
            error_ = fd_ < 0 ? errno : 0;
            if (fd_ >= 0)
                tracked_.emplace(name_.data());
            return 0;
        });
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (error_ == 0 && !renamed_)
            ::unlink(name_.data());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    int error() const { return error_; }  // errno of a failed creation, else 0
    const char* name() const { return name_.data(); }
    // Returns 0 or the errno of a failed close.
    int Close() {
        int result = ::close(fd_);
        fd_ = -1;
        // Linux releases the descriptor even when close reports EINTR.
        return result == 0 || errno == EINTR ? 0 : errno;
    }
    void MarkRenamed() {
        renamed_ = true;
        tracked_.reset();
    }

  private:
    std::vector<char> name_;
    int fd_ = -1;
    int error_ = 0;
    bool renamed_ = false;
    std::optional<TemporaryName> tracked_;
};

void SyncDirectoryOf(const fs::path& destination) {
    fs::path directory = destination.parent_path();
    if (directory.empty())
        directory = ".";
    int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace

struct StagedFile::State {
    fs::path target;
    fs::path destination;
    TemporaryFile temporary;
    State(const fs::path& t, const fs::path& d) : target(t), destination(d), temporary(d) {}
};

StagedFile::StagedFile(const fs::path& target, const std::function<void(Archive&)>& writeBody) {
    fs::path destination = Destination(target);
    if (destination.filename().empty())
        ThrowFileFailure(EISDIR, target);

    mode_t mode = 0666 & ~CurrentUmask();
    struct stat existing {};
    if (::stat(destination.c_str(), &existing) == 0) {
        // Refused before the body is written rather than by the final rename.
        if (S_ISDIR(existing.st_mode))
            ThrowFileFailure(EISDIR, target);
        // Renaming over a device or a pipe would replace the node itself.
        if (!S_ISREG(existing.st_mode))
            ThrowFileFailure(EINVAL, target);
        mode = existing.st_mode & 07777;
    }

    state_ = std::make_unique<State>(target, destination);
    TemporaryFile& temporary = state_->temporary;
    if (temporary.error() != 0)
        ThrowFileFailure(temporary.error(), target);
    // mkstemp creates the file 0600; give it what a plain create would have.
    (void)::fchmod(temporary.fd(), mode);

    FileSink sink(temporary.fd(), target);
    Archive archive(sink);
    writeBody(archive);
    archive.Close();

    // The old file is replaced only by one whose bytes are known to be on the disk.
    if (::fsync(temporary.fd()) != 0 && errno != EINVAL)
        ThrowFileFailure(errno, target);
    if (int error = temporary.Close(); error != 0)
        ThrowFileFailure(error, target);
}

StagedFile::~StagedFile() = default;

void StagedFile::Commit() {
    if (::rename(state_->temporary.name(), state_->destination.c_str()) != 0)
        ThrowFileFailure(errno, state_->target);
    state_->temporary.MarkRenamed();
    // Makes the rename itself durable; the save has succeeded whether or not this works.
    SyncDirectoryOf(state_->destination);
}

void SaveSafely(const fs::path& target, const std::function<void(Archive&)>& writeBody) {
    StagedFile(target, writeBody).Commit();
}
