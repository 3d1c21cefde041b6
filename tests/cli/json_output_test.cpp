#include "cli/json_output.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

namespace vertigon {
namespace {

TEST(JsonOutput, KeepsMemberOrderEscapesAndReplacesBadText) {
    const Json json = {{"z", -3}, {"b", {true, nullptr, "q\"\\\n\x01"}}, {"a", Json::object()}, {"bad", "x\xff"}};
    EXPECT_EQ(JsonText(json), "{\"z\":-3,\"b\":[true,null,\"q\\\"\\\\\\n\\u0001\"],\"a\":{},\"bad\":\"x\xef\xbf\xbd\"}");
}

TEST(JsonOutput, FloatsHaveNineDigitsAndReadBackAsTheSameFloat) {
    const Json values = {1.0f, -0.0f, 0.1f, 1e9f, -70.017868f, std::numeric_limits<float>::quiet_NaN(), INFINITY};
    EXPECT_EQ(JsonText(values), "[1,-0,0.100000001,1e+09,-70.017868,null,null]");
    for (float f : {1.0f / 3.0f, -123456.789f, 1e-30f, 3.4e38f}) {
        const std::string text = JsonText(Json(f));
        EXPECT_EQ(std::strtof(text.c_str(), nullptr), f) << text;
    }
}

}  // namespace
}  // namespace vertigon
