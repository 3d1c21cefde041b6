// The MSET animation list of an MDLS model: every block handed out lies inside the file, in
// order, or the file is refused.
#include <cstdint>
#include <cstdlib>

#include "formats/mdls/mset_reader.h"

using namespace vertigon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteReader file({data, size});
    try {
        uint64_t previousEnd = 0;
        for (const mdls::AnimationBlock& block : mdls::ReadAnimationBlocks(file)) {
            if (block.offset < previousEnd || !file.Contains(block.offset, block.size)) std::abort();
            previousEnd = block.offset;
        }
    } catch (const FormatError&) {
    }
    return 0;
}
