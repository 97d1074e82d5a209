#include "platform/ini_store.h"

#include <dirent.h>
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
#include <vector>

#include "platform/end_signals.h"
#include "platform/safe_files.h"

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

// Writes `text` as a new "<path>.bad-<unix time>" file beside `path`.
// Returns its name, or "" on failure.
std::string KeepCopy(const std::string& folder, const std::string& path, const std::string& text) {
    const std::string file = path.substr(path.rfind('/') + 1);
    const std::string base = file + ".bad-" + std::to_string(static_cast<long long>(std::time(nullptr)));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        struct stat st;
        if (::lstat((folder + "/" + candidate).c_str(), &st) == 0) continue;
        std::string error;
        if (!WriteFreshFile(folder, candidate, text.data(), text.size(), false, error)) return "";
        return folder + "/" + candidate;
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

namespace {
enum class LineKind { kSkip, kSection, kValue, kBad };

// One line, already stripped of its line end.
LineKind ReadLine(std::string_view line, std::string& section, std::string& key, std::string& value) {
    for (unsigned char c : line) {
        if (!IsTextByte(c)) return LineKind::kBad;
    }
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return LineKind::kSkip;
    if (line.front() == '[') {
        if (line.size() < 2 || line.back() != ']') return LineKind::kBad;
        section.assign(line.substr(1, line.size() - 2));
        return LineKind::kSection;
    }
    if (line.front() == '"') {
        if (!ReadQuoted(line, key)) return LineKind::kBad;
        line = Trim(line);
        if (line.empty() || line.front() != '=') return LineKind::kBad;
    } else {
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return LineKind::kBad;
        std::string_view raw = Trim(line.substr(0, eq));
        if (raw.empty()) return LineKind::kBad;
        key.assign(raw);
        line.remove_prefix(eq);
    }
    line = Trim(line.substr(1));
    // A value that opens a quote but is not one well-formed quoted
    // string is taken as it stands (hand edits stay readable).
    std::string_view rest = line;
    if (!(!line.empty() && line.front() == '"' && ReadQuoted(rest, value) && Trim(rest).empty()))
        value.assign(line);
    return LineKind::kValue;
}
}  // namespace

size_t ParseIniKeeping(std::string_view text, IniData& out, std::vector<size_t>* badLines) {
    out.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string section;
    bool sectionKnown = true;
    std::string key;
    std::string value;
    size_t bad = 0;
    for (size_t number = 1; !text.empty(); ++number) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        LineKind kind = ReadLine(line, section, key, value);
        if (kind == LineKind::kSection) sectionKnown = true;
        if (kind == LineKind::kBad && !line.empty() && Trim(line).substr(0, 1) == "[") sectionKnown = false;
        if (kind == LineKind::kValue && sectionKnown) {
            out[section][key] = value;
        } else if (kind == LineKind::kBad || kind == LineKind::kValue) {
            ++bad;
            if (badLines != nullptr) badLines->push_back(number);
        }
    }
    return bad;
}

bool ParseIni(std::string_view text, IniData& out) { return ParseIniKeeping(text, out) == 0; }

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

void IniSettingsStore::Problem(const std::string& text) {
    std::fprintf(stderr, "Tamblor: %s\n", text.c_str());
    problem_ += (problem_.empty() ? "" : " ") + text;
}

std::string IniSettingsStore::TakeReadProblem() {
    std::string problem;
    problem.swap(problem_);
    return problem;
}

void IniSettingsStore::RemoveStaleTemporaries(const std::string& app) {
    // Left by a save that a crash or a kill cut short. A save takes
    // milliseconds, so one a minute old is nobody's any more.
    const std::string prefix = SafeFileName(app) + ".ini.tmp-";
    const time_t now = std::time(nullptr);
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        std::string path = folder_ + "/" + entry->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) &&
            now - st.st_mtime >= 60) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(dir);
}

IniSettingsStore::App& IniSettingsStore::Load(const std::string& app) {
    auto it = apps_.find(app);
    if (it != apps_.end()) return it->second;
    App& entry = apps_[app];
    RemoveStaleTemporaries(app);
    const std::string path = FileFor(app);

    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        // A FIFO would hang the game and a folder cannot be replaced; neither is ours.
        entry.writable = false;
        Problem("the settings file " + path + " is " + FileKindName(st.st_mode) +
                ", not a file; the defaults are used and nothing will be saved until it is removed.");
        return entry;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    bool missing = false;
    if (!ReadRegularFile(path, kMaxFileBytes, bytes, error, &missing)) {
        if (missing) return entry;
        struct stat target;
        if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
            entry.writable = false;
            Problem("the settings file " + path + " leads to " + FileKindName(target.st_mode) +
                    ", not a file; the defaults are used and nothing will be saved until it is removed.");
            return entry;
        }
        std::string moved = MoveAside(path);
        if (!moved.empty()) {
            Problem("the settings file " + path + " could not be read (" + error + "); it was moved to " + moved +
                    " and the defaults are used.");
        } else {
            // Never replace a file we could not keep a copy of.
            entry.writable = false;
            Problem("the settings file " + path + " could not be read (" + error +
                    ") or moved aside; the defaults are used and settings will not be saved.");
        }
        return entry;
    }

    std::string text(bytes.begin(), bytes.end());
    std::vector<size_t> badLines;
    if (ParseIniKeeping(text, entry.data, &badLines) == 0) return entry;

    // Every readable line is kept; the file as it was stays beside it for
    // whoever wants the rest back.
    std::string lines;
    for (size_t i = 0; i < badLines.size() && i < 5; ++i) lines += (i ? ", " : "") + std::to_string(badLines[i]);
    if (badLines.size() > 5) lines += "...";
    std::string copy = KeepCopy(folder_, path, text);
    bool one = badLines.size() == 1;
    std::string what = std::to_string(badLines.size()) + (one ? " line" : " lines") + " of the settings file " +
                       path + " could not be read (line " + lines + ")";
    if (!copy.empty()) {
        Problem(what + (one ? " and was" : " and were") +
                " set aside; every other setting was kept. The file as it was is in " + copy + ".");
    } else {
        entry.writable = false;
        Problem(what + ", and no copy of it could be kept, so settings will not be saved.");
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

bool IniSettingsStore::Flush() {
    bool all = true;
    for (auto& [app, entry] : apps_) {
        if (!entry.dirty) continue;
        if (entry.writable && Write(FileFor(app), FormatIni(entry.data))) {
            entry.dirty = false;
        } else {
            all = false;
        }
    }
    return all;
}

bool IniSettingsStore::Write(const std::string& path, const std::string& text) {
    WritingFiles writing;  // an end signal waits for the rename
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
    // rename() replaces whatever name stands at `path`, a link included,
    // and never writes through it.
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
