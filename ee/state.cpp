#include "ee/state.h"

#include <new>


namespace vertigon {
namespace {

// calloc hands out zero-filled pages lazily, so a fresh 32 MiB memory costs little until used.
HostBlock AllocateZeroed(size_t size) {
    auto* block = static_cast<uint8_t*>(std::calloc(size, 1));
    if (!block) throw std::bad_alloc();
    return HostBlock(block);
}

}  // namespace

EeState::EeState(EeOutputSink& sink) : output(&sink) { ResetMemory(); }

EeState::EeState() : output(nullptr) {
    // Pointed at only once every member, the sink among them, is constructed.
    output = &standardOutput_;
    ResetMemory();
}

void EeState::ResetMemory() {
    mainBlock_ = AllocateZeroed(size_t{kMainMemorySize} + kBlockSlack);
    scratchBlock_ = AllocateZeroed(size_t{kScratchpadSize} + kBlockSlack);
    mainBase = mainBlock_.get();
    scratchBase = scratchBlock_.get();
}

}  // namespace vertigon
