#include "tools/gamedata/speech.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace gamedata {
namespace {

const std::map<std::string, std::string>& VoiceCommands() {
    static const std::map<std::string, std::string> kVoices{
        {"slt", "(voice_cmu_us_slt_arctic_hts)"},
    };
    return kVoices;
}

std::string SchemeString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

std::vector<std::string> KnownVoices() {
    std::vector<std::string> out;
    for (const auto& [name, cmd] : VoiceCommands()) out.push_back(name);
    return out;
}

std::string SpeechEngineId(const std::string& voice) {
    static std::string version;
    if (version.empty()) {
        FILE* p = popen("festival --version 2>&1", "r");
        if (!p) throw std::runtime_error("cannot run festival");
        char buf[256];
        while (fgets(buf, sizeof buf, p)) version += buf;
        if (pclose(p) != 0 || version.empty())
            throw std::runtime_error("festival is not installed (Debian packages festival, festvox-us-slt-hts)");
        while (!version.empty() && (version.back() == '\n' || version.back() == '\r')) version.pop_back();
    }
    auto it = VoiceCommands().find(voice);
    if (it == VoiceCommands().end()) throw std::runtime_error("unknown voice " + voice);
    return version + " " + it->second;
}

void Speak(const std::vector<SpeechJob>& jobs, int parallel, const std::string& work_dir) {
    if (jobs.empty()) return;
    std::filesystem::create_directories(work_dir);
    parallel = std::max(1, std::min(parallel, int(jobs.size())));
    std::vector<pid_t> pids;
    std::vector<std::string> logs;
    for (int w = 0; w < parallel; ++w) {
        std::string script = work_dir + "/batch" + std::to_string(w) + ".scm";
        std::string log = work_dir + "/batch" + std::to_string(w) + ".log";
        {
            std::ofstream out(script);
            std::string current;
            // Interleaved shares keep the workers' loads even.
            for (size_t i = size_t(w); i < jobs.size(); i += size_t(parallel)) {
                auto it = VoiceCommands().find(jobs[i].voice);
                if (it == VoiceCommands().end()) throw std::runtime_error("unknown voice " + jobs[i].voice);
                if (it->second != current) out << it->second << "\n";
                current = it->second;
                out << "(utt.save.wave (utt.synth (Utterance Text " << SchemeString(jobs[i].text) << ")) "
                    << SchemeString(jobs[i].out_path) << " 'riff)\n";
            }
            if (!out) throw std::runtime_error("cannot write " + script);
        }
        pid_t pid = fork();
        if (pid < 0) throw std::runtime_error("fork failed");
        if (pid == 0) {
            FILE* f = freopen(log.c_str(), "w", stdout);
            if (f) dup2(fileno(stdout), 2);
            execlp("festival", "festival", "-b", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        pids.push_back(pid);
        logs.push_back(log);
    }
    std::string failures;
    for (size_t w = 0; w < pids.size(); ++w) {
        int status = 0;
        waitpid(pids[w], &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            failures += "festival worker " + std::to_string(w) + " failed:\n" + ReadAll(logs[w]);
    }
    for (const SpeechJob& job : jobs)
        if (!std::filesystem::exists(job.out_path)) failures += "no speech for: " + job.text + "\n";
    if (!failures.empty()) throw std::runtime_error(failures);
}

std::vector<std::string> SplitSentences(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        cur += text[i];
        bool end = (text[i] == '.' || text[i] == '!' || text[i] == '?') && (i + 1 == text.size() || text[i + 1] == ' ');
        if (end) {
            size_t a = cur.find_first_not_of(' ');
            if (a != std::string::npos) out.push_back(cur.substr(a));
            cur.clear();
        }
    }
    size_t a = cur.find_first_not_of(' ');
    if (a != std::string::npos) out.push_back(cur.substr(a));
    return out;
}

}  // namespace gamedata
