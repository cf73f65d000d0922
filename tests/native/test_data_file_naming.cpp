// Proposed data file names and the base name kept for the header.
#include "logging/file_naming.h"
#include "test_check.h"

#include <set>
#include <string>
#include <vector>

namespace {

std::string Narrow(const wchar_t* w)
{
    std::string s;
    for (; *w; ++w) s += (char)*w;
    return s;
}

struct Directory {
    std::set<std::string> Files;
    std::vector<std::string> Asked;
};

bool IsTaken(const wchar_t* path, void* context)
{
    Directory* dir = static_cast<Directory*>(context);
    dir->Asked.push_back(Narrow(path));
    return dir->Files.count(Narrow(path)) != 0;
}

const wchar_t* Prefix = L"Storage\\DATAQOR61MK2\\";

void TestProposal()
{
    wchar_t name[260];
    Directory dir;
    CHECK_EQ(ProposeDataFileName(name, 260, Prefix, L"120408", L".P61", IsTaken, &dir), L'A');
    CHECK_STR(Narrow(name), "120408A");
    CHECK_EQ(dir.Asked.size(), 1u);
    CHECK_STR(dir.Asked[0], "Storage\\DATAQOR61MK2\\120408A.P61");

    // A taken: B, asked in letter order.
    dir = {{"Storage\\DATAQOR61MK2\\120408A.P61", "Storage\\DATAQOR61MK2\\120408C.P61"}, {}};
    CHECK_EQ(ProposeDataFileName(name, 260, Prefix, L"120408", L".P61", IsTaken, &dir), L'B');
    CHECK_EQ(dir.Asked.size(), 2u);

    // A GPS-only file of the same hour does not take the letter.
    dir = {{"Storage\\DATAQOR61MK2\\120408A.P61"}, {}};
    CHECK_EQ(ProposeDataFileName(name, 260, Prefix, L"120408", L".GXY", IsTaken, &dir), L'A');

    // All 26 taken: the whole path of the Z candidate.
    dir = Directory();
    for (char c = 'A'; c <= 'Z'; ++c)
        dir.Files.insert(std::string("Storage\\DATAQOR61MK2\\120408") + c + ".P61");
    CHECK_EQ(ProposeDataFileName(name, 260, Prefix, L"120408", L".P61", IsTaken, &dir), 0);
    CHECK_STR(Narrow(name), "Storage\\DATAQOR61MK2\\120408Z.P61");
    CHECK_EQ(dir.Asked.size(), 26u);

    // A short buffer is cut, never overrun.
    wchar_t tiny[8] = {};
    tiny[7] = L'#';
    ProposeDataFileName(tiny, 7, Prefix, L"120408", L".P61", IsTaken, &dir);
    CHECK_STR(Narrow(tiny), "Storag");
    CHECK_EQ(tiny[7], L'#');
}

// Folders and extension dropped (also with dots in folder names); each
// wide character keeps its low byte; a short buffer is cut.
void TestBaseName()
{
    const struct {
        const wchar_t* Path;
        size_t Size;
        const char* Base;
    } cases[] = {
        {L"Z:\\root\\Storage\\DATAQOR61MK2\\a.b.P61", 261, "a"},
        {L"C:\\dir.v2\\120408A.P61", 261, "120408A"},
        {L"C:/unix/style/SITE7", 261, "SITE7"},
        {L"noslash.GXY", 261, "noslash"},
        {L"C:\\dir\\.P61", 261, ""},
        {L"\\x\\\x0141\x00E9z.P61", 261, "A\xE9z"},
        {L"\\LONGFILENAME.P61", 5, "LONG"},
    };
    for (const auto& c : cases) {
        char base[261];
        ExtractBaseName(c.Path, base, c.Size);
        CHECK_STR(base, c.Base);
    }
}

void TestExtensionCase()
{
    wchar_t path[64] = L"Z:\\r\\SITE7.p61";
    MatchExtensionCase(path, L".P61");
    CHECK_STR(Narrow(path), "Z:\\r\\SITE7.P61");
    wchar_t other[64] = L"Z:\\r\\SITE7.txt";
    MatchExtensionCase(other, L".P61");
    CHECK_STR(Narrow(other), "Z:\\r\\SITE7.txt");
    wchar_t bare[64] = L"p61";
    MatchExtensionCase(bare, L".P61");
    CHECK_STR(Narrow(bare), "p61");
}

} // namespace

int main()
{
    TestProposal();
    TestBaseName();
    TestExtensionCase();
    return TestSummary("test_data_file_naming");
}
