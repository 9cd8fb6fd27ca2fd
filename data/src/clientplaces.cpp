// The index of which working copies hold each client.
#include "clientplaces.h"

#include <algorithm>

void ClientPlaces::Build(const CPtrList &copies_)
{
    Clear();
    built = true;
    // Client keys are catalogue positions; a client no longer listed (key
    // -1) is nobody's to ask about.
    size_t clients = DataCache::Get().clients.size();
    std::vector<uint32_t> count(clients + 1, 0);
    for (POSITION pos = copies_.GetHeadPosition(); pos != NULL;) {
        ConfigurationCopy *copy = static_cast<ConfigurationCopy *>(copies_.GetNext(pos));
        copies.push_back(copy);
        for (const ClientRef &ref : copy->clients)
            if (ref.GetKey() >= 0 && (size_t)ref.GetKey() < clients)
                ++count[(size_t)ref.GetKey() + 1];
    }
    if (copies.size() > 0x10000) {
        for (ConfigurationCopy *copy : copies)
            Replace(copy, {});
        std::vector<uint32_t>(clients + 1, 0).swap(start);
        return;
    }
    for (size_t k = 1; k <= clients; k++)
        count[k] += count[k - 1];
    start = count;
    holders.resize(count[clients]);
    for (size_t n = 0; n < copies.size(); n++)
        for (const ClientRef &ref : copies[n]->clients)
            if (ref.GetKey() >= 0 && (size_t)ref.GetKey() < clients)
                holders[count[(size_t)ref.GetKey()]++] = (uint16_t)n;
}

void ClientPlaces::Clear()
{
    built = false;
    std::vector<ConfigurationCopy *>().swap(copies);
    std::vector<uint32_t>().swap(start);
    std::vector<uint16_t>().swap(holders);
    changed.clear();
}

void ClientPlaces::Replace(ConfigurationCopy *copy, const std::vector<int> &before)
{
    if (!built)
        return;
    std::vector<int> after = KeysOf(copy->clients);
    if (after == before)
        return;   // only looked at, as most configurations are
    std::sort(after.begin(), after.end());
    changed[copy] = std::move(after);
}

std::vector<ConfigurationCopy *> ClientPlaces::CopiesHolding(int key) const
{
    std::vector<ConfigurationCopy *> found;
    if (key < 0)
        return found;
    if ((size_t)key + 1 < start.size())
        for (uint32_t at = start[(size_t)key]; at < start[(size_t)key + 1]; at++) {
            ConfigurationCopy *copy = copies[holders[at]];
            if (!changed.count(copy))
                found.push_back(copy);
        }
    for (const auto &list : changed) {
        auto range = std::equal_range(list.second.begin(), list.second.end(), key);
        found.insert(found.end(), (size_t)(range.second - range.first), list.first);
    }
    return found;
}

std::vector<int> ClientPlaces::KeysOf(const ClientRefList &clients)
{
    std::vector<int> keys;
    keys.reserve((size_t)clients.GetCount());
    for (const ClientRef &ref : clients)
        keys.push_back(ref.GetKey());
    return keys;
}
