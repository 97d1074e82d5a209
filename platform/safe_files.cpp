#include "platform/safe_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/end_signals.h"

namespace tamblor {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const char* a, const std::string& b) {
    size_t i = 0;
    for (; a[i] != '\0'; ++i) {
        if (i >= b.size() || Lower(a[i]) != Lower(b[i])) return false;
    }
    return i == b.size();
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

std::string NotAFile(const std::string& path, unsigned mode) {
    return path + " is " + FileKindName(mode) + ", not a plain file";
}

}  // namespace

std::string FileKindName(unsigned mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISREG(mode)) return "a file";
    return "not a file";
}

int OpenRegularFile(const std::string& path, std::string& error) {
    struct stat st;
    // Looked at before opening: opening a device or a FIFO can block or act.
    if (::stat(path.c_str(), &st) != 0) {
        error = path + ": " + std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotAFile(path, st.st_mode);
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return -1;
    }
    // It may have been swapped in between.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = NotAFile(path, st.st_mode);
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& out, std::string& error,
                     bool* missing) {
    out.clear();
    if (missing != nullptr) *missing = false;
    int fd = OpenRegularFile(path, error);
    if (fd < 0) {
        struct stat st;
        if (missing != nullptr && ::lstat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
            *missing = true;
        return false;
    }
    uint8_t chunk[16384];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = path + ": " + std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        if (out.size() + size_t(n) > maxBytes) {
            error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
            ok = false;
            break;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    ::close(fd);
    return ok;
}

std::vector<std::string> NamesIgnoringCase(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return found;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameIgnoringCase(entry->d_name, name)) found.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return found;
}

bool WriteFreshFile(const std::string& folder, const std::string& name, const void* data, size_t size,
                    bool anyCase, std::string& error) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        error = "'" + name + "' is not a file name";
        return false;
    }
    std::vector<std::string> old = anyCase ? NamesIgnoringCase(folder, name) : std::vector<std::string>{name};
    for (const std::string& each : old) {
        std::string path = Join(folder, each);
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
            error = NotAFile(path, st.st_mode) + "; it was left alone";
            return false;
        }
        // A link is removed, never followed: its target stays untouched.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = "cannot replace " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    const std::string path = Join(folder, name);
    WritingFiles writing;
    // O_EXCL: whatever appears under the name meanwhile makes this fail.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, static_cast<const uint8_t*>(data), size);
    int writeError = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        writeError = errno;
    }
    if (!ok) {
        error = "cannot write " + path + ": " + std::strerror(writeError);
        ::unlink(path.c_str());
    }
    return ok;
}

bool AppendToFile(const std::string& folder, const std::string& name, const std::string& text, size_t limit,
                  std::string& error) {
    const std::string path = Join(folder, name);
    WritingFiles writing;
    // O_NONBLOCK: a FIFO without a reader fails at once instead of waiting.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = NotAFile(path, st.st_mode);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (size_t(st.st_size) > limit && ::ftruncate(fd, 0) != 0) {
        error = "cannot shorten " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    bool ok = WriteAll(fd, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (::close(fd) != 0) ok = false;
    if (!ok) error = "cannot write " + path + ": " + std::strerror(errno);
    return ok;
}

}  // namespace tamblor
