#include "results/text_forms.h"

#include <cmath>

namespace calderwynfell {

namespace {

// Digits by hand rather than swprintf, whose formatting code would be most of
// the size of these texts in the exe: at least minDigits, zeros in front.
void appendDecimal(std::wstring& text, std::uint64_t value, int minDigits = 1) {
    wchar_t digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (minDigits > count) text.append(static_cast<std::size_t>(minDigits - count), L'0');
    while (count > 0) text += digits[--count];
}

}  // namespace

std::wstring addressText(std::uint32_t address) {
    std::wstring text;
    text.reserve(15);
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24) text += L'.';
        appendDecimal(text, (address >> shift) & 0xFFu);
    }
    return text;
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
    std::wstring text;
    appendDecimal(text, value);
    return text;
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
    // "%04u-%02u-%02u %02u:%02u:%02u"
    const struct {
        wchar_t before;
        std::uint16_t value;
    } fields[] = {{0, time.wYear},   {L'-', time.wMonth},  {L'-', time.wDay},
                  {L' ', time.wHour}, {L':', time.wMinute}, {L':', time.wSecond}};
    std::wstring text;
    for (const auto& field : fields) {
        if (field.before) text += field.before;
        appendDecimal(text, field.value, field.before ? 2 : 4);
    }
    return text;
}

std::wstring elapsedSecondsText(std::uint64_t elapsedMs) {
    // "%.1f s" of elapsedMs / 1000.0: the double's exact value is m * 2^-shift,
    // and tenths are rounded from it to nearest, ties to even, as printf does.
    const double seconds = static_cast<double>(elapsedMs) / 1000.0;
    int exponent = 0;
    const double fraction = std::frexp(seconds, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - exponent;  // 62 at most (1 ms); -1 at the least (2^64 ms)
    std::uint64_t tenths = 0;
    if (shift <= 0) {
        tenths = (mantissa << -shift) * 10;
    } else {
        const std::uint64_t scaled = mantissa * 10;
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        const std::uint64_t rest = scaled & ((half << 1) - 1);
        tenths = scaled >> shift;
        if (rest > half || (rest == half && tenths % 2 == 1)) ++tenths;
    }
    std::wstring text;
    appendDecimal(text, tenths / 10);
    text += L'.';
    appendDecimal(text, tenths % 10);
    text += L" s";
    return text;
}

}  // namespace calderwynfell
