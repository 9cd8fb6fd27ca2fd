// The index of which working copies hold each client.
#include "clientplaces.h"

#include <algorithm>

void ClientPlaces::Build(const CPtrList &copies)
{
    Clear();
    built = true;
    byKey.resize(DataCache::Get().clients.size());
    for (POSITION pos = copies.GetHeadPosition(); pos != NULL;) {
        ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(copies.GetNext(pos));
        for (const ClientRef &ref : copy->clients)
            Add(copy, ref.GetKey());
    }
}

void ClientPlaces::Clear()
{
    built = false;
    byKey.clear();
}

void ClientPlaces::Add(ConfigurationCopy *copy, int key)
{
    // A client no longer listed (key -1) is nobody's to ask about.
    if (key < 0)
        return;
    if ((size_t)key >= byKey.size())
        byKey.resize((size_t)key + 1);
    byKey[(size_t)key].push_back(copy);
}

void ClientPlaces::Remove(ConfigurationCopy *copy, int key)
{
    if (key < 0 || (size_t)key >= byKey.size())
        return;
    std::vector<ConfigurationCopy *> &holders = byKey[(size_t)key];
    auto at = std::find(holders.begin(), holders.end(), copy);
    if (at != holders.end())
        holders.erase(at);
}

void ClientPlaces::Replace(ConfigurationCopy *copy, const std::vector<int> &before)
{
    if (!built)
        return;
    std::vector<int> after = KeysOf(copy->clients);
    if (after == before)
        return;   // only looked at, as most configurations are
    for (int key : before)
        Remove(copy, key);
    for (int key : after)
        Add(copy, key);
}

const std::vector<ConfigurationCopy *> &ClientPlaces::CopiesHolding(int key) const
{
    static const std::vector<ConfigurationCopy *> none;
    return key >= 0 && (size_t)key < byKey.size() ? byKey[(size_t)key] : none;
}

std::vector<int> ClientPlaces::KeysOf(const ClientRefList &clients)
{
    std::vector<int> keys;
    keys.reserve((size_t)clients.GetCount());
    for (const ClientRef &ref : clients)
        keys.push_back(ref.GetKey());
    return keys;
}
