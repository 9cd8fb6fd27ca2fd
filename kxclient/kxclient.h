// kxclient.h - the one client of the installer libraries.
//
// Every call into KXIMPL32.dll and PKRG.dll goes through here: one context
// per run of calls (kxsaoh), the platform word named once, every text, name
// and name list the libraries hand out owned by an object that releases it
// with PKRGfree exactly once, and a failed call turned into a Failure (what
// was being done and the library's own text) in one place. Plain C++ over
// installer_api.h: console tools link it as well as the program.
#ifndef KXCLIENT_H
#define KXCLIENT_H

#include <cstdint>
#include <string>
#include <vector>

#include "installer_api.h"

namespace kxc {

// The platform word every call names.
extern const char kPlatform[];
// The most names one list may carry: the libraries count them in 16 bits.
enum { kMaxNames = 65535 };

// What the libraries hand out has one owner: it is never copied.
class HandedOut
{
protected:
    HandedOut() {}
    HandedOut(const HandedOut &) = delete;
    HandedOut &operator=(const HandedOut &) = delete;
};

// A text the libraries hand out. Out() gives the call its out-parameter and
// releases what the object held before; the text goes with the object.
class Text : HandedOut
{
public:
    ~Text() { Reset(); }
    char **Out() { Reset(); return &text_; }
    void Reset();
    bool Null() const { return text_ == nullptr; }
    const char *c_str() const { return text_ ? text_ : ""; }
    std::string str() const { return c_str(); }

private:
    char *text_ = nullptr;
};

// A name list the libraries hand out: each entry and the array are released
// once, with the object or at the next Out().
class NameList : HandedOut
{
public:
    ~NameList() { Reset(); }
    // Both out-parameters of one call: the array, then its count.
    char ***Out() { Reset(); return &names_; }
    KXCOUNT *Count() { return &count_; }
    void Reset();

    size_t size() const { return names_ ? count_ : 0; }
    bool empty() const { return size() == 0; }
    // A null entry reads as the empty name.
    const char *operator[](size_t i) const { return names_[i] ? names_[i] : ""; }
    std::vector<std::string> Strings() const;

private:
    char **names_ = nullptr;
    KXCOUNT count_ = 0;
};

// A failed call: what was being done, the library's result and its own
// text (empty, and gaveReason false, when it gave none).
struct Failure
{
    int result = 0;
    std::string doing;
    std::string reason;
    bool gaveReason = false;
};

// The one line that says what failed: "<doing>: <reason>", or that the
// library gave no reason.
std::string FailureText(const Failure &failure);

// The three conflict-resolution words, in the libraries' order.
struct Words
{
    std::string administrator, location, mandatory;
};

// One configuration as the libraries keep it.
struct Configuration
{
    std::string name;
    std::vector<std::string> products, clients;
    Words words;
    std::string os;
    int value = 0;
};

// One commit as getCommitHistory lists it.
struct HistoryEntry
{
    uint64_t generation = 0;
    int64_t time = 0;   // seconds since 1970, UTC
    std::string host, user;
    bool kept = false;  // UseGeneration can still read it
    // Configurations added, removed, changed; products added, removed;
    // clients added, removed; 1 when the installation-wide default changed.
    unsigned counts[8] = {};
};

// The array the set calls take: pointers into the strings, which must
// outlive it.
std::vector<const char *> Pointers(const std::vector<std::string> &names);

// One context: kxsaoh once, then any number of calls with it. Every call
// returns true on success; on failure false, with *failure filled when one
// is given. Outputs are owned by the objects passed in.
class Context
{
public:
    // kxsaoh: fails when the libraries find no installation.
    bool Open(Failure *failure = nullptr);
    // A context whose reads answer from a generation kept in the history.
    bool UseGeneration(uint64_t generation, Failure *failure = nullptr);
    bool Generation(uint64_t *generation, Failure *failure = nullptr);

    bool AllConfigurations(NameList &names, Failure *failure = nullptr);
    // Every output is set also on failure (empty lists and texts).
    bool GetConfiguration(const char *name, NameList &products, Text &administrator, Text &location,
                          Text &mandatory, Text &os, int *value, Failure *failure = nullptr);
    bool ConfigurationClients(const char *name, NameList &clients, Failure *failure = nullptr);
    bool SetConfiguration(const char *name, const std::vector<const char *> &products, const char *administrator,
                          const char *location, const char *mandatory, const char *os, int value,
                          Failure *failure = nullptr);
    bool SetConfigurationClients(const char *name, const std::vector<const char *> &clients,
                                 Failure *failure = nullptr);
    bool RemoveConfiguration(const char *name, Failure *failure = nullptr);
    bool MakeTempFiles(Failure *failure = nullptr);
    // A pending change whose base is that generation (current or kept): the
    // commit merges it with what was committed since.
    bool MakeTempFilesFrom(uint64_t generation, Failure *failure = nullptr);
    bool Commit(Failure *failure = nullptr);
    // Decides the pending change as Commit would, and writes nothing.
    bool CheckChanges(Failure *failure = nullptr);
    // Writes a kept generation as the next one over configuration data that
    // exists and does not read; the libraries refuse while it reads.
    bool ReplaceDamagedStore(uint64_t generation, Failure *failure = nullptr);

    bool AllClients(NameList &names, Failure *failure = nullptr);
    bool ClientOS(const char *client, Text &os, Failure *failure = nullptr);
    bool ClientOSVersion(const char *client, Text &version, Failure *failure = nullptr);

    bool GetConflictResolution(Text &administrator, Text &location, Text &mandatory, Failure *failure = nullptr);
    bool SetConflictResolution(const char *administrator, const char *location, const char *mandatory,
                               Failure *failure = nullptr);
    // The commits recorded, oldest first; a line of another shape is passed over.
    bool History(std::vector<HistoryEntry> *out, Failure *failure = nullptr);

    // Whole configurations as strings, for the tools: the configuration and
    // its clients; every configuration in the store's order; both set calls.
    bool ReadConfiguration(const std::string &name, Configuration *out, Failure *failure = nullptr);
    bool ReadConfigurations(std::vector<Configuration> *out, Failure *failure = nullptr);
    bool WriteConfiguration(const Configuration &configuration, Failure *failure = nullptr);
    bool ReadResolution(Words *out, Failure *failure = nullptr);

private:
    char area_[KX_CONTEXT_SIZE] = {0};
};

// The product registry, which needs no context.
int OpenProductRegistry();
int CloseProductRegistry();
bool VelkanHomes(NameList &homes, Failure *failure = nullptr);
bool InstalledProducts(const char *home, NameList &products, Failure *failure = nullptr);
bool ProductLabel(const char *home, const char *product, Text &label, Failure *failure = nullptr);
bool ProductVersion(const char *home, const char *product, Text &version, Failure *failure = nullptr);
bool ProductSize(const char *home, const char *product, Text &size, Failure *failure = nullptr);
// The installation's language abbreviation.
bool CurrentLanguage(std::string *abbreviation, Failure *failure = nullptr);

}  // namespace kxc

#endif
