#include "tools/maptools/compile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/maptools/map_source.h"
#include "tools/maptools/map_writer.h"
#include "tools/maptools/png.h"

namespace tamblor::maptools {

namespace {

// Through a temporary file renamed into place, so an interrupted build
// leaves either the old file or the new one.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::ostream& messages) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        out.close();
        if (!out) {
            messages << "mapc: cannot write " << temporary << '\n';
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        messages << "mapc: cannot write " << path << ": " << ec.message() << '\n';
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

void RemoveOutputs(const std::string& mapPath, const std::string& pngPath) {
    std::error_code ec;
    std::filesystem::remove(mapPath, ec);
    if (!pngPath.empty()) std::filesystem::remove(pngPath, ec);
}

}  // namespace

int CompileMapFile(const std::string& sourcePath, const std::string& mapPath, const std::string& pngPath,
                   std::ostream& messages) {
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        messages << sourcePath << ": cannot open the map source\n";
        RemoveOutputs(mapPath, pngPath);
        return 1;
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    std::vector<Diagnostic> problems;
    MapSource source = ParseMapSource(text, sourcePath, problems);
    if (problems.empty()) problems = CheckMapRules(source);
    if (!problems.empty()) {
        for (const Diagnostic& d : problems) messages << d.Text() << '\n';
        messages << sourcePath << ": " << problems.size() << (problems.size() == 1 ? " error" : " errors")
                 << "; no map written\n";
        RemoveOutputs(mapPath, pngPath);
        return 1;
    }

    std::string map = WriteGameMap(source.grid);
    if (!WriteFileAtomically(mapPath, map.data(), map.size(), messages)) {
        RemoveOutputs(mapPath, pngPath);
        return 1;
    }
    if (!pngPath.empty()) {
        std::vector<uint8_t> png = RenderMapPng(source.grid);
        if (!WriteFileAtomically(pngPath, png.data(), png.size(), messages)) {
            RemoveOutputs(mapPath, pngPath);
            return 1;
        }
    }
    return 0;
}

}  // namespace tamblor::maptools
