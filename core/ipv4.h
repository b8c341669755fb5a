#pragma once
// IPv4 text (strictly four decimal octets) and scan ranges.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace calderwynfell {

inline constexpr std::size_t kMaxScanAddresses = 4096;

inline constexpr wchar_t kRangeMalformedMessage[] = L"请输入完整的 IPv4 地址，每一段为 0 到 255。";
inline constexpr wchar_t kRangeReversedMessage[] = L"结束 IP 不能小于起始 IP。";
inline constexpr wchar_t kRangeTooLargeMessage[] = L"一次最多扫描 4096 个地址，请缩小范围。";

// True and the host-order address when text is four decimal octets, blanks
// (space, tab, CR, LF) allowed around it.
bool parseIpv4(const std::wstring& text, std::uint32_t& address);

// Every address from start to end, ascending. On failure the list is left as it
// was and message holds the reason; on success message is emptied.
bool expandRange(const std::wstring& startText, const std::wstring& endText,
                 std::vector<std::uint32_t>& addresses, std::wstring& message);

// Host order to the order of an in_addr on x86 and ARM Windows (first octet in
// the lowest byte), and back: the swap is its own inverse. Spares the program
// loading ws2_32 for two calls.
constexpr std::uint32_t swapNetworkOrder(std::uint32_t address) {
    return (address >> 24) | ((address >> 8) & 0xFF00u) | ((address << 8) & 0xFF0000u) | (address << 24);
}

}  // namespace calderwynfell
