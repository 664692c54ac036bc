// A fake address-book library for the session's tests: a MODULE library that
// exports WABOpen and GetFakeWabState, whose behaviour each test sets and whose
// calls each test counts.
#pragma once

#include "properties/PropertyTags.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

struct FakeEntry {
    std::string name;
    std::vector<BYTE> id;
    LONG objectType = static_cast<LONG>(MAPI_MAILUSER);
    // The contents-table row: a tag of another type marks a missing value.
    ULONG tags[3] = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
    bool noProps = false;                              // no property records at all
    bool nullName = false;                             // the display name a null pointer
    bool failOpen = false;                             // OpenEntry and Details on this id fail
    std::vector<std::pair<ULONG, std::string>> props;  // PT_STRING8 properties
};

struct FakeWabState {
    HRESULT openResult = S_OK;
    HRESULT getPabResult = S_OK;
    HRESULT openContainerResult = S_OK;
    bool containerIsMailUser = false;
    HRESULT contentsResult = S_OK;
    HRESULT setColumnsResult = S_OK;
    HRESULT seekResult = S_OK;
    // The 0-based QueryRows call that gives no row set; counted down.
    int queryFailAt = -1;
    HRESULT queryFailCode = MAPI_E_CORRUPT_DATA;
    HRESULT queryEndResult = S_OK;  // the result of the call that gives no row
    bool getPropsNoArray = false;
    int failAllocateBuffer = -1;  // 0-based call that gives no block; counted down
    int failAllocateMore = -1;
    std::vector<FakeEntry> entries;

    // What the session did.
    std::string fileName;
    long liveBlocks = 0;
    int badFrees = 0;  // frees of unknown blocks, or after the allocator was released
    long liveObjects = 0;
    int detailsCalls = 0;
    std::vector<BYTE> detailsId;
    std::map<void*, std::vector<void*>> blocks;  // live head -> its chained blocks
};

using FakeWabStateFunction = FakeWabState* (*)();
