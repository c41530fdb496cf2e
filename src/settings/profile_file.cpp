#include "settings/profile_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class OwnedFd {
public:
    explicit OwnedFd(int fd) : m_fd(fd) {}
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    ~OwnedFd() { Close(); }
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closing is where a delayed write error shows, so the writer asks for its result.
    bool Close() {
        if (m_fd < 0) {
            return true;
        }
        const bool ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// A chain of links longer than this is taken for a loop.
constexpr int kMaxLinkHops = 40;

// Where the content really lives. Links are followed one by one, also to a target that does
// not exist yet (dotfile managers make the link before its file), so that the link itself
// stays a link. Empty for a link that cannot be read or a loop of links.
std::string WriteTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            return {};
        }
        current = target.is_absolute()
                      ? target.string()
                      : (std::filesystem::path(current).parent_path() / target).string();
    }
    return {};
}

// Rewrites an existing file where it is. The old content is only cut back after the new one is
// wholly written, so a short write leaves at worst old bytes behind the new ones.
bool WriteInPlace(const std::string& target, const std::string& text) {
    // O_NONBLOCK: should a named pipe have taken the file's place meanwhile, opening it must
    // not wait for a reader.
    OwnedFd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    return WriteAll(fd.Get(), text) &&
           ::ftruncate(fd.Get(), static_cast<off_t>(text.size())) == 0 && ::fsync(fd.Get()) == 0 &&
           fd.Close();
}

} // namespace

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<ProfileDocument> ReadProfileFile(const std::string& path) {
    // Without O_NONBLOCK opening a named pipe would wait for a writer that never comes.
    OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid()) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::size_t>(info.st_size) > kMaxProfileFileBytes) {
        return std::nullopt;
    }
    std::string text;
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    char spare[4096];
    while (true) {
        // Read into the text while it has room, then into `spare` to notice a file that grew.
        char* into = filled < text.size() ? text.data() + filled : spare;
        const std::size_t room = filled < text.size() ? text.size() - filled : sizeof spare;
        const ssize_t n = ::read(fd.Get(), into, room);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        if (into == spare) {
            if (text.size() + static_cast<std::size_t>(n) > kMaxProfileFileBytes) {
                return std::nullopt;
            }
            text.append(spare, static_cast<std::size_t>(n));
            filled = text.size();
        } else {
            filled += static_cast<std::size_t>(n);
        }
    }
    text.resize(filled);
    return ProfileDocument(text);
}

bool WriteProfileFile(const std::string& path, const ProfileDocument& document) {
    const std::string target = WriteTarget(path);
    if (target.empty()) {
        return false;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return false;
    }
    // Renaming over the file needs only a writable folder; a file the user made read-only
    // must refuse the write, as writing into it would.
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        return false;
    }
    const std::filesystem::path targetPath(target);
    std::string temporary =
        (targetPath.parent_path() / ("." + targetPath.filename().string() + ".XXXXXX")).string();
    OwnedFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        // A writable file in a folder this user may not write (set up so by an administrator):
        // no temporary file can go beside it, but the file itself can still be rewritten.
        // Other failures (a full disk among them) keep the old file as it is.
        const bool folderRefused = errno == EACCES || errno == EPERM;
        return exists && folderRefused && WriteInPlace(target, document.Text());
    }
    const bool written = WriteAll(fd.Get(), document.Text()) &&
                         (!exists || ::fchmod(fd.Get(), existing.st_mode & 07777) == 0) &&
                         ::fsync(fd.Get()) == 0 && fd.Close();
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool CreateFolderWithParents(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}
