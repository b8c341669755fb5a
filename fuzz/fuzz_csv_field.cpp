// quoteCsvField read back the way a CSV reader reads one quoted field, and the
// same field as the note of a one-line document.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform.h"
#include "fuzz/fuzz_input.h"
#include "results/csv_document.h"

using namespace calderwynfell;

namespace {

// One field as RFC 4180 reads it: outer quotes, "" inside stands for one quote,
// a lone quote inside is malformed.
bool readQuotedField(const std::wstring& quoted, std::wstring& field) {
    if (quoted.size() < 2 || quoted.front() != L'"' || quoted.back() != L'"') return false;
    field.clear();
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == L'"') {
            if (i + 2 >= quoted.size() || quoted[i + 1] != L'"') return false;
            ++i;
        }
        field.push_back(quoted[i]);
    }
    return true;
}

std::wstring guarded(const std::wstring& text) {
    const std::wstring starters = L"=+-@\t\r";
    if (!text.empty() && starters.find(text.front()) != std::wstring::npos) return L"'" + text;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = fuzz::wideText(data, size);
    const std::wstring quoted = quoteCsvField(text);
    std::wstring readBack;
    CHECK(readQuotedField(quoted, readBack));
    CHECK(readBack == guarded(text));

    Result record = makeUntestedResult(0x7F000001u);
    record.note = text;
    const Result records[] = {record};
    const std::string expected =
        "\xEF\xBB\xBF" +
        toUtf8(std::wstring(kCsvHeader) + L"\"127.0.0.1\",\"未检测\",\"\",\"0\",\"\"," + quoted + L"\r\n");
    CHECK(buildCsvDocument(records) == expected);
    return 0;
}
