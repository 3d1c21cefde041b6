// The one error path of every loader: a load that cannot build a model throws one of these
// with a one-line reason, and the registry turns it into "no model".
#pragma once

#include <stdexcept>
#include <string>

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

}  // namespace vertigon
