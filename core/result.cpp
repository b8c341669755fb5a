#include "core/result.h"

namespace calderwynfell {

Result makeUntestedResult(std::uint32_t address) {
    Result result;
    result.address = address;
    result.note = kNoteNotChecked;
    return result;
}

}  // namespace calderwynfell
