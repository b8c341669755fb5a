#include "results/csv_document.h"

#include <algorithm>
#include <vector>

#include "results/text_forms.h"

namespace calderwynfell {

namespace {

// Leading characters a spreadsheet would read as a formula.
constexpr std::wstring_view kFormulaStarters{L"=+-@\t\r", 6};

std::wstring csvLatency(const Result& result) {
    return result.status == ProbeStatus::Online ? decimalText(result.latencyMs) : std::wstring{};
}

void appendLine(std::wstring& text, const Result& result) {
    const std::wstring fields[] = {
        addressText(result.address),  statusWord(result.status),       csvLatency(result),
        decimalText(result.attempts), checkTimeText(result.checkedAt), result.note,
    };
    bool first = true;
    for (const auto& field : fields) {
        if (!first) text += L',';
        first = false;
        text += quoteCsvField(field);
    }
    text += L"\r\n";
}

}  // namespace

std::wstring quoteCsvField(const std::wstring& field) {
    std::wstring out;
    out.reserve(field.size() + 4);
    out += L'"';
    if (!field.empty() && kFormulaStarters.find(field.front()) != std::wstring_view::npos) out += L'\'';
    for (wchar_t unit : field) {
        out += unit;
        if (unit == L'"') out += L'"';
    }
    out += L'"';
    return out;
}

std::string buildCsvDocument(std::span<const Result> results) {
    // Ordered through pointers: the records, notes included, are neither copied nor moved.
    std::vector<const Result*> ordered;
    ordered.reserve(results.size());
    for (const Result& result : results) ordered.push_back(&result);
    std::sort(ordered.begin(), ordered.end(),
              [](const Result* a, const Result* b) { return a->address < b->address; });

    std::wstring text = kCsvHeader;
    for (const Result* result : ordered) appendLine(text, *result);

    return "\xEF\xBB\xBF" + toUtf8(text);
}

}  // namespace calderwynfell
