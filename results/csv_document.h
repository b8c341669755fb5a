#pragma once
// The bytes of an exported CSV file: UTF-8 with BOM, fixed header, one quoted
// and formula-guarded line per result in address order.

#include <span>
#include <string>

#include "core/result.h"

namespace calderwynfell {

inline constexpr wchar_t kCsvHeader[] = L"IP 地址,状态,延迟(ms),尝试次数,检测时间,说明\r\n";

std::wstring quoteCsvField(const std::wstring& field);
std::string buildCsvDocument(std::span<const Result> results);

}  // namespace calderwynfell
