#include "ee/output.h"

namespace vertigon {
namespace {

EeOutputSink* defaultSink = nullptr;

}  // namespace

void FileOutputSink::Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

EeOutputSink& StandardOutputSink() {
    static FileOutputSink sink(stdout);
    return sink;
}

EeOutputSink& StandardErrorSink() {
    static FileOutputSink sink(stderr);
    return sink;
}

EeOutputSink& DefaultEeOutput() { return defaultSink ? *defaultSink : StandardOutputSink(); }

void SetDefaultEeOutput(EeOutputSink& sink) { defaultSink = &sink; }

}  // namespace vertigon
