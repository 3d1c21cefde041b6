// Where the emulator's messages go: fault messages, "SYSCALL[%d]\n", "PRINT!\n" and the
// characters the emulated code writes to its debug output register. The viewer keeps standard
// output; vertigon-cli sends them to standard error because its standard output carries JSON.
#pragma once

#include <cstdio>
#include <string_view>

namespace vertigon {

class EeOutputSink {
public:
    virtual ~EeOutputSink() = default;
    virtual void Write(std::string_view text) = 0;
};

// Writes to a C stream and flushes it, so that messages interleave with the host's own output.
class FileOutputSink final : public EeOutputSink {
public:
    explicit FileOutputSink(std::FILE* file) : file_(file) {}
    void Write(std::string_view text) override;

private:
    std::FILE* file_;
};

}  // namespace vertigon
