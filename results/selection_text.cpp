#include "results/selection_text.h"

#include "results/text_forms.h"

namespace calderwynfell {

namespace {
constexpr wchar_t kSeparator[] = L" \u00B7 ";
}

std::wstring describeSelection(const Result& entry) {
    std::wstring text = addressText(entry.address);
    text += kSeparator;
    text += statusWord(entry.status);
    text += kSeparator;
    text += latencyText(entry);
    text += kSeparator;
    text += entry.note;
    return text;
}

std::wstring copiedText(std::uint32_t address) {
    return L"已复制 " + addressText(address);
}

}  // namespace calderwynfell
