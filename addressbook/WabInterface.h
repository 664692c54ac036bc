// The address-book library's interfaces, as this program calls them. The
// library (libwab32.so) implements them; its one export is WABOpen.
#pragma once

#include "properties/WabDefs.h"

#include <cstdint>
#include <memory>

// Base of every object the library hands out.
class IUnknown {
  public:
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

// One reference to a library object, released when its owner lets go.
struct ObjectReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using ObjectRef = std::unique_ptr<T, ObjectReleaser>;

// The library's allocator. A block from AllocateMore is chained to its head
// and freed with it by one FreeBuffer of the head.
class IWABObject : public IUnknown {
  public:
    virtual HRESULT AllocateBuffer(ULONG cbSize, void** lppBuffer) = 0;
    virtual HRESULT AllocateMore(ULONG cbSize, void* lpObject, void** lppBuffer) = 0;
    virtual ULONG FreeBuffer(void* lpBuffer) = 0;
};

class IMAPITable : public IUnknown {
  public:
    virtual HRESULT SetColumns(const SPropTagArray* lpPropTagArray, ULONG ulFlags) = 0;
    virtual HRESULT SeekRow(ULONG bkOrigin, LONG lRowCount, LONG* lplRowsSought) = 0;
    // Rows come in ascending display-name order; the row set and each row's
    // property records are library blocks.
    virtual HRESULT QueryRows(LONG lRowCount, ULONG ulFlags, SRowSet** lppRows) = 0;
};

class IMAPIProp : public IUnknown {
  public:
    // No tag list: every property, in stored order, as one library block.
    virtual HRESULT GetProps(const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                             SPropValue** lppPropArray) = 0;
};

class IMailUser : public IMAPIProp {};

class IABContainer : public IMAPIProp {
  public:
    virtual HRESULT GetContentsTable(ULONG ulFlags, IMAPITable** lppTable) = 0;
};

using DismissCallback = void (*)(std::uintptr_t ulUIParam, void* lpvContext);
using ButtonCallback = HRESULT (*)(std::uintptr_t ulUIParam, void* lpvContext, ULONG cbEntryID,
                                   const ENTRYID* lpEntryID, ULONG ulFlags);

class IAddrBook : public IUnknown {
  public:
    virtual HRESULT GetPAB(ULONG* lpcbEntryID, ENTRYID** lppEntryID) = 0;
    // Opens a container (the personal address book's id) or a mail user (a
    // contact's id); *lppUnk is an IABContainer or an IMailUser.
    virtual HRESULT OpenEntry(ULONG cbEntryID, const ENTRYID* lpEntryID, const void* lpInterface,
                              ULONG ulFlags, ULONG* lpulObjType, IUnknown** lppUnk) = 0;
    // Shows the library's own modal, read-only details window for the entry.
    virtual HRESULT Details(std::uintptr_t* lpulUIParam, DismissCallback lpfnDismiss,
                            void* lpvDismissContext, ULONG cbEntryID, const ENTRYID* lpEntryID,
                            ButtonCallback lpfButtonCallback, void* lpvButtonContext,
                            const char* lpszButtonText, ULONG ulFlags) = 0;
};

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};

struct WAB_PARAM {
    ULONG cbSize;  // sizeof(WAB_PARAM)
    void* hwnd;
    const char* szFileName;  // empty: the user's default book
    ULONG ulFlags;
    GUID guidPSExt;
};

// 0 opens the book and sets both objects; any other value is failure.
using LPWABOPEN = HRESULT (*)(IAddrBook** lppAdrBook, IWABObject** lppWABObject, WAB_PARAM* lpWP,
                              ULONG Reserved);

inline constexpr const char* kWabOpenExport = "WABOpen";
