// The browser tabs on Win32: the system web-browser control (IWebBrowser2)
// in a minimal OLE container of our own. The site answers the document host's
// questions (no 3-D border, no scroll bars, no help menu, Ctrl+N swallowed)
// and listens to the control's events for the new-window rule. Where the
// control or its document engine cannot be had, or a page does not load, the
// tab shows a short notice of ours with a link to open the address in the
// default browser instead of the engine's own error page.
#include <windows.h>
// The OLE and browser-control headers need windows.h first.
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ole2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/win32/win32_browser.h"
#include "gui/win32/win32_gui.h"
#include "i18n/i18n.h"
#include "platform/debug_log.h"
#include "platform/shell.h"

namespace kestrune::gui::win32 {
namespace {

constexpr wchar_t kContainerClass[] = L"KestruneBrowserHost";
constexpr wchar_t kNoticeClass[] = L"KestruneBrowserNotice";
constexpr char kNoticeText[] = "页面暂时无法显示，请检查网络连接后重试。";
constexpr char kNoticeLink[] = "在默认浏览器中打开此页面";

std::vector<class Win32Browser*> g_browsers;

// The HTML document object of the browser control's engine (mshtml); not in
// MinGW's uuid library.
constexpr CLSID kHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

bool DocumentEngineAvailable() {
  // The control itself loads without its document engine and then shows
  // nothing at all; asking for a document object tells the two apart.
  static const bool available = [] {
    IUnknown* doc = nullptr;
    HRESULT hr = ::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&doc));
    if (SUCCEEDED(hr) && doc) {
      doc->Release();
      return true;
    }
    DebugLogF("browser: no document engine (0x%08lx)", static_cast<unsigned long>(hr));
    return false;
  }();
  return available;
}

std::string BstrText(const VARIANT* v) {
  if (!v) return {};
  const VARIANT* value = v;
  if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) value = v->pvarVal;
  if (value->vt == VT_BSTR && value->bstrVal) return Narrow(value->bstrVal);
  if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal && *value->pbstrVal)
    return Narrow(*value->pbstrVal);
  return {};
}

// COM interfaces are released, never deleted through a base pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Win32Browser final : public Browser,
                           public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleInPlaceFrame,
                           public IDocHostUIHandler,
                           public IDispatch {
 public:
  Win32Browser(HWND parent, const Rect& rect) : rect_(rect) {
    container_ =
        ::CreateWindowExW(0, kContainerClass, L"", WS_CHILD | WS_CLIPCHILDREN, rect.x, rect.y,
                          rect.width, rect.height, parent, nullptr, Instance(), nullptr);
    notice_ = ::CreateWindowExW(0, kNoticeClass, L"", WS_CHILD, 0, 0, rect.width, rect.height,
                                container_, nullptr, Instance(), this);
    g_browsers.push_back(this);
    if (DocumentEngineAvailable()) CreateControl();
  }

  ~Win32Browser() override {
    g_browsers.erase(std::find(g_browsers.begin(), g_browsers.end(), this));
    if (cookie_ && points_) points_->Unadvise(cookie_);
    if (points_) points_->Release();
    if (browser_) {
      browser_->Stop();
      browser_->Release();
    }
    if (inPlace_) {
      inPlace_->InPlaceDeactivate();
      inPlace_->Release();
    }
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
    }
    ::DestroyWindow(container_);
  }

  // Browser
  void Navigate(const std::string& url) override {
    url_ = url;
    DebugLogF("browser: navigate %s", url.c_str());
    if (!browser_) {
      ShowNotice(true);
      return;
    }
    ShowNotice(false);
    std::wstring wide = Wide(url);
    BSTR address = ::SysAllocString(wide.c_str());
    VARIANT empty;
    ::VariantInit(&empty);
    HRESULT hr = browser_->Navigate(address, &empty, &empty, &empty, &empty);
    ::SysFreeString(address);
    if (FAILED(hr)) ShowNotice(true);
  }
  void SetVisible(bool visible) override {
    ::ShowWindow(container_, visible ? SW_SHOWNA : SW_HIDE);
  }
  std::string CurrentUrl() const override { return url_; }

  bool NoticeShown() const { return ::IsWindowVisible(notice_) != 0; }
  HWND Container() const { return container_; }
  const std::string& Address() const { return url_; }

  // Keys for the page: the control's accelerators (and our Ctrl+N rule)
  // come first. True when the key was used.
  bool Translate(MSG* msg) {
    if (!browser_ || (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)) return false;
    if (msg->hwnd != container_ && !::IsChild(container_, msg->hwnd)) return false;
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(browser_->QueryInterface(IID_IOleInPlaceActiveObject,
                                        reinterpret_cast<void**>(&active))))
      return false;
    bool used = active->TranslateAccelerator(msg) == S_OK;
    active->Release();
    return used;
  }

  // IUnknown (one object, one count; the owner's unique_ptr frees it)
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDocHostUIHandler)
      *out = static_cast<IDocHostUIHandler*>(this);
    else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = container_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    RECT client{0, 0, rect_.width, rect_.height};
    *pos = client;
    *clip = client;
    info->fMDIApp = FALSE;
    info->hwndFrame = ::GetAncestor(container_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no menus, no tool space.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    info->cbSize = sizeof *info;
    info->dwFlags = DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER |
                    DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE |
                    DOCHOSTUIFLAG_THEME;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_OK;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override {
    // Ctrl+N would open a window of the control's own.
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == 'N' && ::GetKeyState(VK_CONTROL) < 0)
      return S_OK;
    return S_FALSE;
  }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    *key = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** out) override {
    *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    *out = nullptr;
    return S_FALSE;
  }

  // IDispatch: the control's events (DWebBrowserEvents2)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    switch (id) {
      case DISPID_NEWWINDOW3:
        // (ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl), last first.
        if (params && params->cArgs >= 5) {
          std::string url = BstrText(&params->rgvarg[0]);
          DebugLogF("browser: new window %s", url.c_str());
          VARIANT& cancel = params->rgvarg[3];
          if (OnNewWindow && OnNewWindow(url) && cancel.vt == (VT_BYREF | VT_BOOL))
            *cancel.pboolVal = VARIANT_TRUE;
        }
        return S_OK;
      case DISPID_NAVIGATEERROR:
        // (pDisp, URL, TargetFrameName, StatusCode, Cancel), last first.
        if (params && params->cArgs >= 5) {
          DebugLogF("browser: %s could not be loaded", BstrText(&params->rgvarg[3]).c_str());
          VARIANT& cancel = params->rgvarg[0];
          if (cancel.vt == (VT_BYREF | VT_BOOL)) *cancel.pboolVal = VARIANT_TRUE;
        }
        ShowNotice(true);
        return S_OK;
      case DISPID_DOCUMENTCOMPLETE:
        if (params && params->cArgs >= 2)
          DebugLogF("browser: loaded %s", BstrText(&params->rgvarg[0]).c_str());
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  void PaintNotice(HDC dc) {
    RECT r;
    ::GetClientRect(notice_, &r);
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HFONT font = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0,
                               0, 0, L"微软雅黑");
    HFONT linkFont = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, GB2312_CHARSET, 0,
                                   0, 0, 0, L"微软雅黑");
    HGDIOBJ old = ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0x33, 0x33, 0x33));
    RECT text{r.left, r.top + 170, r.right, r.top + 200};
    const std::wstring noticeText = Wide(i18n::Tr(kNoticeText));
    const std::wstring noticeLink = Wide(i18n::Tr(kNoticeLink));
    ::DrawTextW(dc, noticeText.c_str(), -1, &text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, linkFont);
    ::SetTextColor(dc, RGB(0x30, 0x81, 0xBA));
    link_ = {r.left, r.top + 205, r.right, r.top + 235};
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, noticeLink.c_str(), static_cast<int>(noticeLink.size()), &extent);
    link_.left = (r.right - extent.cx) / 2;
    link_.right = link_.left + extent.cx;
    ::DrawTextW(dc, noticeLink.c_str(), -1, &link_, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteObject(linkFont);
  }

  void NoticeClick(int x, int y) {
    POINT p{x, y};
    if (!::PtInRect(&link_, p) || url_.empty()) return;
    DebugLogF("browser: opening %s in the default browser", url_.c_str());
    platform::ShellOpenTarget(url_, {});
  }
  bool OverLink(int x, int y) const {
    POINT p{x, y};
    return ::PtInRect(&link_, p) != 0;
  }

 private:
  void CreateControl() {
    HRESULT hr = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    reinterpret_cast<void**>(&object_));
    if (FAILED(hr) || !object_) {
      DebugLogF("browser: the control cannot be created (0x%08lx)", static_cast<unsigned long>(hr));
      object_ = nullptr;
      return;
    }
    object_->SetClientSite(static_cast<IOleClientSite*>(this));
    RECT client{0, 0, rect_.width, rect_.height};
    hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                         container_, &client);
    if (SUCCEEDED(hr))
      object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_));
    if (FAILED(hr) ||
        FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) {
      DebugLog("browser: the control cannot be placed in the tab");
      browser_ = nullptr;
      return;
    }
    if (inPlace_) inPlace_->SetObjectRects(&client, &client);
    browser_->put_Silent(VARIANT_TRUE);
    IConnectionPointContainer* points = nullptr;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&points)))) {
      if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &points_)))
        points_->Advise(static_cast<IDispatch*>(this), &cookie_);
      points->Release();
    }
  }

  void ShowNotice(bool show) {
    if (show) DebugLogF("browser: notice shown for %s", url_.c_str());
    ::ShowWindow(notice_, show ? SW_SHOWNA : SW_HIDE);
    if (show) {
      ::SetWindowPos(notice_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      ::InvalidateRect(notice_, nullptr, TRUE);
    }
  }

  Rect rect_;
  std::string url_;
  HWND container_ = nullptr;
  HWND notice_ = nullptr;
  RECT link_{};
  IOleObject* object_ = nullptr;
  IOleInPlaceObject* inPlace_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  IConnectionPoint* points_ = nullptr;
  DWORD cookie_ = 0;
  ULONG refs_ = 1;
};
#pragma GCC diagnostic pop

LRESULT CALLBACK NoticeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Browser*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      if (self) self->PaintNotice(dc);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONUP:
      if (self)
        self->NoticeClick(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_SETCURSOR: {
      POINT p;
      ::GetCursorPos(&p);
      ::ScreenToClient(hwnd, &p);
      ::SetCursor(::LoadCursorW(nullptr, self && self->OverLink(p.x, p.y) ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    default:
      return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW container{sizeof container};
  container.lpfnWndProc = ::DefWindowProcW;
  container.hInstance = Instance();
  container.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  container.lpszClassName = kContainerClass;
  ::RegisterClassExW(&container);
  WNDCLASSEXW notice{sizeof notice};
  notice.lpfnWndProc = NoticeProc;
  notice.hInstance = Instance();
  notice.lpszClassName = kNoticeClass;
  ::RegisterClassExW(&notice);
}

}  // namespace

std::unique_ptr<Browser> CreateBrowserIn(HWND parent, const Rect& rect) {
  RegisterClasses();
  return std::make_unique<Win32Browser>(parent, rect);
}

bool TranslateBrowserKey(MSG* msg) {
  for (Win32Browser* browser : g_browsers)
    if (browser->Translate(msg)) return true;
  return false;
}

}  // namespace kestrune::gui::win32
