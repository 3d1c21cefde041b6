// Weight lists of model.ffm. Each list binds vertices of one object to one bone, with the
// vertex's coordinates in that bone's space. A list has three blocks; depending on the block,
// an entry replaces a vertex's influences ("set") or adds one to them ("append").
#include <string>

#include "formats/ffb/ffm_parts.h"

namespace vertigon::ffb {

namespace {

constexpr uint64_t kListEntryBytes = 12;
constexpr uint64_t kFullWeight = 10000;
// Cost charged per list entry read, so that lists sharing their data cannot make the decoder
// loop for long.
constexpr uint64_t kEntryCost = sizeof(Influence);

enum class ListKind { Positions, Normals };

// Reads consecutive u16 words; every read is checked against the member.
class WordCursor {
public:
    WordCursor(const ByteReader& ffm, uint64_t offset) : ffm_(ffm), offset_(offset) {}
    uint16_t Next() {
        const uint16_t word = ffm_.U16(offset_);
        offset_ = ByteReader::Add(offset_, 2);
        return word;
    }
    int16_t NextSigned() { return static_cast<int16_t>(Next()); }

private:
    const ByteReader& ffm_;
    uint64_t offset_;
};

class ListApplier {
public:
    ListApplier(Object& object, ListKind kind, int32_t bone, uint64_t listIndex, WorkBudget& budget)
        : influences_(kind == ListKind::Positions ? object.positionInfluences : object.normalInfluences),
          kind_(kind),
          bone_(bone),
          listIndex_(listIndex),
          budget_(budget) {}

    void Apply(WordCursor& words, bool wide) {
        // Block 1: n entries {x, y, z, vertex} after a count and an unused word, at full weight.
        const uint64_t first = words.Next();
        words.Next();
        for (uint64_t i = 0; i < first; ++i) {
            const ShortVector v = ReadVector(words);
            Set(words.Next(), v, kFullWeight);
        }
        if (wide) {
            ApplyWideBlock(words, true);
            ApplyWideBlock(words, false);
        } else {
            // Compact block 2 adds to positions but replaces normals; block 3 adds to both.
            ApplyCompactGroups(words, kind_ == ListKind::Normals);
            words.Next();
            ApplyCompactGroups(words, false);
        }
    }

private:
    static ShortVector ReadVector(WordCursor& words) {
        const int16_t x = words.NextSigned();
        const int16_t y = words.NextSigned();
        const int16_t z = words.NextSigned();
        return {x, y, z};
    }

    // A count, then entries {x, y, z, vertex, weight} for positions or {x, y, z, weight,
    // vertex} for normals.
    void ApplyWideBlock(WordCursor& words, bool replace) {
        const uint64_t count = words.Next();
        for (uint64_t i = 0; i < count; ++i) {
            const ShortVector v = ReadVector(words);
            uint64_t vertex = words.Next();
            uint64_t weight = words.Next();
            if (kind_ == ListKind::Normals) std::swap(vertex, weight);
            Write(vertex, v, weight, replace);
        }
    }

    // Groups {count n, high byte h} of entries {x, y, z, packed}, up to a count of 0 or 0xFFFF:
    // the vertex is h x 256 + the high byte of packed, the weight its low byte out of 255.
    void ApplyCompactGroups(WordCursor& words, bool replace) {
        for (;;) {
            const uint64_t count = words.Next();
            if (count == 0 || count == 0xFFFF) return;
            const uint64_t high = words.Next();
            for (uint64_t i = 0; i < count; ++i) {
                const ShortVector v = ReadVector(words);
                const uint16_t packed = words.Next();
                Write(high * 256 + (packed >> 8), v, (packed & 0xFFu) * kFullWeight / 255, replace);
            }
        }
    }

    const char* ListName() const { return kind_ == ListKind::Positions ? "position" : "normal"; }

    void Set(uint64_t vertex, const ShortVector& v, uint64_t weight) { Write(vertex, v, weight, true); }

    void Write(uint64_t vertex, const ShortVector& v, uint64_t weight, bool replace) {
        budget_.Take(1, kEntryCost, "weight entries");
        if (vertex >= influences_.size()) {
            Refuse(ListName(), " weight list ", listIndex_, " names vertex ", vertex, ", beyond the object's ",
                   kind_ == ListKind::Positions ? "positions" : "normals");
        }
        VertexInfluences& slots = influences_[vertex];
        const Influence influence{bone_, v[0], v[1], v[2], static_cast<int32_t>(weight)};
        if (replace) {
            slots.assign(1, influence);
            return;
        }
        if (slots.size() >= kMaxVertexInfluences) {
            Refuse(ListName(), " weight list ", listIndex_, " gives vertex ", vertex, " more than ",
                   kMaxVertexInfluences, " influences");
        }
        slots.push_back(influence);
    }

    std::vector<VertexInfluences>& influences_;
    ListKind kind_;
    int32_t bone_;
    uint64_t listIndex_;
    WorkBudget& budget_;
};

void ApplyTable(const ByteReader& ffm, uint64_t m, uint64_t table, uint64_t count, ListKind kind, int32_t boneCount,
                std::vector<Object>& objects, WorkBudget& budget) {
    RequireTable(ffm, table, count, kListEntryBytes);
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = table + i * kListEntryBytes;
        const uint16_t bone = ffm.U16(entry);
        const uint16_t object = ffm.U16(entry + 2);
        const bool wide = ffm.U16(entry + 6) != 0;
        const char* name = kind == ListKind::Positions ? "position" : "normal";
        if (bone >= boneCount) {
            Refuse(std::string(name) + " weight list " + std::to_string(i) + " names bone " +
                              std::to_string(bone) + ", beyond the skeleton");
        }
        if (object >= objects.size()) {
            Refuse(std::string(name) + " weight list " + std::to_string(i) + " names object " +
                              std::to_string(object) + ", beyond the object table");
        }
        WordCursor words(ffm, ByteReader::Add(m, ffm.U32(entry + 8)));
        ListApplier(objects[object], kind, bone, i, budget).Apply(words, wide);
    }
}

// A vertex no list named is bound with full weight to its object's default bone at its raw
// coordinates.
void FillDefaults(std::vector<VertexInfluences>& influences, const std::vector<ShortVector>& raw, int32_t bone,
                  int32_t boneCount, uint64_t objectIndex) {
    for (size_t v = 0; v < influences.size(); ++v) {
        if (!influences[v].empty()) continue;
        if (bone >= boneCount) {
            Refuse("object " + std::to_string(objectIndex) + " binds its unweighted vertices to bone " +
                              std::to_string(bone) + ", beyond the skeleton");
        }
        influences[v].assign(1, Influence{bone, raw[v][0], raw[v][1], raw[v][2], static_cast<int32_t>(kFullWeight)});
    }
}

}  // namespace

void ApplyWeightLists(const ByteReader& ffm, uint64_t m, int32_t boneCount, std::vector<Object>& objects,
                      WorkBudget& budget) {
    const uint64_t count = ffm.U16(ByteReader::Add(m, 0x08));
    const uint64_t positionTable = ByteReader::Add(m, ffm.U32(ByteReader::Add(m, 0x14)));
    const uint64_t normalTable = ByteReader::Add(m, ffm.U32(ByteReader::Add(m, 0x24)));
    ApplyTable(ffm, m, positionTable, count, ListKind::Positions, boneCount, objects, budget);
    ApplyTable(ffm, m, normalTable, count, ListKind::Normals, boneCount, objects, budget);
    for (size_t k = 0; k < objects.size(); ++k) {
        Object& object = objects[k];
        FillDefaults(object.positionInfluences, object.positions, object.defaultBone, boneCount, k);
        FillDefaults(object.normalInfluences, object.normals, object.defaultBone, boneCount, k);
    }
}

}  // namespace vertigon::ffb
