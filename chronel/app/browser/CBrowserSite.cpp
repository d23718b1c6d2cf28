#include "CBrowserSite.h"

#include "ComTypes.h"

CBrowserSite::CBrowserSite(HWND container, IDispatch* external) : m_container(container), m_external(external) {}

CBrowserSite::~CBrowserSite() { close(); }

HRESULT CBrowserSite::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *object = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IDocHostUIHandler))
        *object = static_cast<IDocHostUIHandler*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

bool CBrowserSite::embed()
{
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_object.putVoid())))
        return false;
    if (FAILED(m_object->SetClientSite(static_cast<IOleClientSite*>(this))))
        return false;
    RECT area;
    GetClientRect(m_container, &area);
    if (FAILED(m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_container,
                                &area)))
        return false;
    return SUCCEEDED(m_object.queryInterface(IID_IWebBrowser2, m_browser));
}

bool CBrowserSite::navigate(const std::wstring& url)
{
    if (!m_browser)
        return false;
    CBstr target(url);
    CVariant empty;
    return SUCCEEDED(m_browser->Navigate(target.get(), empty.get(), empty.get(), empty.get(), empty.get()));
}

void CBrowserSite::setVisible(bool visible)
{
    if (m_browser)
        m_browser->put_Visible(visible ? VARIANT_TRUE : VARIANT_FALSE);
}

bool CBrowserSite::refresh() { return m_browser && SUCCEEDED(m_browser->Refresh()); }

void CBrowserSite::resize()
{
    TComPtr<IOleInPlaceObject> inPlace;
    if (m_object && SUCCEEDED(m_object.queryInterface(IID_IOleInPlaceObject, inPlace))) {
        RECT area;
        GetClientRect(m_container, &area);
        inPlace->SetObjectRects(&area, &area);
    }
}

void CBrowserSite::close()
{
    if (!m_object)
        return;
    TComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(m_object.queryInterface(IID_IOleInPlaceObject, inPlace)))
        inPlace->InPlaceDeactivate();
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
    m_browser.reset();
    m_object.reset();
    m_external.reset();
}

HRESULT CBrowserSite::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT CBrowserSite::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_container;
    return S_OK;
}

HRESULT CBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(m_container, position);
    GetClientRect(m_container, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(m_container, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT CBrowserSite::OnPosRectChange(LPCRECT position)
{
    TComPtr<IOleInPlaceObject> inPlace;
    if (position && m_object && SUCCEEDED(m_object.queryInterface(IID_IOleInPlaceObject, inPlace)))
        inPlace->SetObjectRects(position, position);
    return S_OK;
}

HRESULT CBrowserSite::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info)
        return E_POINTER;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

HRESULT CBrowserSite::GetExternal(IDispatch** external)
{
    if (!external)
        return E_POINTER;
    *external = m_external.get();
    if (!*external)
        return E_NOTIMPL;
    (*external)->AddRef();
    return S_OK;
}
