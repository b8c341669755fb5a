#include "core/ipv4.h"

namespace calderwynfell {

namespace {

constexpr std::wstring_view kBlanks = L" \t\r\n";

std::wstring_view trimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool isAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads one octet at pos: 1 to 3 ASCII digits, value at most 255.
bool readOctet(std::wstring_view text, std::size_t& pos, std::uint32_t& value) {
    value = 0;
    int digits = 0;
    while (pos < text.size() && isAsciiDigit(text[pos])) {
        value = value * 10 + static_cast<std::uint32_t>(text[pos] - L'0');
        ++digits;
        ++pos;
        if (digits > 3 || value > 255) return false;
    }
    return digits > 0;
}

}  // namespace

bool parseIpv4(const std::wstring& text, std::uint32_t& address) {
    const std::wstring_view trimmed = trimBlanks(text);
    if (trimmed.empty()) return false;

    std::uint32_t value = 0;
    std::size_t pos = 0;
    for (int group = 0; group < 4; ++group) {
        std::uint32_t octet = 0;
        if (!readOctet(trimmed, pos, octet)) return false;
        value = (value << 8) | octet;
        if (group < 3) {
            if (pos >= trimmed.size() || trimmed[pos] != L'.') return false;
            ++pos;
        }
    }
    if (pos != trimmed.size()) return false;
    address = value;
    return true;
}

bool expandRange(const std::wstring& startText, const std::wstring& endText,
                 std::vector<std::uint32_t>& addresses, std::wstring& message) {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    if (!parseIpv4(startText, start) || !parseIpv4(endText, end)) {
        message = kRangeMalformedMessage;
        return false;
    }
    if (start > end) {
        message = kRangeReversedMessage;
        return false;
    }
    const std::uint64_t count = std::uint64_t{end} - start + 1;
    if (count > kMaxScanAddresses) {
        message = kRangeTooLargeMessage;
        return false;
    }
    addresses.clear();
    addresses.reserve(static_cast<std::size_t>(count));
    // 64-bit counter so that an end of 255.255.255.255 terminates.
    for (std::uint64_t a = start; a <= end; ++a) addresses.push_back(static_cast<std::uint32_t>(a));
    message.clear();
    return true;
}

}  // namespace calderwynfell
