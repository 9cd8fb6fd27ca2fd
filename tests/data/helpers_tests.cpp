// The shared helpers: the installer error message, OS names, the shareable
// registry test, conflict-resolution words and the reference lists.
#include "data_fixture.h"

#include <string.h>

typedef DataTest ErrorReport;

// The library's own text after the doing, or a fixed line when it gave none.
TEST_F(ErrorReport, TheMessageCarriesTheLibrarysTextOrSaysThereWasNone)
{
    Lay("home C:\\H1\n");
    SetEnvironmentVariableA("VELKAN_INSTALL", (inst.Directory() + "\\nowhere").c_str());
    kxc::Context ctx;
    ctx.Open();
    kxc::Failure failure, silent;
    ASSERT_FALSE(ctx.MakeTempFiles(&failure));
    ASSERT_TRUE(failure.gaveReason);
    silent.doing = "retrieving Velkan Homes";
    EXPECT_EQ(0, ReportInstallerError(failure));
    EXPECT_EQ(0, ReportInstallerError(silent));
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ("An error occurred in the Installer API:making the temporary files:\n\n" + failure.reason,
              boxes.calls[0].text);
    EXPECT_EQ("An error occurred in the Installer API:retrieving Velkan Homes:\n\nNO MESSAGE PROVIDED",
              boxes.calls[1].text);
}

typedef DataTest OsNames;

TEST_F(OsNames, KeywordsIgnoreCaseButNotPrefixes)
{
    EXPECT_EQ(2, OsCodeFromKeyword("WIN95"));
    EXPECT_EQ(1, OsCodeFromKeyword("win32"));
    EXPECT_EQ(5, OsCodeFromKeyword("NetWare"));
    EXPECT_EQ(7, OsCodeFromKeyword("dos"));
    EXPECT_EQ(0, OsCodeFromKeyword("win"));
    EXPECT_EQ(0, OsCodeFromKeyword("win955"));
    EXPECT_EQ(0, OsCodeFromKeyword(""));
    EXPECT_EQ(0, OsCodeFromKeyword(NULL));
}

TEST_F(OsNames, DisplayTextsComeFromTheLanguageLibraryAndReadBack)
{
    const char *expected[] = { "(none)", "Windows (32-bit)", "Windows 95", "Windows NT", "OS/2",
                               "NetWare", "Windows 3.x", "DOS" };
    for (int code = 0; code <= 7; code++)
        EXPECT_EQ(expected[code], std::string(OsDisplayName(code))) << code;
    EXPECT_EQ("(none)", std::string(OsDisplayName(8)));
    EXPECT_EQ("(none)", std::string(OsDisplayName(-1)));
    for (int code = 1; code <= 7; code++)
        EXPECT_EQ(code, OsCodeFromDisplayName(expected[code])) << code;
    EXPECT_EQ(0, OsCodeFromDisplayName("(none)"));
    EXPECT_EQ(0, OsCodeFromDisplayName("windows nt"));   // case-sensitive
    EXPECT_EQ(0, OsCodeFromDisplayName(""));
    EXPECT_EQ(0, OsCodeFromDisplayName(NULL));
}

TEST_F(OsNames, SameTextIsExact)
{
    EXPECT_EQ(1, SameText("TRUE", "TRUE"));
    EXPECT_EQ(0, SameText("TRUE", "True"));
    EXPECT_EQ(0, SameText("TRUE", "TRUE "));
    EXPECT_EQ(1, SameText("", NULL));
    EXPECT_EQ(1, SameText("\x82\xa0", "\x82\xa0"));
    EXPECT_EQ(0, SameText("\x82\xa0", "\x82\xa1"));
}

// Registry values under the key IsShareable reads; each test names its own
// products so nothing depends on what another test left.
class Shareable : public DataTest
{
protected:
    void Set(const char *product, DWORD type, const void *data, DWORD size)
    {
        std::string path = std::string("SOFTWARE\\VELKAN\\BACKUP\\") + product;
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_SET_VALUE,
                                                 NULL, &key, NULL));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Shareable", 0, type, (const BYTE *)data, size));
        RegCloseKey(key);
    }
};

TEST_F(Shareable, OnlyTheExactWordTrueCounts)
{
    Set("dt share sz", REG_SZ, "TRUE", 5);
    Set("dt share lower", REG_SZ, "true", 5);
    Set("dt share false", REG_SZ, "FALSE", 6);
    Set("dt share blank", REG_SZ, "TRUE ", 6);
    EXPECT_EQ(1, IsShareable("dt share sz"));
    EXPECT_EQ(0, IsShareable("dt share lower"));
    EXPECT_EQ(0, IsShareable("dt share false"));
    EXPECT_EQ(0, IsShareable("dt share blank"));
    EXPECT_EQ(0, IsShareable("dt share never written"));
}

TEST_F(Shareable, TypeIsNotLookedAtAndNoTerminatorIsNeeded)
{
    Set("dt share binary", REG_BINARY, "TRUE", 4);         // no terminating zero
    Set("dt share expand", REG_EXPAND_SZ, "TRUE", 5);
    EXPECT_EQ(1, IsShareable("dt share binary"));
    EXPECT_EQ(1, IsShareable("dt share expand"));
}

TEST_F(Shareable, ValueTooLongForTheBufferIsNotShareable)
{
    std::string big(2000, 'X');
    memcpy(&big[0], "TRUE", 5);   // "TRUE\0XXX...": a prefix must not pass
    Set("dt share long", REG_BINARY, big.data(), (DWORD)big.size());
    EXPECT_EQ(0, IsShareable("dt share long"));

    char buffer[REGISTRY_VALUE_SIZE + 1];
    memset(buffer, 'Z', sizeof buffer);
    std::string exact(REGISTRY_VALUE_SIZE, 'A');
    Set("dt share exact", REG_BINARY, exact.data(), (DWORD)exact.size());
    EXPECT_EQ(ERROR_SUCCESS, ReadRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VELKAN\\BACKUP\\dt share exact",
                                               "Shareable", buffer));
    EXPECT_EQ(exact, std::string(buffer));   // terminated right after the 1024 bytes
    EXPECT_NE(ERROR_SUCCESS, ReadRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VELKAN\\BACKUP\\dt share none",
                                               "Shareable", buffer));
    EXPECT_STREQ("", buffer);
}

typedef DataTest Resolution;

TEST_F(Resolution, WordsCompareExactly)
{
    ConflictResolution r;
    r.FromWords("administrator", "download", "mandatory");
    EXPECT_EQ(1, r.administrator);
    EXPECT_EQ(2, r.location);
    EXPECT_EQ(1, r.mandatory);
    r.FromWords("Administrator", "Shared", "MANDATORY");
    EXPECT_EQ(0, r.administrator);
    EXPECT_EQ(1, r.location);   // anything but "shared"/"download" reads local
    EXPECT_EQ(0, r.mandatory);
    r.FromWords("user", "shared", "optional");
    EXPECT_EQ(0, r.administrator);
    EXPECT_EQ(0, r.location);
    EXPECT_EQ(0, r.mandatory);
    r.FromWords(NULL, NULL, NULL);
    EXPECT_EQ(1, r.location);
}

TEST_F(Resolution, FieldsGiveWordsAndOutOfRangeLocationIsLocal)
{
    ConflictResolution r(1, 1, 5);
    EXPECT_STREQ("administrator", r.AdministratorWord());
    EXPECT_STREQ("local", r.LocationWord());
    EXPECT_STREQ("mandatory", r.MandatoryWord());
    r.location = 2;
    EXPECT_STREQ("download", r.LocationWord());
    r.Reset();
    EXPECT_STREQ("user", r.AdministratorWord());
    EXPECT_STREQ("shared", r.LocationWord());
    EXPECT_STREQ("optional", r.MandatoryWord());
}

TEST_F(Resolution, InstallationDefaultRoundTripsAndAFailedReadIsAllZero)
{
    Lay("resolution user | download | mandatory\n");
    ConflictResolution r;
    ASSERT_EQ(1, r.ReadFromInstaller());
    EXPECT_EQ(0, r.administrator);
    EXPECT_EQ(2, r.location);
    EXPECT_EQ(1, r.mandatory);

    ChangeSet changes;
    changes.writeDefault = 1;
    changes.defaults = ConflictResolution(1, 0, 5);
    ASSERT_EQ(1, StoreChanges(changes));
    ConflictResolution back;
    ASSERT_EQ(1, back.ReadFromInstaller());
    EXPECT_EQ(1, back.administrator);
    EXPECT_EQ(1, back.location);   // 5 went out as "local"
    EXPECT_EQ(0, back.mandatory);
    EXPECT_TRUE(boxes.calls.empty());

    // A corrupt store: one message, and the record reads user/shared/optional.
    ASSERT_TRUE(layout::WriteWholeFile(inst.StoreFile("config.kxs"), "this is no store"));
    ConflictResolution failed(1, 1, 2);
    EXPECT_EQ(0, failed.ReadFromInstaller());
    EXPECT_EQ(0, failed.administrator);
    EXPECT_EQ(0, failed.location);
    EXPECT_EQ(0, failed.mandatory);
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[0].text.find("An error occurred in the Installer API:getting conflict resolution:\n\n"));

    EXPECT_EQ(0, changes.defaults.WriteToInstaller());
    ASSERT_EQ(2u, boxes.calls.size());
    EXPECT_EQ(0u, boxes.calls[1].text.find("An error occurred in the Installer API:setting conflict resolution:\n\n"));
}

typedef DataTest RefLists;

TEST_F(RefLists, CopiesShareOneArrayUntilEitherChanges)
{
    Lay("home H\nproduct A | label=a | version=1 | size=1\nproduct B | label=b | version=1 | size=1\n");
    ProductRefList all;
    GetProductRefs(all);
    ProductRefList copy = all;
    EXPECT_EQ(all.begin(), copy.begin());
    copy.Append(ProductRef("Gone"));
    EXPECT_NE(all.begin(), copy.begin());
    EXPECT_EQ((std::vector<int>{ 0, 1 }), KeysOf(all));
    EXPECT_EQ((std::vector<int>{ 0, 1, -1 }), KeysOf(copy));
    all.RemoveAll();
    EXPECT_EQ(3, copy.GetCount());

    // A name or key that no record has is kept once, however often named.
    EXPECT_EQ(copy[2].Target(), ProductRef("Gone").Target());
    EXPECT_EQ(ProductRef(7).Target(), ProductRef(7).Target());
    EXPECT_NE(ProductRef(7).Target(), ProductRef(8).Target());
    EXPECT_EQ(ProductRef("B").GetRecord(), ProductRef(1).GetRecord());
}
