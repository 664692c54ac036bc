// A fake address-book library for the session's tests: a MODULE library that
// exports WABOpen and GetFakeWabState, whose behaviour each test sets and whose
// calls each test counts.
#pragma once

#include "addressbook/WabDefs.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// How a contents-table row is shaped.
enum class RowShape {
    Good,
    NameMissing,  // display name column of type PT_ERROR
    NameNull,     // PT_STRING8 with a null pointer
    IdMissing,    // entry id column of type PT_ERROR
    IdEmpty,      // PT_BINARY with no bytes
    TypeMissing,  // object type column of type PT_ERROR
    TwoColumns,   // only two values
    NoProps,      // no property records at all
};

struct FakeEntry {
    std::string name;
    std::vector<BYTE> id;
    LONG objectType = static_cast<LONG>(MAPI_MAILUSER);
    RowShape shape = RowShape::Good;
    bool failOpen = false;                             // OpenEntry on this id fails
    std::vector<std::pair<ULONG, std::string>> props;  // PT_STRING8 properties
};

struct FakeWabState {
    // Behaviour.
    HRESULT openResult = S_OK;
    HRESULT getPabResult = S_OK;
    bool pabNullId = false;
    HRESULT openContainerResult = S_OK;
    bool containerIsMailUser = false;
    HRESULT contentsResult = S_OK;
    HRESULT setColumnsResult = S_OK;
    HRESULT seekResult = S_OK;
    int queryFailAt = -1;  // 0-based QueryRows call that fails
    HRESULT queryFailCode = MAPI_E_CALL_FAILED;
    HRESULT queryEndResult = S_OK;  // the result of the call that gives no row
    bool getPropsNoArray = false;
    HRESULT getPropsResult = S_OK;
    std::set<int> failAllocateBuffer;  // 0-based public calls that give no block
    std::set<int> failAllocateMore;
    std::vector<FakeEntry> entries;

    // Observations.
    std::string fileName;
    ULONG paramSize = 0;
    int allocateBufferCalls = 0;
    int allocateMoreCalls = 0;
    int queryRowsCalls = 0;
    long liveBlocks = 0;
    int badFrees = 0;  // frees of unknown blocks, or after the allocator was released
    long liveObjects = 0;
    std::vector<std::string> events;  // "FreeBuffer", "Release IAddrBook", ...
    int detailsCalls = 0;
    std::vector<BYTE> detailsId;
    std::map<void*, std::vector<void*>> blocks;  // head -> chained blocks
};

using FakeWabStateFunction = FakeWabState* (*)();
