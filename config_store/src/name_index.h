// Hash index from a case-folded name to the FIRST entry of an ordered list that
// carries it, so lookups cost the same however many sections or keys there are.
// The entries themselves stay in their list; the index only points at them.
#pragma once

#include "name_compare.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace config_store {

// T provides `std::string_view IndexName() const`. Open addressing with linear
// probing; erasing shifts the following cluster back, so no tombstones pile up.
template <class T>
class NameIndex {
public:
    T* Find(std::string_view name) const
    {
        if (count_ == 0) return nullptr;
        for (size_t i = Home(name);; i = Next(i)) {
            T* entry = slots_[i];
            if (!entry) return nullptr;
            if (NamesEqual(entry->IndexName(), name)) return entry;
        }
    }

    // Indexes `entry` unless an entry of the same name is indexed already
    // (that one comes first in the list). Returns true when it was indexed.
    bool InsertIfAbsent(T* entry)
    {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        size_t i = Home(entry->IndexName());
        for (; slots_[i]; i = Next(i)) {
            if (NamesEqual(slots_[i]->IndexName(), entry->IndexName())) return false;
        }
        slots_[i] = entry;
        ++count_;
        return true;
    }

    // Points the name of `entry` at `entry` (used when a later duplicate takes the
    // place of a removed first entry).
    void Replace(T* entry)
    {
        if (!Erase(entry->IndexName())) return;
        InsertIfAbsent(entry);
    }

    // Removes the name from the index; true when it was there.
    bool Erase(std::string_view name)
    {
        if (count_ == 0) return false;
        size_t i = Home(name);
        for (; slots_[i]; i = Next(i)) {
            if (NamesEqual(slots_[i]->IndexName(), name)) break;
        }
        if (!slots_[i]) return false;
        slots_[i] = nullptr;
        --count_;
        // Move back every following entry of the cluster that its home allows.
        for (size_t j = Next(i); slots_[j]; j = Next(j)) {
            size_t home = Home(slots_[j]->IndexName());
            bool between = (i <= j) ? (home > i && home <= j) : (home > i || home <= j);
            if (!between) {
                slots_[i] = slots_[j];
                slots_[j] = nullptr;
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
    size_t Home(std::string_view name) const { return static_cast<size_t>(HashName(name)) & (slots_.size() - 1); }
    size_t Next(size_t i) const { return (i + 1) & (slots_.size() - 1); }

    void Grow()
    {
        std::vector<T*> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 8 : old.size() * 2, nullptr);
        count_ = 0;
        for (T* entry : old) {
            if (entry) InsertIfAbsent(entry);
        }
    }

    std::vector<T*> slots_;
    size_t count_ = 0;
};

} // namespace config_store
