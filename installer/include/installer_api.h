// The entry points of the three installer libraries, as the program calls
// them. Every function is extern "C", __cdecl, exported undecorated.
//
// Conventions shared by all of them:
//   - result 0 = success, anything else = failure;
//   - err is the address of a text pointer; on failure the library may store
//     an error text there (never on success, unless said otherwise);
//   - every text, name array and error text handed out, by either KXIMPL32 or
//     PKRG, is released with PKRGfree (a name array: each entry, then the
//     array). A name array with count 0 may be null;
//   - every out-parameter is set also on failure: texts to "" (an allocated
//     empty text), arrays to null with count 0;
//   - counts of names are unsigned 16-bit.
#ifndef INSTALLER_API_H
#define INSTALLER_API_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(INSTALLER_NATIVE)
#define KXAPI __cdecl
#else
#define KXAPI
#endif

typedef unsigned short KXCOUNT;

// The caller's 260-character area that kxsaoh fills and the calls after it
// take unchanged as their first argument.
enum { KX_CONTEXT_SIZE = 260 };
// Room the caller gives getCurrentLangAbrev.
enum { KX_LANG_SIZE = 100 };

// ---- KXIMPL32.dll --------------------------------------------------------
int KXAPI getCurrentLangAbrev(char *abbrev, char **err);
int KXAPI kxsaoh(const char *plat, char *ctx);
int KXAPI getAllConfigurations(char *ctx, const char *plat, char ***names, KXCOUNT *count, char **err);
int KXAPI getConfiguration(char *ctx, const char *plat, const char *name,
                           char ***products, KXCOUNT *productCount,
                           char **administrator, char **location, char **mandatory,
                           char **os, int *value, char **err);
int KXAPI getConfigurationClients(char *ctx, const char *plat, const char *name,
                                  char ***clients, KXCOUNT *count, char **err);
int KXAPI setConfiguration(char *ctx, const char *plat, const char *name,
                           char **products, KXCOUNT productCount,
                           const char *administrator, const char *location, const char *mandatory,
                           const char *os, int value, char **err);
int KXAPI setConfigurationClients(char *ctx, const char *plat, const char *name,
                                  char **clients, KXCOUNT count, char **err);
int KXAPI removeConfiguration(char *ctx, const char *plat, const char *name, char **err);
int KXAPI makeTempFiles(char *ctx, const char *plat, char **err);
int KXAPI commitRVXChanges(char *ctx, const char *plat, char **err);
int KXAPI getAllClients(char *ctx, const char *plat, char ***names, KXCOUNT *count, char **err);
int KXAPI getClientOS(char *ctx, const char *plat, const char *client, char **os, char **err);
int KXAPI getClientOSVersion(char *ctx, const char *plat, const char *client, char **version, char **err);
int KXAPI getConflictResolution(char *ctx, const char *plat,
                                char **administrator, char **location, char **mandatory, char **err);
int KXAPI setConflictResolution(char *ctx, const char *plat,
                                const char *administrator, const char *location, const char *mandatory,
                                char **err);

// History of the configuration data. Every commit keeps the configuration
// data it replaced as a numbered generation in the store's history (the
// newest 50) and records who committed what.
//   useGeneration: turns a context filled by kxsaoh into one whose read calls
//     (getAllConfigurations, getConfiguration, getConfigurationClients,
//     getConflictResolution, getGeneration) answer from that generation;
//     fails when the generation is not kept. Such a context is read-only.
//   getGeneration: the generation the context reads (the current one for a
//     context of kxsaoh).
//   getCommitHistory: one text per commit recorded, oldest first (at most the
//     newest 65,535), fields separated by tabs: generation, time (seconds
//     since 1970, UTC), host, user, kept (1 when useGeneration can read it),
//     configurations added, removed, changed, products added, removed,
//     clients added, removed, installation-wide default changed (1 or 0).
int KXAPI useGeneration(char *ctx, const char *plat, unsigned long long generation, char **err);
int KXAPI getGeneration(char *ctx, const char *plat, unsigned long long *generation, char **err);
int KXAPI getCommitHistory(char *ctx, const char *plat, char ***entries, KXCOUNT *count, char **err);

// Changes made from an earlier state (a tool that exported the configuration
// data and imports it later), and recovery.
//   makeTempFilesFrom: makeTempFiles, but the base of this run's edits becomes
//     the given generation (the current one or one kept): the pending change
//     starts from it, and the commit merges it with what was committed since.
//     Fails, starting nothing, when the store does not read or the generation
//     is not kept.
//   checkRVXChanges: decides the pending change as commitRVXChanges would on
//     the store as it is now, and writes nothing: 0 when it would be stored,
//     else the commit's text (every conflicting item, who and when).
//   replaceDamagedStore: when the configuration data exists but does not read
//     (a torn or damaged file), writes the content of a kept generation as the
//     next generation, under the commit's lock, with the audit's line; the
//     damaged file is kept in the history. Fails while the data reads.
int KXAPI makeTempFilesFrom(char *ctx, const char *plat, unsigned long long generation, char **err);
int KXAPI checkRVXChanges(char *ctx, const char *plat, char **err);
int KXAPI replaceDamagedStore(char *ctx, const char *plat, unsigned long long generation, char **err);

// ---- PKRG.dll -------------------------------------------------------------
int KXAPI PKRGinit(void);
int KXAPI PKRGclose(void);
void KXAPI PKRGfree(void *p);
int KXAPI getAllVelkanHomes(const char *plat, char ***homes, KXCOUNT *count);
int KXAPI getInstalledProducts(const char *home, const char *plat, int zero,
                               char ***names, KXCOUNT *count, char **err);
int KXAPI getInstalledProductLabel(const char *home, const char *plat, int zero,
                                   const char *product, char **label, char **err);
int KXAPI getInstalledProductVersion(const char *home, const char *plat, int zero,
                                     const char *product, char **version, char **err);
int KXAPI getInstalledProductSize(const char *home, const char *plat, int zero,
                                  const char *product, char **size, char **err);

// ---- KXBKND32.dll (text routines) ------------------------------------------
// kxtxcp: copies src into dst, at most limit characters and a terminating
// zero (dst holds limit + 1). Returns dst.
char *KXAPI kxtxcp(char *dst, const char *src, int limit);
// kxtxct: appends src to dst so that dst holds at most limit characters and
// a terminating zero. Returns dst.
char *KXAPI kxtxct(char *dst, const char *src, int limit);
// kxtxbs: the offset of the text's last backslash, -1 if it has none.
int KXAPI kxtxbs(const char *text);
// kxtxpo: the 1-based position that kxtxbs's value names in text; 0 when the
// value names no character (no backslash) or the position does not fit 16 bits.
unsigned short KXAPI kxtxpo(const char *text, int value);

#ifdef __cplusplus
}
#endif
#endif
