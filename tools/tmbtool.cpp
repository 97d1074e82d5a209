// tmbtool: lists, extracts and builds sound archives.
//   tmbtool list ARCHIVE
//   tmbtool extract ARCHIVE MEMBER OUTFILE
//   tmbtool build ARCHIVE LISTFILE     (LISTFILE: "member<TAB>file" per line)
//   tmbtool say ARCHIVE RATE OUTFILE WORD...
//       joins voices as the game says them at RATE percent (each one
//       stretched on its own), into one WAV; prints its length. A WORD "#n"
//       stands for the number words of n.
#include <fstream>
#include <iomanip>
#include <iostream>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "audio/archive_writer.h"
#include "audio/speech.h"
#include "audio/speech_rate.h"
#include "platform/wav.h"

using namespace tamblor;

namespace {
int Usage() {
    std::cerr << "usage: tmbtool list ARCHIVE\n"
                 "       tmbtool extract ARCHIVE MEMBER OUTFILE\n"
                 "       tmbtool build ARCHIVE LISTFILE   (lines: member<TAB>file)\n"
                 "       tmbtool say ARCHIVE RATE OUTFILE WORD...   (WORD: a member, or #number)\n";
    return 2;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
int Say(const std::vector<std::string>& args) {
    const std::vector<ArchiveMember> archive = ReadArchiveFile(args[1]);
    const int rate = std::stoi(args[2]);
    std::vector<std::string> words;
    for (size_t i = 4; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '#') {
            for (const std::string& w : NumberWords(std::stod(args[i].substr(1)))) words.push_back(w);
        } else {
            words.push_back(args[i]);
        }
    }
    std::vector<uint8_t> joined;
    for (const std::string& word : words) {
        const ArchiveMember* found = nullptr;
        for (const ArchiveMember& m : archive)
            if (m.name == word) found = &m;
        if (found == nullptr || found->bytes.size() <= 200) throw std::runtime_error("no voice " + word);
        // As the loaders take it: from byte 44, Size - 200 bytes, in the
        // channels its header names (a stereo voice is mixed down).
        WavData header;
        std::string error;
        const uint16_t channels =
            ParseWav(found->bytes.data(), found->bytes.size(), header, error) ? header.format.channels : 1;
        std::vector<int16_t> samples((found->bytes.size() - 200) / 2 / channels * channels);
        std::memcpy(samples.data(), found->bytes.data() + 44, samples.size() * 2);
        if (rate != 100) samples = Stretch(samples.data(), samples.size() / channels, channels, 22050, uint16_t(rate));
        for (size_t i = 0; i + channels <= samples.size(); i += channels) {
            int sum = 0;
            for (uint16_t c = 0; c < channels; ++c) sum += samples[i + c];
            const int16_t v = int16_t(sum / channels);
            joined.push_back(uint8_t(v & 0xFF));
            joined.push_back(uint8_t(uint16_t(v) >> 8));
        }
    }
    const std::vector<uint8_t> wav = MakeWav(PcmFormat(1), joined);
    std::ofstream out(args[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
    if (!out) throw std::runtime_error("cannot write " + args[3]);
    std::cout << std::fixed << std::setprecision(3) << double(joined.size()) / 2 / 22050 << " s at " << rate
              << "%\n";
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "list") {
            for (const ArchiveMember& m : ReadArchiveFile(args[1]))
                std::cout << m.bytes.size() << '\t' << m.name << '\n';
            return 0;
        }
        if (args.size() == 4 && args[0] == "extract") {
            for (const ArchiveMember& m : ReadArchiveFile(args[1])) {
                if (m.name != args[2]) continue;
                std::ofstream out(args[3], std::ios::binary);
                out.write(reinterpret_cast<const char*>(m.bytes.data()), std::streamsize(m.bytes.size()));
                if (!out) throw std::runtime_error("cannot write " + args[3]);
                return 0;
            }
            std::cerr << "tmbtool: no member " << args[2] << '\n';
            return 1;
        }
        if (args.size() >= 5 && args[0] == "say") return Say(args);
        if (args.size() == 3 && args[0] == "build") {
            std::ifstream list(args[2]);
            if (!list) throw std::runtime_error("cannot open " + args[2]);
            std::vector<ArchiveMember> members;
            std::string line;
            while (std::getline(list, line)) {
                if (line.empty()) continue;
                size_t tab = line.find('\t');
                if (tab == std::string::npos) throw std::runtime_error("no tab in line: " + line);
                members.push_back({line.substr(0, tab), ReadFile(line.substr(tab + 1))});
            }
            WriteArchiveFile(args[1], members);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "tmbtool: " << e.what() << '\n';
        return 1;
    }
    return Usage();
}
