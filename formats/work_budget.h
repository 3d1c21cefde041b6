// How much one load may make its loader build. Tables in these files may share data (two
// objects naming the same position list, a thousand weight lists naming the same entries, Lods
// naming the same packets), so a small crafted file could ask for far more records, or far more
// work, than it holds bytes. Every loader follows one rule: a budget made from the file's size,
// charged by every decoder with what it builds. Real files stay far below it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "formats/load_error.h"

namespace vertigon {

class WorkBudget {
public:
    static constexpr uint64_t kBytesPerFileByte = 64;
    static constexpr uint64_t kBaseBytes = uint64_t{16} << 20;
    static constexpr uint64_t kMaxBytes = uint64_t{1} << 30;

    // The rule: kBytesPerFileByte bytes of records for every byte of the file, plus kBaseBytes,
    // and never more than `maxBytes`.
    static WorkBudget ForFile(uint64_t fileBytes, uint64_t maxBytes = kMaxBytes) {
        const uint64_t perFile = fileBytes > (kMaxBytes / kBytesPerFileByte) ? kMaxBytes : fileBytes * kBytesPerFileByte;
        return WorkBudget(std::min(maxBytes, std::min(kMaxBytes, perFile + kBaseBytes)));
    }

    explicit WorkBudget(uint64_t bytes) : remaining_(bytes) {}

    // Charges `count` records of `bytesEach`; throws FormatError once the budget is spent.
    void Take(uint64_t count, uint64_t bytesEach, const char* what) {
        if (bytesEach != 0 && count > remaining_ / bytesEach) {
            Refuse(std::string("the file asks for too many ") + what);
        }
        remaining_ -= count * bytesEach;
    }

    uint64_t remaining() const { return remaining_; }

private:
    uint64_t remaining_;
};

}  // namespace vertigon
