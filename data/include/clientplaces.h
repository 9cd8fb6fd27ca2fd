// clientplaces.h - which working copies hold each client, kept as an index so
// that the assignments page can name a client's configurations at once among
// hundreds of configurations of thousands of clients.
//
// The index follows the copies' client lists (what each copy last stored);
// whoever replaces a copy's list tells it (Replace). It holds the copies'
// pointers only: drop it (Clear) before the copies go.
#pragma once

#include "workingcopy.h"

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
    const std::vector<ConfigurationCopy *> &CopiesHolding(int key) const;

    // The keys of a client list, in its order.
    static std::vector<int> KeysOf(const ClientRefList &clients);

private:
    void Add(ConfigurationCopy *copy, int key);
    void Remove(ConfigurationCopy *copy, int key);

    bool built = false;
    std::vector<std::vector<ConfigurationCopy *>> byKey;   // client keys are catalogue positions
};
