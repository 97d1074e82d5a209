#include "platform/ini_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace tamblor {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours.
constexpr size_t kMaxFileBytes = 1 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Control characters (other than tab) mean binary data, not a settings file.
bool IsTextByte(unsigned char c) { return c >= 0x20 ? c != 0x7F : c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads a "..." string with \\ and \" escapes from the start of `s`; on
// success `s` is left just after the closing quote.
bool ReadQuoted(std::string_view& s, std::string& out) {
    out.clear();
    size_t i = 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[i + 1];
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return false;
}

std::string Quote(std::string_view s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') q += '\\';
        q += c;
    }
    q += '"';
    return q;
}

bool HasOuterBlanks(std::string_view s) { return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back())); }

std::string FormatKey(std::string_view key) {
    bool plain = !key.empty() && !HasOuterBlanks(key) && key.find('=') == std::string_view::npos &&
                 key.front() != '[' && key.front() != ';' && key.front() != '#' && key.front() != '"';
    return plain ? std::string(key) : Quote(key);
}

std::string FormatValue(std::string_view value) {
    bool plain = !HasOuterBlanks(value) && (value.empty() || value.front() != '"');
    return plain ? std::string(value) : Quote(value);
}

bool IsStorable(const std::string& s) {
    for (unsigned char c : s) {
        if (!IsTextByte(c)) return false;
    }
    return true;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
    return "/tmp";
}

std::string SafeFileName(const std::string& app) {
    if (app.empty() || app == "." || app == "..") return "_";
    std::string name = app;
    for (char& c : name) {
        if (c == '/' || !IsTextByte(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

enum class ReadResult { kOk, kMissing, kFailed };

ReadResult ReadSmallFile(const std::string& path, std::string& text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kFailed;
    text.clear();
    char chunk[8192];
    ReadResult result = ReadResult::kOk;
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() + size_t(n) > kMaxFileBytes) {
            result = ReadResult::kFailed;
            break;
        }
        if (n == 0) break;
        text.append(chunk, size_t(n));
    }
    ::close(fd);
    return result;
}

// Renames `path` to "<path>.bad-<unix time>", adding "-1", "-2"... rather
// than replacing an earlier one. Returns the new name, or "" on failure.
std::string MoveAside(const std::string& path) {
    const std::string base = path + ".bad-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        // link() refuses an existing name, where rename() would replace it.
        if (::link(path.c_str(), candidate.c_str()) == 0) {
            ::unlink(path.c_str());
            return candidate;
        }
        if (errno == EEXIST) continue;
        struct stat st;
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT &&
            ::rename(path.c_str(), candidate.c_str()) == 0) {
            return candidate;
        }
        return "";
    }
    return "";
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool ParseIni(std::string_view text, IniData& out) {
    out.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string section;
    std::string key;
    std::string value;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        for (unsigned char c : line) {
            if (!IsTextByte(c)) return false;
        }

        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']') return false;
            section.assign(line.substr(1, line.size() - 2));
            continue;
        }

        if (line.front() == '"') {
            if (!ReadQuoted(line, key)) return false;
            line = Trim(line);
            if (line.empty() || line.front() != '=') return false;
        } else {
            size_t eq = line.find('=');
            if (eq == std::string_view::npos) return false;
            std::string_view raw = Trim(line.substr(0, eq));
            if (raw.empty()) return false;
            key.assign(raw);
            line.remove_prefix(eq);
        }
        line = Trim(line.substr(1));
        // A value that opens a quote but is not one well-formed quoted
        // string is taken as it stands (hand edits stay readable).
        std::string_view rest = line;
        if (!line.empty() && line.front() == '"' && ReadQuoted(rest, value) && Trim(rest).empty()) {
            // value holds the unquoted text
        } else {
            value.assign(line);
        }
        out[section][key] = value;
    }
    return true;
}

std::string FormatIni(const IniData& data) {
    // The leading comment also keeps a first key from ever starting the file
    // with bytes a reader could take for a byte-order mark.
    std::string text = "; Tamblor settings\n";
    for (const auto& [section, keys] : data) {
        if (!section.empty()) text += "\n[" + section + "]\n";
        for (const auto& [key, value] : keys) text += FormatKey(key) + "=" + FormatValue(value) + "\n";
    }
    return text;
}

IniSettingsStore::IniSettingsStore(std::string folder) : folder_(std::move(folder)) {}

std::string IniSettingsStore::DefaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and would follow the
    // current directory around.
    std::string root = config != nullptr && config[0] == '/' ? config : HomeFolder() + "/.config";
    return root + "/tamblor";
}

std::string IniSettingsStore::FileFor(const std::string& app) const {
    return folder_ + "/" + SafeFileName(app) + ".ini";
}

IniSettingsStore::App& IniSettingsStore::Load(const std::string& app) {
    auto it = apps_.find(app);
    if (it != apps_.end()) return it->second;
    App& entry = apps_[app];
    const std::string path = FileFor(app);
    std::string text;
    ReadResult read = ReadSmallFile(path, text);
    if (read == ReadResult::kMissing) return entry;
    if (read == ReadResult::kOk && ParseIni(text, entry.data)) return entry;

    entry.data.clear();
    std::string moved = MoveAside(path);
    if (!moved.empty()) {
        std::fprintf(stderr, "Tamblor: the settings file %s could not be read; it was moved to %s "
                     "and the defaults are used.\n", path.c_str(), moved.c_str());
    } else {
        // Never replace a file we could not keep a copy of.
        entry.writable = false;
        std::fprintf(stderr, "Tamblor: the settings file %s could not be read or moved aside (%s); "
                     "the defaults are used and settings will not be saved.\n",
                     path.c_str(), std::strerror(errno));
    }
    return entry;
}

std::string IniSettingsStore::Get(const std::string& app, const std::string& section,
                                  const std::string& key, const std::string& fallback) {
    const IniData& data = Load(app).data;
    auto s = data.find(section);
    if (s == data.end()) return fallback;
    auto k = s->second.find(key);
    return k == s->second.end() ? fallback : k->second;
}

void IniSettingsStore::Set(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
    if (!IsStorable(section) || !IsStorable(key) || !IsStorable(value)) {
        throw RuntimeError(kErrInvalidParam, "Settings cannot hold line breaks or control characters");
    }
    App& entry = Load(app);
    entry.data[section][key] = value;
    entry.dirty = true;
}

void IniSettingsStore::Flush() {
    for (auto& [app, entry] : apps_) {
        if (entry.dirty && entry.writable && Write(FileFor(app), FormatIni(entry.data))) {
            entry.dirty = false;
        }
    }
}

bool IniSettingsStore::Write(const std::string& path, const std::string& text) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        std::fprintf(stderr, "Tamblor: cannot save the settings in %s: %s\n", folder_.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) ::close(fd);
    // Flushed and synced before the rename, so the name only ever points at
    // a complete file, old or new.
    bool ok = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
              std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
    int error = ok ? 0 : errno;
    if (f != nullptr && std::fclose(f) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        std::fprintf(stderr, "Tamblor: cannot save the settings to %s: %s\n", path.c_str(),
                     std::strerror(error));
        return false;
    }
    SyncFolder(folder_);
    return true;
}

}  // namespace tamblor
