#include "results/text_forms.h"

#include <cwchar>

namespace calderwynfell {

std::wstring addressText(std::uint32_t address) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                  (address >> 8) & 0xFFu, address & 0xFFu);
    return buffer;
}

std::wstring statusWord(ProbeStatus status) {
    switch (status) {
        case ProbeStatus::Online: return L"在线";
        case ProbeStatus::NoResponse: return L"无响应";
        case ProbeStatus::Error: return L"检测错误";
        default: return L"未检测";
    }
}

std::wstring latencyText(const Result& result) {
    if (result.status != ProbeStatus::Online) return L"\u2014";
    if (result.latencyMs == 0) return L"<1 ms";
    return decimalText(result.latencyMs) + L" ms";
}

std::wstring decimalText(std::uint64_t value) {
    wchar_t buffer[24];
    wchar_t* cursor = buffer + 24;
    *--cursor = L'\0';
    do {
        *--cursor = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return cursor;
}

std::wstring decimalText(std::uint32_t value) { return decimalText(std::uint64_t{value}); }

std::wstring decimalText(std::int32_t value) {
    // The magnitude is taken as unsigned so that INT32_MIN comes out right.
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    return value < 0 ? L"-" + decimalText(magnitude) : decimalText(magnitude);
}

std::wstring checkTimeText(const SYSTEMTIME& time) {
    if (time.wYear == 0) return {};
    wchar_t buffer[40];
    std::swprintf(buffer, 40, L"%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.wYear},
                  unsigned{time.wMonth}, unsigned{time.wDay}, unsigned{time.wHour},
                  unsigned{time.wMinute}, unsigned{time.wSecond});
    return buffer;
}

}  // namespace calderwynfell
