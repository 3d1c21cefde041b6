// A small streaming JSON writer: commas and nesting are tracked, strings are escaped, and
// floats are printed with 9 significant digits so that they read back as the same float.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vertigon {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    // Non-finite values, which JSON cannot hold, are written as null.
    JsonWriter& Float(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& text() const { return out_; }

private:
    void BeforeValue();

    std::string out_;
    std::vector<bool> firstInScope_;
    bool afterKey_ = false;
};

}  // namespace vertigon
