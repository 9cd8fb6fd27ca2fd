// The working copy the pages edit.
#include "workingcopy.h"
#include "configurations.h"

void ConfigurationCopy::FillFromRecord(const ConfigurationRef &ref)
{
    record = ref;
    record.GetProducts(products);
    record.GetClients(clients);
    resolution = record.GetResolution();
    osCode = record.GetOsCode();
    name = record.GetName();
    stored = 1;
}

void AppendCopiesOfRecords(CPtrList &copies)
{
    ConfigurationRefList refs;
    for (const ConfigurationRef &ref : GetConfigurationRefs(refs)) {
        ConfigurationCopy *copy = new ConfigurationCopy;
        copy->FillFromRecord(ref);
        copies.AddTail(copy);
    }
}
