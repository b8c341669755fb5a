#pragma once
// The one door to Windows for portable code: SYSTEMTIME and UTF-8 conversion.
// On Windows these are the real platform types; elsewhere equivalents with the
// same names and layout, so the portable code builds and tests natively.

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
struct SYSTEMTIME {
    std::uint16_t wYear;
    std::uint16_t wMonth;
    std::uint16_t wDayOfWeek;
    std::uint16_t wDay;
    std::uint16_t wHour;
    std::uint16_t wMinute;
    std::uint16_t wSecond;
    std::uint16_t wMilliseconds;
};
#endif

namespace calderwynfell {

// UTF-16 text (wchar_t units on Windows; code points on other systems) to UTF-8 bytes.
// On Windows this is WideCharToMultiByte(CP_UTF8) without flags.
std::string toUtf8(const std::wstring& text);

}  // namespace calderwynfell
