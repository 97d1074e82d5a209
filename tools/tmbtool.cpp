// tmbtool: lists, extracts and builds sound archives.
//   tmbtool list ARCHIVE
//   tmbtool extract ARCHIVE MEMBER OUTFILE
//   tmbtool build ARCHIVE LISTFILE     (LISTFILE: "member<TAB>file" per line)
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/archive_writer.h"

using namespace tamblor;

namespace {
int Usage() {
    std::cerr << "usage: tmbtool list ARCHIVE\n"
                 "       tmbtool extract ARCHIVE MEMBER OUTFILE\n"
                 "       tmbtool build ARCHIVE LISTFILE   (lines: member<TAB>file)\n";
    return 2;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
