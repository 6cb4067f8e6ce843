#include "announcement_windows.h"

#include "announcement.h"

#include <QWidget>

namespace kavinto {
namespace {

using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);

HMODULE automationCore() {
    static const HMODULE module = LoadLibraryW(L"UIAutomationCore.dll");
    return module;
}

template <typename F>
F resolve(const char* name) {
    return automationCore() ? reinterpret_cast<F>(
                                  reinterpret_cast<void*>(GetProcAddress(automationCore(), name)))
                            : nullptr;
}

RaiseNotification& raiser() {
    static RaiseNotification raise = resolve<RaiseNotification>("UiaRaiseNotificationEvent");
    return raise;
}

}  // namespace

RaiseNotification setRaiseNotification(RaiseNotification raise) {
    const RaiseNotification previous = raiser();
    raiser() = raise;
    return previous;
}

void raisePlatformNotification(QWidget* source, const QString& text) {
    static const auto hostProvider = resolve<HostProviderFromHwnd>("UiaHostProviderFromHwnd");
    const RaiseNotification raise = raiser();
    if (!raise || !hostProvider || !source || !source->window()->windowHandle())
        return;
    IRawElementProviderSimple* provider = nullptr;
    const HWND window = reinterpret_cast<HWND>(source->window()->winId());
    if (FAILED(hostProvider(window, &provider)) || !provider)
        return;
    BSTR display =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()), UINT(text.size()));
    BSTR activity = SysAllocString(L"kavinto");
    raise(provider, kNotificationKindOther, kNotificationProcessingImportantAll, display, activity);
    SysFreeString(activity);
    SysFreeString(display);
    provider->Release();
}

}  // namespace kavinto
