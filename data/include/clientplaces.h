// clientplaces.h - which working copies hold each client, kept as an index so
// that the assignments page can name a client's configurations at once among
// hundreds of configurations of thousands of clients.
//
// The index follows the copies' client lists (what each copy last stored);
// whoever replaces a copy's list tells it (Replace). It holds the copies'
// pointers only: drop it (Clear) before the copies go.
//
// At the largest installations the copies hold a million assignments, so the
// index is one flat array of 16-bit copy numbers, grouped by client, made
// once (Build); a copy whose list changed afterwards is answered from its
// own sorted keys instead of the flat array. (The store counts
// configurations in 16 bits; should a session ever hold more copies than
// that, every copy is answered from its own keys.)
#pragma once

#include "workingcopy.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class ClientPlaces
{
public:
    bool IsBuilt() const { return built; }
    // From every copy of the list (removed ones included: a removal is
    // checked when asked).
    void Build(const CPtrList &copies);
    void Clear();
    // copy's list was before, is now copy->clients. Nothing while unbuilt.
    void Replace(ConfigurationCopy *copy, const std::vector<int> &before);
    // The copies whose lists hold key, once for each time they hold it.
    std::vector<ConfigurationCopy *> CopiesHolding(int key) const;

    // The keys of a client list, in its order.
    static std::vector<int> KeysOf(const ClientRefList &clients);

private:
    bool built = false;
    std::vector<ConfigurationCopy *> copies;   // a copy's number in holders
    std::vector<uint32_t> start;               // client key -> its first place in holders
    std::vector<uint16_t> holders;             // copy numbers, grouped by client key
    // Copies whose lists changed since Build: their keys, sorted.
    std::unordered_map<ConfigurationCopy *, std::vector<int>> changed;
};
