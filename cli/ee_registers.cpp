#include "cli/ee_registers.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace vertigon {
namespace {

constexpr const char* kGprNames[32] = {"zero", "at", "v0", "v1", "a0", "a1", "a2", "a3", "t0", "t1", "t2",
                                       "t3",   "t4", "t5", "t6", "t7", "s0", "s1", "s2", "s3", "s4", "s5",
                                       "s6",   "s7", "t8", "t9", "k0", "k1", "gp", "sp", "fp", "ra"};

std::optional<int> ParseIndex(std::string_view digits, int limit) {
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value >= limit) return std::nullopt;
    return value;
}

std::optional<int> GprIndex(std::string_view name) {
    for (int i = 0; i < 32; ++i)
        if (name == kGprNames[i]) return i;
    if (name == "s8") return 30;
    if (name.size() > 1 && name[0] == 'r') return ParseIndex(name.substr(1), 32);
    return std::nullopt;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A 128-bit value from decimal or 0x-prefixed hexadecimal text.
std::optional<Reg128> ParseValue(std::string_view text) {
    Reg128 value;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 32) return std::nullopt;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            value.upper = (value.upper << 4) | (value.lower >> 60);
            value.lower = (value.lower << 4) | static_cast<uint64_t>(d);
        }
        return value;
    }
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty()) return std::nullopt;
    uint64_t magnitude = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto d = static_cast<uint64_t>(c - '0');
        if (magnitude > (UINT64_MAX - d) / 10) return std::nullopt;
        magnitude = magnitude * 10 + d;
    }
    if (negative && magnitude > (uint64_t{1} << 63)) return std::nullopt;
    value.lower = negative ? 0 - magnitude : magnitude;
    return value;
}

std::optional<uint32_t> ParseWord(std::string_view text) {
    const std::optional<Reg128> value = ParseValue(text);
    if (!value || value->upper != 0) return std::nullopt;
    const auto low = static_cast<uint32_t>(value->lower);
    // A negative decimal word is fine as long as it fits 32 bits once sign-extended.
    if (value->lower != low && value->lower != SignExtend32(low)) return std::nullopt;
    return low;
}

std::string Hex128(const Reg128& r) {
    char text[40];
    std::snprintf(text, sizeof text, "%016" PRIx64 "%016" PRIx64, r.upper, r.lower);
    return text;
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIx32, value);
    return text;
}


// A float register value: 0x-prefixed text is the bit pattern, anything else a decimal float.
std::optional<float> ParseFloat(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::optional<uint32_t> bits = ParseWord(text);
        if (!bits) return std::nullopt;
        return std::bit_cast<float>(*bits);
    }
    const std::string copy(text);
    char* end = nullptr;
    const float value = std::strtof(copy.c_str(), &end);
    if (copy.empty() || *end != '\0') return std::nullopt;
    return value;
}

// Four comma-separated floats: x,y,z,w.
std::optional<VuVector> ParseVector(std::string_view text) {
    VuVector v;
    for (int c = 0; c < 4; ++c) {
        const size_t comma = c < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const std::optional<float> value = ParseFloat(text.substr(0, comma));
        if (!value) return std::nullopt;
        v.c[c] = *value;
        text = c < 3 ? text.substr(comma + 1) : std::string_view();
    }
    return v;
}

// "f12" -> 12 for prefix "f" and 32 registers.
std::optional<int> Indexed(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
    return ParseIndex(name.substr(prefix.size()), 32);
}

Json Floats(const float* values, int count) {
    Json array = Json::array();
    for (int i = 0; i < count; ++i) array.push_back(values[i]);
    return array;
}
}  // namespace

const char* GprName(int index) { return kGprNames[index & 31]; }

bool SetEeRegister(EeState& state, std::string_view name, std::string_view value, std::string* error) {
    auto bad = [&](const char* what) {
        *error = std::string(what) + " '" + std::string(name) + "=" + std::string(value) + "'";
        return false;
    };
    Reg128* wide = nullptr;
    if (const std::optional<int> index = GprIndex(name)) {
        wide = &state.gpr[*index];
    } else if (name == "hi") {
        wide = &state.hi;
    } else if (name == "lo") {
        wide = &state.lo;
    }
    if (wide) {
        const std::optional<Reg128> parsed = ParseValue(value);
        if (!parsed) return bad("bad register value in");
        *wide = *parsed;
        return true;
    }
    uint32_t* word = nullptr;
    if (name == "pc") word = &state.pc;
    if (name == "sa") word = &state.sa;
    if (word) {
        const std::optional<uint32_t> parsed = ParseWord(value);
        if (!parsed) return bad("bad 32-bit value in");
        *word = *parsed;
        return true;
    }
    if (const std::optional<int> index = Indexed(name, "vf")) {
        const std::optional<VuVector> parsed = ParseVector(value);
        if (!parsed) return bad("bad x,y,z,w vector in");
        state.vf[*index] = *parsed;
        return true;
    }
    if (const std::optional<int> index = Indexed(name, "vi")) {
        const std::optional<uint32_t> parsed = ParseWord(value);
        if (!parsed) return bad("bad 32-bit value in");
        state.vi[*index] = *parsed;
        return true;
    }
    if (const std::optional<int> index = Indexed(name, "f")) {
        const std::optional<float> parsed = ParseFloat(value);
        if (!parsed) return bad("bad float value in");
        state.fpr[*index] = *parsed;
        return true;
    }
    if (name == "acc") {
        const std::optional<VuVector> parsed = ParseVector(value);
        if (!parsed) return bad("bad x,y,z,w vector in");
        state.acc = *parsed;
        return true;
    }
    if (name == "q") {
        const std::optional<float> parsed = ParseFloat(value);
        if (!parsed) return bad("bad float value in");
        state.q = *parsed;
        return true;
    }
    if (name == "fcc" || name == "macflags") {
        const std::optional<uint32_t> parsed = ParseWord(value);
        const uint32_t limit = name == "fcc" ? 1 : 0xFFFF;
        if (!parsed || *parsed > limit) return bad("value out of range in");
        if (name == "fcc") {
            state.fpuCondition = static_cast<uint8_t>(*parsed);
        } else {
            state.macFlags = static_cast<uint16_t>(*parsed);
        }
        return true;
    }
    return bad("unknown register in");
}

void AddEeRegistersJson(Json& json, const EeState& state) {
    json["pc"] = Hex32(state.pc);
    Json gpr = Json::object();
    for (int i = 0; i < 32; ++i) gpr[kGprNames[i]] = Hex128(state.gpr[i]);
    json["gpr"] = std::move(gpr);
    json["hi"] = Hex128(state.hi);
    json["lo"] = Hex128(state.lo);
    json["sa"] = Hex32(state.sa);
    Json cop0 = Json::array();
    for (uint64_t value : state.cop0) {
        char text[24];
        std::snprintf(text, sizeof text, "%016" PRIx64, value);
        cop0.push_back(text);
    }
    json["cop0"] = std::move(cop0);
    json["cycleCounter"] = state.cycleCounter;

    json["fpr"] = Floats(state.fpr.data(), 32);
    Json fprBits = Json::array();
    for (float value : state.fpr) fprBits.push_back(Hex32(std::bit_cast<uint32_t>(value)));
    json["fprBits"] = std::move(fprBits);
    json["fpuCondition"] = state.fpuCondition;

    Json vf = Json::array();
    for (const VuVector& v : state.vf) vf.push_back(Floats(v.c, 4));
    json["vf"] = std::move(vf);
    json["vi"] = state.vi;
    json["acc"] = Floats(state.acc.c, 4);
    json["q"] = state.q;
    json["qBits"] = Hex32(std::bit_cast<uint32_t>(state.q));
    json["macFlags"] = state.macFlags;
}

}  // namespace vertigon
