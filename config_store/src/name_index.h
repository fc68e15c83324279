// Hash index from a case-folded name to the FIRST entry of an ordered list that
// carries it, so lookups cost the same however many sections or keys there are.
// The entries themselves stay in their list; the index only points at them.
#pragma once

#include "name_compare.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace config_store {

// T provides `std::string_view IndexName() const`. Open addressing with linear
// probing; each slot keeps the name's hash, so probing past other names does
// not touch their entries. Erasing shifts the following cluster back, so no
// tombstones pile up.
template <class T>
class NameIndex {
public:
    T* Find(std::string_view name) const
    {
        if (count_ == 0) return nullptr;
        const uint64_t hash = HashName(name);
        for (size_t i = Home(hash);; i = Next(i)) {
            const Slot& slot = slots_[i];
            if (!slot.entry) return nullptr;
            if (slot.hash == hash && NamesEqual(slot.entry->IndexName(), name)) return slot.entry;
        }
    }

    // Indexes `entry` unless an entry of the same name is indexed already
    // (that one comes first in the list). Returns true when it was indexed.
    bool InsertIfAbsent(T* entry) { return Insert(entry, HashName(entry->IndexName())); }

    // Removes the name from the index; true when it was there.
    bool Erase(std::string_view name)
    {
        if (count_ == 0) return false;
        const uint64_t hash = HashName(name);
        size_t i = Home(hash);
        for (; slots_[i].entry; i = Next(i)) {
            if (slots_[i].hash == hash && NamesEqual(slots_[i].entry->IndexName(), name)) break;
        }
        if (!slots_[i].entry) return false;
        slots_[i] = Slot();
        --count_;
        // Move back every following entry of the cluster that its home allows.
        for (size_t j = Next(i); slots_[j].entry; j = Next(j)) {
            size_t home = Home(slots_[j].hash);
            bool between = (i <= j) ? (home > i && home <= j) : (home > i || home <= j);
            if (!between) {
                slots_[i] = slots_[j];
                slots_[j] = Slot();
                i = j;
            }
        }
        return true;
    }

    void Clear()
    {
        slots_.clear();
        count_ = 0;
    }

    size_t Size() const { return count_; }

private:
    struct Slot {
        uint64_t hash = 0;
        T* entry = nullptr;
    };

    size_t Home(uint64_t hash) const { return static_cast<size_t>(hash) & (slots_.size() - 1); }
    size_t Next(size_t i) const { return (i + 1) & (slots_.size() - 1); }

    bool Insert(T* entry, uint64_t hash)
    {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        size_t i = Home(hash);
        for (; slots_[i].entry; i = Next(i)) {
            if (slots_[i].hash == hash && NamesEqual(slots_[i].entry->IndexName(), entry->IndexName())) return false;
        }
        slots_[i] = Slot{hash, entry};
        ++count_;
        return true;
    }

    void Grow()
    {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 8 : old.size() * 2, Slot());
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.entry) Insert(slot.entry, slot.hash);
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

} // namespace config_store
