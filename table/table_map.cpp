#include "table/table_map.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "audio/archive.h"
#include "core/errors.h"
#include "core/app.h"
#include "platform/platform.h"
#include "platform/safe_files.h"

namespace tamblor {

TableMapRecord TableMap;

namespace {

const char* const kProcedure = "LoadTableMap";

struct MapFormatError {
    int32_t number;
    std::string description;
};

enum class Section { Header, Cell, Footer, End };

std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 24;  // enough to recognise the field
    std::string shown(text.substr(0, kShown));
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127) c = '?';
    }
    if (text.size() > kShown) shown += "...";
    return "'" + shown + "'";
}

std::string CharName(char c) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) return std::string("'") + c + "'";
    static const char* const kHex = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 15];
}

// Reads the flat field sequence of a map file. Every failure throws
// MapFormatError with the line and the field it happened in.
class FieldReader {
public:
    FieldReader(std::string_view text, const std::string& fileName)
        : text_(text), fileName_(fileName) {}

    void At(Section section, int x = 0, int y = 0) {
        section_ = section;
        x_ = x;
        y_ = y;
        field_ = 0;
    }

    uint8_t Byte() { return static_cast<uint8_t>(Integer(0, 255)); }
    int16_t Int16() { return static_cast<int16_t>(Integer(-32768, 32767)); }

    float Single() {
        std::string_view token = NumberToken();
        if (!IsDecimal(token, true)) Fail(kMapErrTypeMismatch, Quoted(token) + " is not a number");
        std::string_view digits = token[0] == '+' ? token.substr(1) : token;
        float value = 0.0f;
        auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (result.ec == std::errc::result_out_of_range)
            Fail(kMapErrOverflow, Quoted(token) + " does not fit a 32-bit float");
        if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
            Fail(kMapErrTypeMismatch, Quoted(token) + " is not a number");
        EndField();
        return value;
    }

    template <size_t N>
    void Text(MapText<N>& out) {
        BeginField();
        std::string_view value;
        if (text_[pos_] == '"') {
            size_t close = text_.find('"', pos_ + 1);
            if (close == std::string_view::npos)
                Fail(kMapErrPastEnd, "the quoted text starting here is never closed");
            value = text_.substr(pos_ + 1, close - pos_ - 1);
            line_ += CountLineEnds(value);
            pos_ = close + 1;
        } else {
            size_t start = pos_;
            while (pos_ < text_.size() && !IsFieldEnd(text_[pos_], false)) ++pos_;
            value = text_.substr(start, pos_ - start);
            while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
        }
        EndField();
        out.fill(' ');
        value.copy(out.data(), std::min(N, value.size()));
    }

    // Only spaces and line ends may follow the footer.
    void ExpectEnd() {
        At(Section::End);
        while (pos_ < text_.size()) {
            if (text_[pos_] == ' ') {
                ++pos_;
            } else if (!SkipLineEnd()) {
                fieldLine_ = line_;
                Fail(kMapErrTypeMismatch, "unexpected data " + Quoted(text_.substr(pos_)));
            }
        }
    }

private:
    static bool IsFieldEnd(char c, bool spaceEnds) {
        return c == ',' || c == '\r' || c == '\n' || (spaceEnds && c == ' ');
    }

    // Sign, digits, an optional "." with digits, and for floats an exponent.
    static bool IsDecimal(std::string_view t, bool allowFraction) {
        size_t i = 0;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t digits = 0;
        auto skipDigits = [&] {
            size_t n = 0;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++n;
            return n;
        };
        digits += skipDigits();
        if (!allowFraction) return digits > 0 && i == t.size();
        if (i < t.size() && t[i] == '.') {
            ++i;
            digits += skipDigits();
        }
        if (digits == 0) return false;
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            ++i;
            if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
            if (skipDigits() == 0) return false;
        }
        return i == t.size();
    }

    static int CountLineEnds(std::string_view text) {
        int count = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
                ++count;
        }
        return count;
    }

    int32_t Integer(int32_t low, int32_t high) {
        std::string_view token = NumberToken();
        if (!IsDecimal(token, false)) Fail(kMapErrTypeMismatch, Quoted(token) + " is not a whole number");
        bool negative = token[0] == '-';
        int64_t value = 0;
        for (char c : token) {
            if (c < '0' || c > '9') continue;
            value = std::min<int64_t>(value * 10 + (c - '0'), int64_t(1) << 40);  // saturate
        }
        if (negative) value = -value;
        if (value < low || value > high)
            Fail(kMapErrOverflow, Quoted(token) + " is outside " + std::to_string(low) + ".." +
                                      std::to_string(high));
        EndField();
        return static_cast<int32_t>(value);
    }

    // Skips the spaces before a field; there must be one.
    void BeginField() {
        ++field_;
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
        fieldLine_ = line_;
        if (pos_ >= text_.size()) Fail(kMapErrPastEnd, "the file ends before this field");
    }

    std::string_view NumberToken() {
        BeginField();
        size_t start = pos_;
        while (pos_ < text_.size() && !IsFieldEnd(text_[pos_], true)) ++pos_;
        std::string_view token = text_.substr(start, pos_ - start);
        if (token.empty()) Fail(kMapErrTypeMismatch, "the number is missing");
        return token;
    }

    bool SkipLineEnd() {
        if (pos_ >= text_.size()) return false;
        if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        } else if (text_[pos_] == '\n') {
            ++pos_;
        } else {
            return false;
        }
        ++line_;
        return true;
    }

    // After a field: spaces, then a comma, a line end or the end of the file.
    void EndField() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
        if (pos_ >= text_.size() || SkipLineEnd()) return;
        if (text_[pos_] == ',') {
            ++pos_;
            return;
        }
        Fail(kMapErrTypeMismatch, "unexpected " + CharName(text_[pos_]) + " after the field");
    }

    std::string Where() const {
        std::string field = "field " + std::to_string(field_);
        switch (section_) {
            case Section::Header:
                return "header " + field;
            case Section::Cell:
                return "cell (" + std::to_string(x_) + ", " + std::to_string(y_) + ") " + field +
                       (field_ == 1 ? " (Code)" : field_ == 2 ? " (Number)" : "");
            case Section::Footer:
                return "footer " + field;
            case Section::End:
                break;
        }
        return "after the footer";
    }

    [[noreturn]] void Fail(int32_t number, const std::string& what) const {
        throw MapFormatError{number, "Map file '" + fileName_ + "', line " + std::to_string(fieldLine_) +
                                         ", " + Where() + ": " + what};
    }

    std::string_view text_;
    const std::string& fileName_;
    size_t pos_ = 0;
    int line_ = 1;
    int fieldLine_ = 1;
    Section section_ = Section::Header;
    int x_ = 0;
    int y_ = 0;
    int field_ = 0;
};

void ReadHeader(FieldReader& r, MapHeader& h) {
    r.At(Section::Header);
    r.Byte();  // field 1 is not kept
    r.Text(h.Field2);
    h.Field3 = r.Byte();
    r.Text(h.Field4);
    h.Field5 = r.Byte();
    r.Text(h.Field6);
    for (uint8_t& b : h.Fields7To11) b = r.Byte();
    r.Text(h.Field12);
    h.Field13 = r.Byte();
    h.Field14 = r.Single();
    h.Field15 = r.Byte();
    r.Text(h.Field16);
    h.Field17 = r.Byte();
    r.Text(h.Field18);
    h.Field19 = r.Byte();
    r.Text(h.Field20);
    h.Field21 = r.Byte();
    r.Text(h.Field22);
    h.Field23 = r.Byte();
}

void ReadCell(FieldReader& r, MapCell& c) {
    c.Code = r.Byte();
    c.Number = r.Byte();
    c.Field3 = r.Byte();
    c.Field4 = r.Byte();
    r.Text(c.Field5);
    c.Field6 = r.Int16();
    c.Field7 = r.Byte();
    c.Field8 = r.Int16();
    c.Field9 = r.Byte();
    c.Field10 = r.Single();
    c.Field11 = r.Byte();
    c.Field12 = r.Byte();
    c.Field13 = r.Int16();
    c.Field14 = r.Byte();
    c.Field15 = r.Int16();
    c.Field16 = r.Byte();
    c.Field17 = r.Single();
    for (uint8_t& b : c.Fields18To33) b = r.Byte();
    c.Field34 = r.Byte();
}

void ReadFooter(FieldReader& r, MapFooter& f) {
    r.At(Section::Footer);
    for (int16_t& n : f.Numbers) n = r.Int16();
    r.Text(f.Text);
}

// A failed load leaves an empty field rather than half of a map.
void ClearMap() {
    for (int x = 0; x < kMapFieldSize; ++x)
        for (int y = 0; y < kMapFieldSize; ++y) TableMap.Cells[x][y] = MapCell{};
    TableMap.DotCount = 0;
    TableMap.Header = MapHeader{};
    TableMap.Footer = MapFooter{};
}

[[noreturn]] void FailLoad(int32_t number, const std::string& description) {
    ClearMap();
    ReportError(kProcedure, number, description);
    throw ReturnToMainMenu{};
}

void PublishListing() {
    std::string listing = MapCodeListing();
    if (!DataFolder.empty()) {
        // Only a diagnostic: a listing that cannot be written costs nothing else.
        std::string error;
        if (!WriteFreshFile(DataFolder, kMapListingFileName, listing.data(), listing.size(), false, error))
            std::fprintf(stderr, "Tamblor: no map listing written: %s\n", error.c_str());
    }
    const char* toClipboard = std::getenv(kMapToClipboardVariable);
    if (toClipboard != nullptr && std::string_view(toClipboard) == "1") MainWindow().SetClipboard(listing);
}

void RemoveExtracted(const std::string& fileName) {
    if (DataFolder.empty() || fileName.empty()) return;  // never guess at a folder
    std::error_code ec;
    std::filesystem::remove(ExtractedPath(fileName), ec);
}

}  // namespace

void LoadTableMap(const std::string& fileName) {
    for (int x = 0; x < kMapFieldSize; ++x)
        for (int y = 0; y < kMapFieldSize; ++y) TableMap.Cells[x][y].Code = 0;
    TableMap.DotCount = 0;

    std::string path = ExtractedPath(fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        FailLoad(kMapErrFileNotFound, "Map file '" + fileName + "' not found in " + DataFolder);
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) FailLoad(kMapErrFileNotFound, "Map file '" + fileName + "' cannot be read");

    try {
        FieldReader reader(text, fileName);
        ReadHeader(reader, TableMap.Header);
        for (int y = 0; y < kMapFieldSize; ++y) {
            for (int x = 0; x < kMapFieldSize; ++x) {
                reader.At(Section::Cell, x, y);
                MapCell& cell = TableMap.Cells[x][y];
                ReadCell(reader, cell);
                if (cell.Code == kDotCode) ++TableMap.DotCount;
            }
        }
        ReadFooter(reader, TableMap.Footer);
        reader.ExpectEnd();
    } catch (const MapFormatError& error) {
        FailLoad(error.number, error.description);
    }
    PublishListing();
}

void LoadMapMember(const std::string& member, const std::string& fileName) {
    // Whatever an earlier run left under these names must not stand in for this member.
    RemoveExtracted(fileName);
    RemoveExtracted(MemberFileName(member));
    if (FindMember(member) == kMemberNotFound)
        FailLoad(kMapErrFileNotFound, "Map '" + member + "' is not in the archive");

    struct DeleteAfterwards {
        const std::string& fileName;
        const std::string& member;
        ~DeleteAfterwards() {
            RemoveExtracted(fileName);
            RemoveExtracted(MemberFileName(member));
        }
    } deleteAfterwards{fileName, member};
    ExtractMember(member);
    LoadTableMap(fileName);
}

std::string MapCodeListing() {
    std::string listing;
    listing.reserve(size_t(kMapFieldSize) * (kMapFieldSize * 4 + 2));
    for (int y = 0; y < kMapFieldSize; ++y) {
        for (int x = 0; x < kMapFieldSize; ++x) {
            char digits[4];
            auto end = std::to_chars(digits, digits + sizeof digits, TableMap.Cells[x][y].Code).ptr;
            listing.append(digits, end);
            listing += ',';
        }
        listing += "\r\n";
    }
    return listing;
}

}  // namespace tamblor
