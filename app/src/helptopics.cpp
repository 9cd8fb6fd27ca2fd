// The one table from message help numbers to the manual's topics. Each topic
// is a section of the manual's "Messages" chapter, named by its keyword.
#include "helptopics.h"

#include "afxapp.h"
#include "resource.h"

namespace {

const struct
{
    UINT message;
    const char *topic;
} kTopics[] = {
    {IDS_CONFIRM_DISCARD, "discardquestion"},
    {IDS_CONFIRM_REMOVE, "deletequestion"},
    {IDS_NAME_HAS_COMMA, "namecomma"},
    {IDS_NAME_RESERVED, "namereserved"},
    {IDS_NAME_EXISTS, "nameexists"},
    {IDS_HELP_FAILED, "helpfailed"},
};

}

const char *HelpTopicOfContext(DWORD context)
{
    for (const auto &entry : kTopics)
        if (context == HID_BASE_PROMPT + entry.message)
            return entry.topic;
    return NULL;
}
