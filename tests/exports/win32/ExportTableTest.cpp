// The DLL's export table as a program that loads it sees it: a 32-bit i386
// DLL (a PE32+ x86-64 one in the 64-bit test build) exporting exactly the
// documented functions (the 149 classic ones and the extension interface's)
// under plain names, aliases sharing one body, and
// importing nothing but Windows system DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "DefFile.h"
#include "DefFileText.h"
#include "ExpectedExports.h"
#include "PeImage.h"

namespace nodrix::test {
namespace {

constexpr char kDllName[] = "NodrixSdk_T520_USB3.dll";
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kFileExecutable = 0x0002;
constexpr uint16_t kFile32BitMachine = 0x0100;
constexpr uint16_t kFileDll = 0x2000;

// The DLL is built beside the test program; NODRIX_EXPORTS_DLL names
// another one.
std::string DllPath() {
    if (const char* path = std::getenv("NODRIX_EXPORTS_DLL"); path && *path) {
        return path;
    }
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string dir(module, length);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1);
    return dir + kDllName;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsSystemDll(const std::string& name) {
    static const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll", "setupapi.dll",
        "winmm.dll",    "comctl32.dll", "msvcrt.dll",  "msvfw32.dll",  "vfw32.dll",
        "ole32.dll",    "comdlg32.dll", "shell32.dll", "ntdll.dll"};
    const std::string lower = Lower(name);
    return system.count(lower) != 0 || lower.rfind("api-ms-win-", 0) == 0;
}

class ExportTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = new std::string(DllPath());
        const std::vector<uint8_t> bytes = ReadWholeFile(*path_);
        std::string error;
        if (auto parsed = ParsePeImage(bytes, error)) {
            image_ = new PeImage(*parsed);
        } else {
            error_ = new std::string(bytes.empty() ? "cannot read " + *path_ : error);
        }
    }
    static void TearDownTestSuite() {
        delete image_;
        delete error_;
        delete path_;
        image_ = nullptr;
        error_ = nullptr;
        path_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(image_, nullptr) << (error_ ? *error_ : std::string()); }

    // Name -> address of the body, from the parsed table.
    static std::map<std::string, uint32_t> AddressByName() {
        std::map<std::string, uint32_t> byName;
        for (const PeExport& e : image_->exports) {
            byName[e.name] = e.rva;
        }
        return byName;
    }

    static std::string* path_;
    static PeImage* image_;
    static std::string* error_;
};

std::string* ExportTable::path_ = nullptr;
PeImage* ExportTable::image_ = nullptr;
std::string* ExportTable::error_ = nullptr;

TEST_F(ExportTable, IsADllForTheBuildsMachine) {
#ifdef _WIN64
    EXPECT_EQ(image_->machine, kMachineAmd64);
    EXPECT_EQ(image_->optionalMagic, 0x020B);
    EXPECT_FALSE(image_->characteristics & kFile32BitMachine);
#else
    EXPECT_EQ(image_->machine, kMachineI386);
    EXPECT_EQ(image_->optionalMagic, 0x010B);
    EXPECT_TRUE(image_->characteristics & kFile32BitMachine);
#endif
    EXPECT_TRUE(image_->characteristics & kFileDll);
    EXPECT_TRUE(image_->characteristics & kFileExecutable);
    EXPECT_EQ(image_->exportDllName, kDllName);
}

TEST_F(ExportTable, ExportsExactlyTheDocumentedNamesUndecorated) {
    std::set<std::string> expected;
    for (const ExpectedExport& e : ExpectedExports()) {
        expected.insert(e.name);
    }
    ASSERT_EQ(expected.size(), 149u);
    // Beside them, exactly the extension interface's functions.
    for (const ExpectedExport& e : ExtensionExports()) {
        EXPECT_EQ(e.name.rfind("NodrixEx_", 0), 0u) << e.name;
        expected.insert(e.name);
    }

    std::set<std::string> actual;
    for (const PeExport& e : image_->exports) {
        EXPECT_TRUE(actual.insert(e.name).second) << "exported twice: " << e.name;
        EXPECT_EQ(e.name.find_first_of("@?"), std::string::npos) << "decorated: " << e.name;
        EXPECT_TRUE(e.name.rfind("Nodrix_", 0) == 0 || e.name.rfind("NodrixEx_", 0) == 0)
            << "foreign export: " << e.name;
        EXPECT_FALSE(e.forwarded) << "forwarded: " << e.name;
    }
    for (const std::string& name : expected) {
        EXPECT_TRUE(actual.count(name)) << "missing export: " << name;
    }
    for (const std::string& name : actual) {
        EXPECT_TRUE(expected.count(name)) << "unexpected export: " << name;
    }
    EXPECT_EQ(image_->exports.size(), 149u + ExtensionExports().size());
}

TEST_F(ExportTable, NameTableIsSortedForTheLoadersBinarySearch) {
    for (size_t i = 1; i < image_->exports.size(); ++i) {
        EXPECT_LT(image_->exports[i - 1].name, image_->exports[i].name);
    }
}

TEST_F(ExportTable, EveryAddressHasANameAndLiesInTheImage) {
    std::set<uint32_t> named;
    for (const PeExport& e : image_->exports) {
        EXPECT_NE(e.rva, 0u) << e.name;
        named.insert(e.rva);
    }
    for (size_t i = 0; i < image_->exportAddresses.size(); ++i) {
        const uint32_t rva = image_->exportAddresses[i];
        EXPECT_TRUE(rva == 0 || named.count(rva)) << "export by ordinal only at index " << i;
    }
}

TEST_F(ExportTable, AliasesShareTheirBodyAndNothingElseDoes) {
    const auto byName = AddressByName();
    std::map<uint32_t, std::string> owner;  // body address -> export with its own body
    for (const ExpectedExport& e : AllExports()) {
        if (!e.bodyOf.empty() || !byName.count(e.name)) {
            continue;
        }
        const uint32_t rva = byName.at(e.name);
        const auto [it, fresh] = owner.emplace(rva, e.name);
        EXPECT_TRUE(fresh) << e.name << " shares the body of " << it->second;
    }
    for (const ExpectedExport& e : AllExports()) {
        if (e.bodyOf.empty() || !byName.count(e.name) || !byName.count(e.bodyOf)) {
            continue;
        }
        EXPECT_EQ(byName.at(e.name), byName.at(e.bodyOf))
            << e.name << " should share the body of " << e.bodyOf;
    }
}

TEST_F(ExportTable, DefFileListsTheSameExportsAndAliases) {
    const std::vector<DefExport> def = ParseDefExports(kDefFileText);
    std::map<std::string, std::string> fromDef;
    for (const DefExport& e : def) {
        EXPECT_TRUE(fromDef.emplace(e.name, e.target).second) << "listed twice: " << e.name;
    }
    std::map<std::string, std::string> expected;
    for (const ExpectedExport& e : AllExports()) {
        expected.emplace(e.name, e.bodyOf);
    }
    EXPECT_EQ(fromDef, expected);
}

TEST_F(ExportTable, ImportsOnlyWindowsSystemDlls) {
    EXPECT_FALSE(image_->imports.empty());
    for (const std::string& dll : image_->imports) {
        EXPECT_TRUE(IsSystemDll(dll)) << "imports " << dll;
    }
    for (const std::string& dll : image_->delayImports) {
        EXPECT_TRUE(IsSystemDll(dll)) << "delay-loads " << dll;
    }
}

// The loader must agree with the table read from the file: every name
// resolves, at the address the table gives.
TEST_F(ExportTable, LoaderResolvesEveryExportAtTheTablesAddress) {
    HMODULE dll = LoadLibraryA(path_->c_str());
    ASSERT_NE(dll, nullptr) << "cannot load " << *path_ << ", error " << GetLastError();
    const auto base = reinterpret_cast<uintptr_t>(dll);
    const auto byName = AddressByName();
    for (const ExpectedExport& e : AllExports()) {
        const FARPROC proc = GetProcAddress(dll, e.name.c_str());
        EXPECT_NE(proc, nullptr) << e.name;
        if (proc && byName.count(e.name)) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(proc) - base, byName.at(e.name)) << e.name;
        }
    }
    FreeLibrary(dll);
}

}  // namespace
}  // namespace nodrix::test
