// The System32 loader: real functions are found, missing ones are null, and a
// DLL that exists only beside the test exe is never loaded, although the
// default search would take it from there.

#include "core/system_library.h"

#include <gtest/gtest.h>

#include <string>

namespace calderwynfell {
namespace {

TEST(SystemFunction, FoundOnlyInSystem32) {
    const struct {
        const wchar_t* library;
        const char* name;
        bool found;
    } cases[] = {
        {kIpHelperLibrary, "IcmpCreateFile", true},
        {L"oleacc.dll", "LresultFromObject", true},
        {kIpHelperLibrary, "NoSuchFunction", false},
        {L"calderwynfell_absent.dll", "IcmpCreateFile", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(systemFunction<FARPROC>(c.library, c.name) != nullptr, c.found) << c.name;
}

TEST(SystemFunction, IgnoresADllPlantedBesideTheExe) {
    wchar_t exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring planted = exe;
    planted.erase(planted.find_last_of(L'\\') + 1).append(L"calderwynfell_planted.dll");
    const std::wstring marker = planted + L".loaded";
    ASSERT_TRUE(CopyFileW(CALDERWYNFELL_PLANTED_MARKER, planted.c_str(), FALSE));
    DeleteFileW(marker.c_str());

    EXPECT_EQ(systemFunction<FARPROC>(L"calderwynfell_planted.dll", "plantedMarkerMain"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"calderwynfell_planted.dll"), nullptr);
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);

    // The control: the default search does take it from the exe's folder.
    const HMODULE taken = LoadLibraryW(L"calderwynfell_planted.dll");
    EXPECT_NE(taken, nullptr);
    EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    if (taken) FreeLibrary(taken);
    DeleteFileW(marker.c_str());
    DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace calderwynfell
