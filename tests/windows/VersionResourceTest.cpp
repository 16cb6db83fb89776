// The built DLL's version information, read as Explorer's Properties and installers read it
// (version.dll): file and product version from the project's version, and the names.
#include "OrvVersion.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace
{
std::wstring wide(const char* text)
{
    return std::wstring(text, text + std::strlen(text));
}

std::wstring stringValue(const std::vector<unsigned char>& info, const std::wstring& block,
                         const wchar_t* name)
{
    const std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return L"<none>";
    const auto* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, wcsnlen(text, length));
}
} // namespace

TEST(VersionResource, TheDllCarriesTheProjectVersionAndItsNames)
{
    // The tests run beside the DLL.
    const std::wstring file = wide(ORV_PLUGIN_FILE_NAME);
    const wchar_t* dll = file.c_str();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(dll, &ignored);
    ASSERT_GT(size, 0u) << "no version information in the DLL";
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll, 0, size, info.data()));

    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(ORV_VERSION_TEXT, "%u.%u.%u", &major, &minor, &patch), 3);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD ms = MAKELONG(minor, major), ls = MAKELONG(0, patch);
    EXPECT_EQ(fixed->dwFileVersionMS, ms);
    EXPECT_EQ(fixed->dwFileVersionLS, ls);
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    // The texts, in the language the translation table names.
    struct Translation
    {
        WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    wchar_t block[9];
    swprintf(block, 9, L"%04x%04x", translation->language, translation->codePage);

    const std::wstring version = wide(ORV_VERSION_TEXT ".0");
    EXPECT_EQ(stringValue(info, block, L"FileVersion"), version);
    EXPECT_EQ(stringValue(info, block, L"ProductVersion"), version);
    EXPECT_EQ(stringValue(info, block, L"ProductName"), L"Orv Sympharon");
    EXPECT_EQ(stringValue(info, block, L"CompanyName"), L"Orvatone");
    EXPECT_EQ(stringValue(info, block, L"OriginalFilename"), L"OrvSympharon.dll");
    EXPECT_NE(stringValue(info, block, L"FileDescription").find(L"Orv Sympharon"),
              std::wstring::npos);
    EXPECT_NE(stringValue(info, block, L"LegalCopyright").find(L"the Orv Sympharon developers"),
              std::wstring::npos);
}
