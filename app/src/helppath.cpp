// The help file normally sits beside the program; a network installation
// keeps one shared copy in poolcfg\ two levels up instead.
#include "helppath.h"

#include <io.h>
#include <vector>

#include "installer_api.h"

namespace {

const int kWorkSize = 65536;
const int kWorkLimit = kWorkSize - 1;

// Ends the text at its last backslash (the backslash goes too). kxtxpo gives
// the 1-based position of the backslash, or 0 when there is none; 0 must not
// be used as a position, or the cut would land one byte before the buffer.
int CutAtLastBackslash(char *text)
{
    unsigned short position = kxtxpo(text, kxtxbs(text));
    if (position == 0)
        return 0;
    text[position - 1] = '\0';
    return 1;
}

} // namespace

void BuildHelpPath(CString &path)
{
    // Kept off the stack: 64 KB is a large share of a thread stack.
    std::vector<char> work(kWorkSize, '\0');
    char *buffer = &work[0];
    kxtxcp(buffer, path, kWorkLimit);

    // Read access succeeds for any existing file or directory.
    if (_access(buffer, 4) == 0)
        return;

    // With fewer than two backslashes (a program in a drive's root, or a
    // bare file name) there are no two levels to climb: keep the default
    // path rather than invent a parent for it.
    if (!CutAtLastBackslash(buffer) || !CutAtLastBackslash(buffer))
        return;

    kxtxct(buffer, "\\poolcfg\\poolcfg.hlp", kWorkLimit);
    path = buffer;
}
