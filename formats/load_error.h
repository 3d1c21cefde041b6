// The one error path of every loader: a load that cannot build a model throws one of these
// with a one-line reason, and the registry turns it into "no model".
#pragma once

#include <concepts>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vertigon {

class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file could not be opened or read.
class FileError : public LoadError {
public:
    using LoadError::LoadError;
};

// The file does not hold what it claims: a read outside it, a count or index out of range.
class FormatError : public LoadError {
public:
    using LoadError::LoadError;
};

// The file is fine but this build cannot turn it into a model.
class UnsupportedError : public LoadError {
public:
    using LoadError::LoadError;
};

// The EE program image MDLS animations run in cannot be used; the message is one line naming
// the file and the reason.
class EeImageError : public LoadError {
public:
    using LoadError::LoadError;
};

inline void AppendReasonPiece(std::string& text, std::string_view piece) { text.append(piece); }
template <std::integral Number>
void AppendReasonPiece(std::string& text, Number number) {
    text.append(std::to_string(number));
}

// Refuses the file being loaded: throws `Error` (a FormatError unless named) whose one-line
// reason is `pieces` joined, texts as they are and whole numbers in decimal:
// Refuse("texture ", index, " names a palette beyond the palette table").
template <typename Error = FormatError, typename... Pieces>
[[noreturn]] void Refuse(const Pieces&... pieces) {
    std::string reason;
    (AppendReasonPiece(reason, pieces), ...);
    throw Error(reason);
}

// The one-line reason for refusing a file of `format`: "<format>: <problem>", or the problem
// alone when the format has no name.
inline std::string RefusalText(std::string_view format, std::string_view problem) {
    std::string text;
    if (!format.empty()) text.append(format).append(": ");
    return text.append(problem);
}

}  // namespace vertigon
