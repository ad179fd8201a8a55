#include "files/output_file.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "cli/arguments.h"
#include "cli/stop_signals.h"

namespace orbisk {
namespace {

// As many symbolic links as the system follows in one path.
constexpr int LongestLinkChain = 40;
// Names tried for a temporary file before giving up: each is taken only if no file has it.
constexpr int TemporaryNameAttempts = 100;
// Of the file's own name in its temporary file's, so that a long name leaves room for the rest.
constexpr std::size_t NameInTemporary = 32;

std::string systemError(int error) { return std::strerror(error); }

struct Place {
    std::string folder, name;
};

// "a/b.png" is b.png in a, "b.png" is b.png in ".", "/b.png" is b.png in "/".
Place placeOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Where a symbolic link at `link` that holds `target` leads: a relative target starts in the link's folder.
std::string linkTarget(const std::string& link, const std::string& target) {
    const std::size_t slash = link.find_last_of('/');
    if (target.starts_with('/') || slash == std::string::npos) return target;
    return link.substr(0, slash + 1) + target;
}

std::uint64_t temporaryNameSeed() {
    std::uint64_t seed = 0;
    if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == sizeof seed) return seed;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) << 32 ^ static_cast<std::uint64_t>(now.tv_nsec) ^
           static_cast<std::uint64_t>(getpid()) << 40;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The number N when `name` in `folder` is /proc/self/fd/N, a descriptor of this process (where /dev/stdout and
// /dev/fd/N lead); else -1.
int ownDescriptorNumber(int folder, const std::string& name) {
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos) return -1;
    struct stat status {
    }, own{};
    if (fstat(folder, &status) != 0) return -1;
    for (const char* descriptors : {"/proc/self/fd", "/proc/thread-self/fd"})
        if (stat(descriptors, &own) == 0 && sameFile(status, own)) return std::stoi(name);
    return -1;
}

// A duplicate of descriptor `number` of this process, or -1 with the cause in `cause` when it cannot be written.
int duplicateForWriting(int number, std::string& cause) {
    const int flags = fcntl(number, F_GETFL);
    const std::string descriptor = "descriptor " + std::to_string(number);
    if (flags < 0)
        cause = descriptor + " is not open";
    else if ((flags & O_ACCMODE) == O_RDONLY)
        cause = descriptor + " is not open for writing";
    else if (const int direct = fcntl(number, F_DUPFD_CLOEXEC, 0); direct >= 0)
        return direct;
    else
        cause = systemError(errno);
    return -1;
}

// Why `name` in `folder` could not be opened for writing, failing with `error` (not ENOENT: a file yet to be made).
std::string openRefusal(int folder, const std::string& name, int error) {
    struct stat status {};
    if (error == ENXIO && fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISFIFO(status.st_mode)) return "it is a FIFO that nobody reads";
        if (S_ISSOCK(status.st_mode)) return "it is a socket";
    }
    if (error == EISDIR) return "it is a folder";
    if (error == ENAMETOOLONG) {
        const long longest = fpathconf(folder, _PC_NAME_MAX);
        return "its name is " + std::to_string(name.size()) + " bytes long, more than " +
               (longest > 0 ? "the " + std::to_string(longest) : std::string("what")) + " its folder takes";
    }
    return systemError(error);
}

bool mayOverrideFileOwners() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3]{};
    return syscall(SYS_capget, &header, sets) == 0 && (sets[0].effective & 1u << CAP_FOWNER) != 0;
}

// A folder with the sticky bit (/tmp) lets a file in it be replaced only by its owner or the folder's (or by one
// with the right to act as any file's owner).
bool stickyFolderKeeps(int folder, const struct stat& file) {
    struct stat status {};
    if (fstat(folder, &status) != 0 || (status.st_mode & S_ISVTX) == 0) return false;
    const uid_t user = geteuid();
    return file.st_uid != user && status.st_uid != user && !mayOverrideFileOwners();
}

// Creates a file that did not exist, ".NAME.XXXXXXXX.tmp" in `folder`, for writing; its descriptor, or -1 with errno
// set. New files get the permissions of any new file (0666 less the umask).
int createTemporary(int folder, const std::string& name, std::string& temporary) {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_";
    std::uint64_t state = temporaryNameSeed();
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        temporary = "." + name.substr(0, NameInTemporary) + ".";
        for (int i = 0; i < 8; ++i) temporary += Letters[state >> (64 - 6 * (i + 1)) & 63];
        temporary += ".tmp";
        const int file = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0 || errno != EEXIST) return file;
    }
    return -1; // errno is EEXIST
}

// False, with errno set, when a write fails or a stop signal has come: one interrupts a write that blocks (on a FIFO
// or a device) with EINTR before any byte, and after some with a short count.
bool writeAll(int file, std::span<const std::uint8_t> content) {
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t written = ::write(file, content.data() + done, content.size() - done);
        if (written < 0) return false;
        if (stopSignal() != 0) {
            errno = EINTR;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The file's content replaced where it is, with the space for it taken first so that a full disk changes nothing.
bool rewrite(int file, std::span<const std::uint8_t> content) {
    const auto size = static_cast<off_t>(content.size());
    if (const int error = size > 0 ? posix_fallocate(file, 0, size) : 0; error != 0) {
        errno = error;
        return false;
    }
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t written = pwrite(file, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (written < 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return ftruncate(file, size) == 0 && fsync(file) == 0;
}

} // namespace

OutputFile::OutputFile(std::string subject, int folder, std::string name, int direct, bool inPlace)
    : subject_(std::move(subject)), folder_(folder), name_(std::move(name)), direct_(direct), inPlace_(inPlace) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : subject_(std::move(other.subject_)), folder_(std::exchange(other.folder_, -1)), name_(std::move(other.name_)),
      direct_(std::exchange(other.direct_, -1)), inPlace_(other.inPlace_) {}

OutputFile::~OutputFile() {
    if (direct_ >= 0) close(direct_);
    if (folder_ >= 0) close(folder_);
}

std::optional<OutputFile> OutputFile::open(const std::string& path, std::string& error) {
    std::string leadsTo = path;
    for (int links = 0;; ++links) {
        const std::string subject = quoted(path) + (leadsTo == path ? "" : " (which leads to " + quoted(leadsTo) + ")");
        const auto fail = [&](const std::string& cause) {
            error = "cannot write " + subject + ": " + cause;
            return std::nullopt;
        };
        const Place place = placeOf(leadsTo);
        const int folder = ::open(place.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) return fail("its folder " + quoted(place.folder) + ": " + systemError(errno));
        const auto failInFolder = [&](const std::string& cause) {
            close(folder);
            return fail(cause);
        };

        // A descriptor of this process is written through itself, at its offset (or appending, as it was opened):
        // the text of its link names no file for a pipe, and for a file one that must not be renamed over.
        if (const int number = ownDescriptorNumber(folder, place.name); number >= 0) {
            std::string cause;
            const int direct = duplicateForWriting(number, cause);
            if (direct < 0) return failInFolder(cause);
            return OutputFile(subject, folder, place.name, direct, false);
        }

        // Opened without waiting for a FIFO's reader, and neither truncated nor followed if it is a link.
        const int file = openat(folder, place.name.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        const int openError = errno;
        struct stat status {};
        if (file < 0 && openError == ELOOP) {
            char target[4096];
            const ssize_t length = readlinkat(folder, place.name.c_str(), target, sizeof target - 1);
            close(folder);
            if (length < 0) return fail(systemError(errno));
            if (links == LongestLinkChain) return fail(systemError(ELOOP));
            leadsTo = linkTarget(leadsTo, std::string(target, static_cast<std::size_t>(length)));
            continue;
        }
        if (file < 0 && openError != ENOENT) return failInFolder(openRefusal(folder, place.name, openError));

        if (file >= 0 && fstat(file, &status) == 0 && (!S_ISREG(status.st_mode) || status.st_nlink > 1)) {
            if (!S_ISREG(status.st_mode)) fcntl(file, F_SETFL, fcntl(file, F_GETFL) & ~O_NONBLOCK);
            return OutputFile(subject, folder, place.name, file, S_ISREG(status.st_mode));
        }
        if (file >= 0) close(file);
        if (file >= 0 && stickyFolderKeeps(folder, status))
            return failInFolder("it is another user's file in " + quoted(place.folder) +
                                ", a folder with the sticky bit, where only its owner may replace it");
        // A new file, or one to be replaced: its folder must take a new file.
        std::string probe;
        const int made = createTemporary(folder, place.name, probe);
        if (made < 0)
            return failInFolder("its folder " + quoted(place.folder) + " takes no new file: " + systemError(errno));
        close(made);
        unlinkat(folder, probe.c_str(), 0);
        return OutputFile(subject, folder, place.name, -1, false);
    }
}

bool OutputFile::write(std::span<const std::uint8_t> content, std::string& error) {
    if (direct_ >= 0) {
        if (inPlace_ ? rewrite(direct_, content) : writeAll(direct_, content)) return true;
        error = "cannot write " + subject_ + ": " + systemError(errno);
        return false;
    }
    struct stat old {};
    const bool replacing = fstatat(folder_, name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    std::string temporary;
    const int file = createTemporary(folder_, name_, temporary);
    if (file < 0) {
        error = "cannot write " + subject_ + ": " + systemError(errno);
        return false;
    }
    int cause = 0; // of the first step that failed
    const auto step = [&cause](bool done) {
        if (!done && cause == 0) cause = errno;
        return done;
    };
    if (replacing) {
        // The old file's mode while the new one is still this user's (given away first, it could be changed only
        // with the right to act as any file's owner), then its owner where that is allowed, else at least its group.
        step(fchmod(file, old.st_mode & 07777) == 0);
        [[maybe_unused]] const bool owned =
            fchown(file, old.st_uid, old.st_gid) == 0 || fchown(file, static_cast<uid_t>(-1), old.st_gid) == 0;
    }
    // Synced before the rename, so that after a crash the path holds the old file or the whole new one.
    const bool written = cause == 0 && step(writeAll(file, content)) && step(fsync(file) == 0);
    const bool closed = step(close(file) == 0);
    if (written && closed && step(renameat(folder_, temporary.c_str(), folder_, name_.c_str()) == 0)) return true;
    unlinkat(folder_, temporary.c_str(), 0); // first: the message may find no memory left
    error = "cannot write " + subject_ + ": " + systemError(cause);
    return false;
}

} // namespace orbisk
