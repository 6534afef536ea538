// Every function vireo.exe imports, at start-up or delay-loaded, must be on
// the list of functions that both Windows 95 and Windows NT 4.0 export
// (win95_nt4_exports.txt): their loaders refuse a program that imports
// anything else before any of its code runs, and a delay-loaded import fails
// at its first call. The NT 4.0 loader also refuses a subsystem above 4.0.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const uint32_t IMPORT_DIRECTORY = 1;
const uint32_t DELAY_IMPORT_DIRECTORY = 13;

using Import = std::pair<std::string, std::string>;  // dll in lower case, function

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A 32-bit image as it lies in the file, read the way its loader reads it.
struct Image {
    std::string data;
    uint32_t imageBase = 0;
    uint16_t subsystemMajor = 0;
    uint16_t subsystemMinor = 0;
    std::vector<std::pair<uint32_t, uint32_t>> directories;  // address, size
    struct Section {
        uint32_t address, rawSize, rawOffset;
    };
    std::vector<Section> sections;

    uint32_t U32(size_t at) const
    {
        uint32_t value = 0;
        if (at + 4 <= data.size())
            std::memcpy(&value, data.data() + at, 4);
        return value;
    }
    uint16_t U16(size_t at) const
    {
        uint16_t value = 0;
        if (at + 2 <= data.size())
            std::memcpy(&value, data.data() + at, 2);
        return value;
    }

    // Where in the file an address lies; false when in no section's data.
    bool Offset(uint32_t rva, size_t* at) const
    {
        for (const Section& section : sections)
            if (rva >= section.address && rva - section.address < section.rawSize) {
                *at = section.rawOffset + (rva - section.address);
                return *at < data.size();
            }
        return false;
    }
    std::string Text(uint32_t rva) const
    {
        size_t at = 0;
        if (!Offset(rva, &at))
            return std::string();
        return std::string(data.c_str() + at, strnlen(data.c_str() + at, data.size() - at));
    }
    std::pair<uint32_t, uint32_t> Directory(uint32_t index) const
    {
        return index < directories.size() ? directories[index] : std::make_pair(0u, 0u);
    }

    // The names a thunk table lists; ordinals as "#n".
    std::vector<std::string> ThunkNames(uint32_t rva) const
    {
        std::vector<std::string> names;
        for (size_t at = 0; Offset(rva, &at); rva += 4) {
            uint32_t entry = U32(at);
            if (entry == 0)
                break;
            names.push_back((entry & 0x80000000u) != 0 ? "#" + std::to_string(entry & 0xFFFF) : Text(entry + 2));
        }
        return names;
    }

    std::vector<Import> Imports() const
    {
        std::vector<Import> found;
        auto directory = Directory(IMPORT_DIRECTORY);
        size_t at = 0;
        for (uint32_t rva = directory.first; directory.second != 0 && Offset(rva, &at); rva += 20) {
            uint32_t lookup = U32(at), name = U32(at + 12), first = U32(at + 16);
            if (name == 0)
                break;
            for (const std::string& function : ThunkNames(lookup != 0 ? lookup : first))
                found.emplace_back(Lower(Text(name)), function);
        }
        return found;
    }

    bool NamesADll(uint32_t rva) const
    {
        std::string text = Text(rva);
        if (text.size() < 5 || text.size() > 64 || Lower(text.substr(text.size() - 4)) != ".dll")
            return false;
        for (char c : text)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-'))
                return false;
        return true;
    }

    std::vector<Import> DelayImports() const
    {
        // (attributes, name, names) of every delay-load record.
        std::set<std::vector<uint32_t>> records;
        auto directory = Directory(DELAY_IMPORT_DIRECTORY);
        size_t at = 0;
        for (uint32_t rva = directory.first; directory.second != 0 && Offset(rva, &at); rva += 32) {
            if (U32(at + 4) == 0)
                break;
            records.insert({U32(at), U32(at + 4), U32(at + 16)});
        }
        // GNU ld leaves the directory entry empty for dlltool's delay-load
        // libraries, so the records are also looked for where they lie.
        for (const Section& section : sections)
            for (size_t p = section.rawOffset; p + 32 <= section.rawOffset + section.rawSize; p += 4) {
                uint32_t attributes = U32(p), name = U32(p + 4);
                size_t ignored = 0;
                if (attributes == 1 && NamesADll(name) && Offset(U32(p + 8), &ignored) &&
                    Offset(U32(p + 12), &ignored) && Offset(U32(p + 16), &ignored))
                    records.insert({attributes, name, U32(p + 16)});
            }
        std::vector<Import> found;
        for (const std::vector<uint32_t>& record : records) {
            // The first form of the record holds addresses rather than offsets.
            uint32_t base = (record[0] & 1) != 0 ? 0 : imageBase;
            for (const std::string& function : ThunkNames(record[2] - base))
                found.emplace_back(Lower(Text(record[1] - base)), function);
        }
        return found;
    }
};

bool ReadImage(const std::string& path, Image* image)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    image->data = bytes.str();
    if (image->data.size() < 0x40 || image->data.compare(0, 2, "MZ") != 0)
        return false;
    uint32_t pe = image->U32(0x3C);
    if (image->data.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
        return false;
    uint16_t sectionCount = image->U16(pe + 6);
    uint16_t optionalSize = image->U16(pe + 20);
    size_t optional = pe + 24;
    if (image->U16(optional) != 0x10B)  // the 32-bit form
        return false;
    image->imageBase = image->U32(optional + 28);
    image->subsystemMajor = image->U16(optional + 48);
    image->subsystemMinor = image->U16(optional + 50);
    uint32_t count = image->U32(optional + 92);
    for (uint32_t i = 0; i < count && i < 16; ++i)
        image->directories.emplace_back(image->U32(optional + 96 + 8 * i), image->U32(optional + 100 + 8 * i));
    size_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        size_t at = table + 40 * i;
        image->sections.push_back({image->U32(at + 12), image->U32(at + 16), image->U32(at + 20)});
    }
    return true;
}

// One "dll function" a line; "#" starts a comment.
std::set<Import> ReadAllowed(const std::string& path)
{
    std::set<Import> allowed;
    std::ifstream listing(path);
    for (std::string line; std::getline(listing, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string dll, function, extra;
        if (!(fields >> dll))
            continue;
        EXPECT_TRUE(fields >> function && !(fields >> extra)) << "expected \"dll function\": " << line;
        allowed.emplace(Lower(dll), function);
    }
    return allowed;
}

// Beside this program, or in the folder VIREO_IMAGE_DIR names (the native
// build reads the 32-bit image where no 32-bit Wine can run this test).
std::string BesideThisProgram(const char* name)
{
    const char* folder = std::getenv("VIREO_IMAGE_DIR");
    if (folder != nullptr && *folder != '\0')
        return std::string(folder) + "/" + name;
    std::string self = ::testing::internal::GetArgvs()[0];
    size_t slash = self.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + name;
}

}  // namespace

TEST(Imports, OnlyWhatWindows95AndNt4Export)
{
    Image image;
    ASSERT_TRUE(ReadImage(BesideThisProgram("vireo.exe"), &image)) << "vireo.exe is no 32-bit image";
    std::set<Import> allowed = ReadAllowed(BesideThisProgram("win95_nt4_exports.txt"));
    ASSERT_FALSE(allowed.empty()) << "the list of exports was not found";
    std::vector<Import> delayed = image.DelayImports();
    std::set<Import> imports(delayed.begin(), delayed.end());
    for (const Import& import : image.Imports())
        imports.insert(import);
    std::printf("vireo.exe: %zu imported functions (%zu of them delay-loaded), subsystem version %u.%u\n",
                imports.size(), delayed.size(), image.subsystemMajor, image.subsystemMinor);

    // A reading that found nothing must not pass.
    std::set<std::string> delayedDlls;
    for (const Import& import : delayed)
        delayedDlls.insert(import.first);
    for (const char* dll : {"comdlg32.dll", "msvfw32.dll"})
        EXPECT_EQ(1u, delayedDlls.count(dll)) << "no delay-loaded import from " << dll << " found";
    EXPECT_GT(imports.size(), 50u);

    for (const Import& import : imports)
        EXPECT_EQ(1u, allowed.count(import))
            << import.first << "!" << import.second << " is not known to be exported by both Windows 95 and NT 4.0; "
            << "add it to win95_nt4_exports.txt only after the platform's reference shows that both have it";
    EXPECT_LE(image.subsystemMajor * 100 + image.subsystemMinor, 400) << "NT 4.0 refuses a subsystem above 4.0";
}
