#include "wab32/MailUser.h"

#include "wab32/PropertyBlock.h"

namespace wab32 {

// Asks for Unicode strings, which a book does not hold.
inline constexpr ULONG kMapiUnicode = 0x80000000u;

CWabMailUser::CWabMailUser(ULONG objectType, std::string blob)
    : m_objectType(objectType), m_blob(std::move(blob)) {}

HRESULT CWabMailUser::GetProps(const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                               SPropValue** lppPropArray) {
    if (lpcValues == nullptr || lppPropArray == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lpcValues = 0;
    *lppPropArray = nullptr;
    if ((ulFlags & kMapiUnicode) != 0) {
        return MAPI_E_NO_SUPPORT;
    }
    if (lpPropTagArray != nullptr && lpPropTagArray->cValues > 0 &&
        lpPropTagArray->aulPropTag == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    const HRESULT selected = SelectProperties(m_blob, lpPropTagArray, m_views);
    if (FAILED(selected)) {
        return selected;
    }
    const HRESULT built = BuildPropertyBlock(m_views, lppPropArray);
    if (FAILED(built)) {
        return built;
    }
    *lpcValues = static_cast<ULONG>(m_views.size());
    return selected;
}

ULONG CWabMailUser::Release() {
    const ULONG left = m_ref.Drop();
    if (left == 0) {
        delete this;
    }
    return left;
}

}  // namespace wab32
