#include "ee/output.h"

namespace vertigon {

void FileOutputSink::Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
}

}  // namespace vertigon
