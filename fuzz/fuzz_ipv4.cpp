// parseIpv4 against a plain reference reading, and expandRange's promises.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ipv4.h"
#include "fuzz/fuzz_input.h"
#include "results/text_forms.h"

using namespace calderwynfell;

namespace {

// Written differently on purpose: trim, split on dots, judge each part.
bool referenceParse(const std::wstring& text, std::uint32_t& address) {
    const std::wstring blanks = L" \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return false;
    const auto last = text.find_last_not_of(blanks);
    const std::wstring body = text.substr(first, last - first + 1);

    std::vector<std::wstring> parts(1);
    for (wchar_t c : body) {
        if (c == L'.') {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    if (parts.size() != 4) return false;
    std::uint32_t value = 0;
    for (const auto& part : parts) {
        if (part.empty() || part.size() > 3) return false;
        std::uint32_t octet = 0;
        for (wchar_t c : part) {
            if (c < L'0' || c > L'9') return false;
            octet = octet * 10 + static_cast<std::uint32_t>(c - L'0');
        }
        if (octet > 255) return false;
        value = value << 8 | octet;
    }
    address = value;
    return true;
}

void checkParse(const std::wstring& text) {
    std::uint32_t parsed = 0;
    std::uint32_t expected = 0;
    const bool ok = parseIpv4(text, parsed);
    CHECK(ok == referenceParse(text, expected));
    if (!ok) return;
    CHECK(parsed == expected);
    std::uint32_t again = 0;
    CHECK(parseIpv4(addressText(parsed), again));
    CHECK(again == parsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring input = fuzz::wideText(data, size);
    const auto bar = input.find(L'|');
    const std::wstring startText = input.substr(0, bar);
    const std::wstring endText = bar == std::wstring::npos ? input : input.substr(bar + 1);
    checkParse(startText);
    checkParse(endText);

    const std::vector<std::uint32_t> sentinel = {1, 2, 3};
    std::vector<std::uint32_t> list = sentinel;
    std::wstring message = L"old";
    const bool ok = expandRange(startText, endText, list, message);

    std::uint32_t start = 0;
    std::uint32_t end = 0;
    const bool wellFormed = referenceParse(startText, start) && referenceParse(endText, end);
    if (!ok) {
        CHECK(list == sentinel);
        if (!wellFormed) {
            CHECK(message == kRangeMalformedMessage);
        } else if (start > end) {
            CHECK(message == kRangeReversedMessage);
        } else {
            CHECK(std::uint64_t{end} - start + 1 > kMaxScanAddresses);
            CHECK(message == kRangeTooLargeMessage);
        }
        return 0;
    }
    CHECK(wellFormed && start <= end);
    CHECK(message.empty());
    CHECK(!list.empty() && list.size() <= kMaxScanAddresses);
    CHECK(list.front() == start && list.back() == end);
    for (std::size_t i = 1; i < list.size(); ++i) CHECK(list[i] == list[i - 1] + 1);
    return 0;
}
