// The session hammer: administrators working on one installation at once,
// each a process of its own that loads, edits and commits through KXIMPL32
// as the program does.
//
//   rvxload session DIR --seed S --journal FILE [--wait-ms M]
//     One session: loads everything as the program does at start-up, waits
//     a random moment up to M ms (default 200), edits one to three random
//     configurations (products, system, the three words, clients; now and
//     then removes one or creates one) and sometimes the default, then
//     commits as OK does (removals, then every configuration, the default,
//     the commit; a lock held by a live committer is waited for). Writes
//     FILE (the outcome), FILE.read.kxs and FILE.wrote.kxs for the detector.
//     Exit 3: another commit came in while it loaded (the driver starts a
//     new session instead).
//
//   rvxload sessions DIR [--workers N] [--sessions K] [--seed S] [--wait-ms M] [--no-merge]
//     Runs K sessions (default 40), N at once (default 4), with seeds S, S+1,
//     ..., on the installation at DIR (laid out beforehand), then runs the
//     detector (detector.h) and prints
//       sessions: K commits C merged M refused R failed F lost L false-conflicts X missed Y restarted T
//     --no-merge runs the sessions with KX_UNSAFE_NOMERGE=1 (honoured by the
//     test build of the libraries only). Exit 0 when the run itself worked:
//     the verdict is in the figures.
#ifndef RVX_SESSIONS_H
#define RVX_SESSIONS_H

#include <string>

namespace rvx {

// Says "rvxload: <text>" on standard error; returns 1.
int Fail(const std::string &text);

int Session(const std::string &dir, int argc, char **argv);
int Sessions(const std::string &dir, int argc, char **argv);

}  // namespace rvx
#endif
