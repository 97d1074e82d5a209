#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/sdl_platform.h"

namespace tamblor {

namespace {
std::string Home() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
    return "/tmp";
}
}  // namespace

std::string PosixPaths::AppFolder() {
    std::string path(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || size_t(n) >= path.size()) return ".";
    path.resize(size_t(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string PosixPaths::UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // The XDG rules ignore relative values.
    if (data != nullptr && data[0] == '/') return data;
    return Home() + "/.local/share";
}

}  // namespace tamblor
