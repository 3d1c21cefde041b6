#include "cli/json_writer.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

TEST(JsonWriter, NestsWithCommasAndEscapes) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a").Int(-3);
    json.Key("b").BeginArray().Bool(true).Null().String("q\"\\\n\x01").EndArray();
    json.Key("c").BeginObject().EndObject();
    json.EndObject();
    EXPECT_EQ(json.text(), R"({"a":-3,"b":[true,null,"q\"\\\n\u0001"],"c":{}})");
}

TEST(JsonWriter, FloatsReadBackAsTheSameFloat) {
    for (float f : {0.1f, 1.0f / 3.0f, -123456.789f, 1e-30f, 3.4e38f}) {
        JsonWriter json;
        json.Float(f);
        EXPECT_EQ(std::strtof(json.text().c_str(), nullptr), f) << json.text();
    }
    JsonWriter json;
    json.BeginArray().Float(std::numeric_limits<float>::quiet_NaN()).Float(INFINITY).EndArray();
    EXPECT_EQ(json.text(), "[null,null]");
}

}  // namespace
}  // namespace vertigon
