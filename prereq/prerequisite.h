#pragma once
// One PreReq%d or PostReq%d section of the setup ini file as a plain value record.
#include "foundation/ini_text.h" // VersionWords
#include "foundation/sha256_text.h"
#include "prereq/reg_condition.h"

#include <string>
#include <vector>

// Optional key of a section: 2 no entry (required), 1 "Optional=0", 0 any other value.
enum OptionalStates { OptionalTicked = 0, OptionalUnticked = 1, OptionalRequired = 2 };

struct Prerequisite {
    std::wstring Name;
    std::wstring Url;
    // The installer file that InstPath (or InstRegPath's program) names, placed once when the
    // section is read (program_path.h): no user of the record needs the text as written.
    std::wstring InstPath;
    std::wstring InstParams;
    std::wstring UpdateParams;
    int IsUninstall = 0;
    int AdminNeed = 0;
    int RunAs = 0;
    int OSbit = 0;
    int OSver = 0;
    std::wstring FilePath;
    VersionWords FileVer;
    int FileTryLoad = 0;
    std::wstring MsiProd;
    RegConditionList RegConds;
    std::wstring ChooseDownload;
    std::wstring RunExeCond;
    int Key64 = 0;
    bool Present = false;
    int OptionalState = OptionalRequired;
    std::wstring Note;
    std::wstring SkipIfFoundInPath;
    bool Selected = true;
    int UseUpdateParams = 0;
    // SHA-256 that the installer file must have to run (64 hex digits as written); "" none.
    std::wstring InstHash;
    // Where the installer is fetched from when no file matches InstPath (only with InstHash).
    std::wstring DownloadUrl;
    // InstPath names a file this run downloaded; its hash was taken as it arrived.
    bool Downloaded = false;
    Sha256Digest DownloadedHash;
};

using PrerequisiteList = std::vector<Prerequisite>;
