#include "data/SafeSave.h"

#include "data/Failures.h"
#include "data/FileDevices.h"
#include "data/SaveTarget.h"
#include "data/TemporaryNames.h"

#include <cerrno>
#include <cstdio>
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

// Removes the file under the temporary name, whatever it holds by then,
// unless the save renamed it away; until then a signal handler can find it
// too (TemporaryNames.h).
class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& destination) {
        std::string pattern = TemporaryPattern(destination, SaveDirectory(destination));
        name_.assign(pattern.begin(), pattern.end());
        name_.push_back('\0');
        WithEndingSignalsBlocked([this] {
            fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
            error_ = fd_ < 0 ? errno : 0;
            if (fd_ >= 0)
                Track();
            return 0;
        });
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (present_)
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
    // Nothing under the name is ours to remove any more: renamed away, or
    // kept on purpose.
    void LetGo() {
        present_ = false;
        tracked_.reset();
    }
    // A file was renamed back to the name: it is ours to remove again.
    void MarkReturned() {
        present_ = true;
        Track();
    }

  private:
    void Track() {
        present_ = true;
        tracked_.emplace(name_.data());
    }

    std::vector<char> name_;
    int fd_ = -1;
    int error_ = 0;
    bool present_ = false;
    std::optional<TemporaryName> tracked_;
};

// Swaps two names in one step where the file system can (Linux 3.15 on, not
// every file system): the only way to put a file in place and still hold the old one.
bool Exchange(const char* a, const char* b) {
#if defined(__GLIBC__) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE) == 0;
#else
    (void)a;
    (void)b;
    return false;
#endif
}

bool IsRegularFile(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void SyncDirectory(const fs::path& directory) {
    int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

struct StagedFile::State {
    fs::path target;
    fs::path destination;
    TemporaryFile temporary;
    Placing placed = Placing::NotYet;
    State(const fs::path& t, const fs::path& d) : target(t), destination(d), temporary(d) {}
};

StagedFile::StagedFile(const fs::path& target, const std::function<void(Archive&)>& writeBody) {
    // Refused before the body is written rather than by the final rename.
    if (int problem = SaveTargetProblem(target); problem != 0)
        ThrowFileFailure(problem, target);
    const fs::path destination = SaveDestination(target);

    mode_t mode = 0666 & ~CurrentUmask();
    struct stat existing {};
    if (::stat(destination.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;

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

const fs::path& StagedFile::Target() const {
    return state_->target;
}

const fs::path& StagedFile::Destination() const {
    return state_->destination;
}

void StagedFile::Commit() {
    if (::rename(state_->temporary.name(), state_->destination.c_str()) != 0)
        ThrowFileFailure(errno, state_->target);
    state_->temporary.LetGo();
    // Makes the rename itself durable; the save has succeeded whether or not this works.
    SyncDirectory(SaveDirectory(state_->destination));
}

int StagedFile::Place() {
    State& s = *state_;
    const bool replacing = IsRegularFile(s.destination);
    if (replacing && Exchange(s.temporary.name(), s.destination.c_str())) {
        s.placed = Placing::Swapped;  // the temporary name now holds the old file
        return 0;
    }
    if (::rename(s.temporary.name(), s.destination.c_str()) != 0)
        return errno;
    s.temporary.LetGo();
    s.placed = replacing ? Placing::OverOld : Placing::Fresh;
    return 0;
}

bool StagedFile::Restore() {
    State& s = *state_;
    switch (s.placed) {
    case Placing::NotYet:
        return true;
    case Placing::Swapped:
        if (!Exchange(s.temporary.name(), s.destination.c_str())) {
            // The old file is still under the temporary name: left there, not destroyed.
            s.temporary.LetGo();
            return false;
        }
        break;
    case Placing::Fresh:
        if (::rename(s.destination.c_str(), s.temporary.name()) != 0)
            return false;
        s.temporary.MarkReturned();
        break;
    case Placing::OverOld:
        return false;
    }
    s.placed = Placing::NotYet;
    return true;
}

void StagedFile::Settle() {
    // The old file Place kept goes with the temporary name.
    if (state_->placed == Placing::Swapped && ::unlink(state_->temporary.name()) == 0)
        state_->temporary.LetGo();
}

void SaveSafely(const fs::path& target, const std::function<void(Archive&)>& writeBody) {
    StagedFile(target, writeBody).Commit();
}
