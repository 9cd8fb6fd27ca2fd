// The installer client: ownership of what the libraries hand out, and one
// wording of their failures.
#include "kxclient.h"

#include <cstdlib>
#include <cstring>

namespace kxc {

const char kPlatform[] = "win32";

namespace {

// The one place a result and the library's error text become a Failure.
// The text is released with err, whatever the result.
bool Check(int result, const Text &err, const char *doing, Failure *failure)
{
    if (result == 0)
        return true;
    if (failure) {
        failure->result = result;
        failure->doing = doing;
        failure->gaveReason = !err.Null();
        failure->reason = err.str();
    }
    return false;
}

bool Refuse(const char *doing, const std::string &reason, Failure *failure)
{
    if (failure) {
        failure->result = -1;
        failure->doing = doing;
        failure->reason = reason;
        failure->gaveReason = true;
    }
    return false;
}

// The set calls take a name array the library does not change.
char **Names(const std::vector<const char *> &names)
{
    return names.empty() ? nullptr : const_cast<char **>(names.data());
}

// A longer list would be cut to its count's 16 bits.
bool Fits(const std::vector<const char *> &names, const char *doing, Failure *failure)
{
    if (names.size() <= (size_t)kMaxNames)
        return true;
    return Refuse(doing, std::to_string(names.size()) + " names; at most " + std::to_string(kMaxNames) +
                             " can be passed",
                  failure);
}

}  // namespace

std::vector<const char *> Pointers(const std::vector<std::string> &names)
{
    std::vector<const char *> pointers;
    pointers.reserve(names.size());
    for (const std::string &name : names)
        pointers.push_back(name.c_str());
    return pointers;
}

void Text::Reset()
{
    if (text_)
        PKRGfree(text_);
    text_ = nullptr;
}

void NameList::Reset()
{
    // The array goes even when it came with a count of 0.
    if (names_) {
        for (KXCOUNT i = 0; i < count_; ++i)
            if (names_[i])
                PKRGfree(names_[i]);
        PKRGfree(names_);
    }
    names_ = nullptr;
    count_ = 0;
}

std::vector<std::string> NameList::Strings() const
{
    std::vector<std::string> strings;
    strings.reserve(size());
    for (size_t i = 0; i < size(); ++i)
        strings.push_back((*this)[i]);
    return strings;
}

std::string FailureText(const Failure &failure)
{
    return failure.doing + ": " + (failure.reason.empty() ? "the installer library gave no reason" : failure.reason);
}

bool Context::Open(Failure *failure)
{
    if (kxsaoh(kPlatform, area_) == 0)
        return true;
    return Refuse("finding the installation",
                  "the installer library found no installation (set VELKAN_INSTALL to its directory)", failure);
}

bool Context::UseGeneration(uint64_t generation, Failure *failure)
{
    Text err;
    std::string doing = "reading generation " + std::to_string(generation);
    return Check(useGeneration(area_, kPlatform, generation, err.Out()), err, doing.c_str(), failure);
}

bool Context::Generation(uint64_t *generation, Failure *failure)
{
    Text err;
    unsigned long long g = 0;
    bool ok = Check(getGeneration(area_, kPlatform, &g, err.Out()), err, "getting the generation", failure);
    *generation = g;
    return ok;
}

bool Context::AllConfigurations(NameList &names, Failure *failure)
{
    Text err;
    return Check(getAllConfigurations(area_, kPlatform, names.Out(), names.Count(), err.Out()), err,
                 "getting all configurations", failure);
}

bool Context::GetConfiguration(const char *name, NameList &products, Text &administrator, Text &location,
                               Text &mandatory, Text &os, int *value, Failure *failure)
{
    Text err;
    *value = 0;
    return Check(getConfiguration(area_, kPlatform, name, products.Out(), products.Count(), administrator.Out(),
                                  location.Out(), mandatory.Out(), os.Out(), value, err.Out()),
                 err, "getting a configuration", failure);
}

bool Context::ConfigurationClients(const char *name, NameList &clients, Failure *failure)
{
    Text err;
    return Check(getConfigurationClients(area_, kPlatform, name, clients.Out(), clients.Count(), err.Out()), err,
                 "getting clients for a configuration", failure);
}

bool Context::SetConfiguration(const char *name, const std::vector<const char *> &products,
                               const char *administrator, const char *location, const char *mandatory,
                               const char *os, int value, Failure *failure)
{
    const char *doing = "saving a configuration";
    if (!Fits(products, doing, failure))
        return false;
    Text err;
    return Check(setConfiguration(area_, kPlatform, name, Names(products), (KXCOUNT)products.size(), administrator,
                                  location, mandatory, os, value, err.Out()),
                 err, doing, failure);
}

bool Context::SetConfigurationClients(const char *name, const std::vector<const char *> &clients, Failure *failure)
{
    const char *doing = "saving the clients of a configuration";
    if (!Fits(clients, doing, failure))
        return false;
    Text err;
    return Check(setConfigurationClients(area_, kPlatform, name, Names(clients), (KXCOUNT)clients.size(),
                                         err.Out()),
                 err, doing, failure);
}

bool Context::RemoveConfiguration(const char *name, Failure *failure)
{
    Text err;
    return Check(removeConfiguration(area_, kPlatform, name, err.Out()), err, "removing a configuration", failure);
}

bool Context::MakeTempFiles(Failure *failure)
{
    Text err;
    return Check(makeTempFiles(area_, kPlatform, err.Out()), err, "making the temporary files", failure);
}

bool Context::MakeTempFilesFrom(uint64_t generation, Failure *failure)
{
    Text err;
    std::string doing = "making the temporary files from generation " + std::to_string(generation);
    return Check(makeTempFilesFrom(area_, kPlatform, generation, err.Out()), err, doing.c_str(), failure);
}

bool Context::Commit(Failure *failure)
{
    Text err;
    return Check(commitRVXChanges(area_, kPlatform, err.Out()), err, "committing the changes", failure);
}

bool Context::CheckChanges(Failure *failure)
{
    Text err;
    return Check(checkRVXChanges(area_, kPlatform, err.Out()), err, "checking the changes", failure);
}

bool Context::ReplaceDamagedStore(uint64_t generation, Failure *failure)
{
    Text err;
    return Check(replaceDamagedStore(area_, kPlatform, generation, err.Out()), err, "replacing the damaged store",
                 failure);
}

bool Context::AllClients(NameList &names, Failure *failure)
{
    Text err;
    return Check(getAllClients(area_, kPlatform, names.Out(), names.Count(), err.Out()), err, "getting all clients",
                 failure);
}

bool Context::ClientOS(const char *client, Text &os, Failure *failure)
{
    Text err;
    return Check(getClientOS(area_, kPlatform, client, os.Out(), err.Out()), err, "getting the system of a client",
                 failure);
}

bool Context::ClientOSVersion(const char *client, Text &version, Failure *failure)
{
    Text err;
    return Check(getClientOSVersion(area_, kPlatform, client, version.Out(), err.Out()), err,
                 "getting the system version of a client", failure);
}

bool Context::GetConflictResolution(Text &administrator, Text &location, Text &mandatory, Failure *failure)
{
    Text err;
    return Check(getConflictResolution(area_, kPlatform, administrator.Out(), location.Out(), mandatory.Out(),
                                       err.Out()),
                 err, "getting conflict resolution", failure);
}

bool Context::SetConflictResolution(const char *administrator, const char *location, const char *mandatory,
                                    Failure *failure)
{
    Text err;
    return Check(setConflictResolution(area_, kPlatform, administrator, location, mandatory, err.Out()), err,
                 "setting conflict resolution", failure);
}

bool Context::History(std::vector<HistoryEntry> *out, Failure *failure)
{
    out->clear();
    NameList lines;
    Text err;
    if (!Check(getCommitHistory(area_, kPlatform, lines.Out(), lines.Count(), err.Out()), err, "getting the history",
               failure))
        return false;
    // generation, time, host, user, kept, then the eight counts; tab-separated.
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> f;
        for (const char *at = lines[i];; ++at) {
            const char *tab = at + std::strcspn(at, "\t");
            f.emplace_back(at, tab);
            if (!*tab)
                break;
            at = tab;
        }
        if (f.size() != 13)
            continue;
        HistoryEntry h;
        h.generation = std::strtoull(f[0].c_str(), nullptr, 10);
        h.time = std::strtoll(f[1].c_str(), nullptr, 10);
        h.host = f[2];
        h.user = f[3];
        h.kept = f[4] == "1";
        for (int k = 0; k < 8; ++k)
            h.counts[k] = (unsigned)std::strtoul(f[5 + k].c_str(), nullptr, 10);
        out->push_back(h);
    }
    return true;
}

bool Context::ReadConfiguration(const std::string &name, Configuration *out, Failure *failure)
{
    NameList products, clients;
    Text administrator, location, mandatory, os;
    *out = Configuration();
    out->name = name;
    if (!GetConfiguration(name.c_str(), products, administrator, location, mandatory, os, &out->value, failure))
        return false;
    out->products = products.Strings();
    out->words = Words{administrator.str(), location.str(), mandatory.str()};
    out->os = os.str();
    if (!ConfigurationClients(name.c_str(), clients, failure))
        return false;
    out->clients = clients.Strings();
    return true;
}

bool Context::ReadConfigurations(std::vector<Configuration> *out, Failure *failure)
{
    out->clear();
    NameList names;
    if (!AllConfigurations(names, failure))
        return false;
    out->resize(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        if (!ReadConfiguration(names[i], &(*out)[i], failure))
            return false;
    return true;
}

bool Context::WriteConfiguration(const Configuration &c, Failure *failure)
{
    return SetConfiguration(c.name.c_str(), Pointers(c.products), c.words.administrator.c_str(),
                            c.words.location.c_str(), c.words.mandatory.c_str(), c.os.c_str(), c.value, failure) &&
           SetConfigurationClients(c.name.c_str(), Pointers(c.clients), failure);
}

bool Context::ReadResolution(Words *out, Failure *failure)
{
    Text administrator, location, mandatory;
    bool ok = GetConflictResolution(administrator, location, mandatory, failure);
    *out = Words{administrator.str(), location.str(), mandatory.str()};
    return ok;
}

int OpenProductRegistry()
{
    return PKRGinit();
}

int CloseProductRegistry()
{
    return PKRGclose();
}

bool VelkanHomes(NameList &homes, Failure *failure)
{
    Text none;   // this entry point hands out no error text
    return Check(getAllVelkanHomes(kPlatform, homes.Out(), homes.Count()), none, "retrieving Velkan Homes", failure);
}

bool InstalledProducts(const char *home, NameList &products, Failure *failure)
{
    Text err;
    return Check(getInstalledProducts(home, kPlatform, 0, products.Out(), products.Count(), err.Out()), err,
                 "retrieving Installed Products", failure);
}

bool ProductLabel(const char *home, const char *product, Text &label, Failure *failure)
{
    Text err;
    return Check(getInstalledProductLabel(home, kPlatform, 0, product, label.Out(), err.Out()), err,
                 "retrieving the label for an installed product", failure);
}

bool ProductVersion(const char *home, const char *product, Text &version, Failure *failure)
{
    Text err;
    return Check(getInstalledProductVersion(home, kPlatform, 0, product, version.Out(), err.Out()), err,
                 "retrieving the version for an installed product", failure);
}

bool ProductSize(const char *home, const char *product, Text &size, Failure *failure)
{
    Text err;
    return Check(getInstalledProductSize(home, kPlatform, 0, product, size.Out(), err.Out()), err,
                 "retrieving the size for an installed product", failure);
}

bool CurrentLanguage(std::string *abbreviation, Failure *failure)
{
    char buffer[KX_LANG_SIZE] = "";
    Text err;
    bool ok = Check(getCurrentLangAbrev(buffer, err.Out()), err, "getting the current language", failure);
    buffer[KX_LANG_SIZE - 1] = '\0';
    *abbreviation = ok ? buffer : "";
    return ok;
}

}  // namespace kxc
