#include "results/accessible_text.h"

#include "results/text_forms.h"

namespace calderwynfell {

namespace {
constexpr wchar_t kSeparator[] = L" \u00B7 ";
}

std::wstring cellAccessibleName(const Result& entry) {
    std::wstring name = addressText(entry.address) + L" " + statusWord(entry.status);
    if (entry.status == ProbeStatus::Online) name += L" " + latencyText(entry);
    return name;
}

StatusCounts countStatuses(const std::vector<Result>& results) {
    StatusCounts counts;
    for (const Result& entry : results) {
        if (entry.status == ProbeStatus::Online) ++counts.online;
        if (entry.status == ProbeStatus::NoResponse) ++counts.noResponse;
        if (entry.status == ProbeStatus::Error) ++counts.error;
    }
    return counts;
}

std::wstring progressPercentText(std::uint64_t done, std::uint64_t total) {
    const std::uint64_t percent = total == 0 ? 0 : done * 100 / total;
    return decimalText(percent) + L"%";
}

std::wstring scanEndAnnouncement(const std::wstring& statusText, const StatusCounts& counts,
                                 const std::wstring& message) {
    std::wstring text = statusText;
    text += kSeparator + std::wstring(L"在线 ") + decimalText(static_cast<std::int32_t>(counts.online));
    text += kSeparator + std::wstring(L"无响应 ") + decimalText(static_cast<std::int32_t>(counts.noResponse));
    text += kSeparator + std::wstring(L"错误 ") + decimalText(static_cast<std::int32_t>(counts.error));
    if (!message.empty()) text += kSeparator + message;
    return text;
}

}  // namespace calderwynfell
