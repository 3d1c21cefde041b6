// How much one archive may make the loader build. Tables in an FFB file may share data (two
// objects naming the same position list, a thousand weight lists naming the same entries), so
// a small crafted file could ask for far more records, or far more work, than it holds bytes.
// Every decoder charges what it builds; real archives stay far below the limit.
#pragma once

#include <cstdint>
#include <string>

#include "formats/load_error.h"

namespace vertigon {

class DecodeBudget {
public:
    static constexpr uint64_t kDefaultBytes = uint64_t{1} << 30;

    explicit DecodeBudget(uint64_t bytes = kDefaultBytes) : remaining_(bytes) {}

    // Charges `count` records of `bytesEach`; throws FormatError once the budget is spent.
    void Take(uint64_t count, uint64_t bytesEach, const char* what) {
        if (bytesEach != 0 && count > remaining_ / bytesEach) {
            throw FormatError(std::string("the file asks for too many ") + what);
        }
        remaining_ -= count * bytesEach;
    }

    uint64_t remaining() const { return remaining_; }

private:
    uint64_t remaining_;
};

}  // namespace vertigon
