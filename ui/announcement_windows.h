#pragma once

#include <windows.h>

#include <uiautomationcore.h>

namespace kavinto {

// UiaRaiseNotificationEvent, which MinGW's headers lack; found at run time
// in UIAutomationCore.dll (Windows 10 1709 and later). Tests replace it.
using RaiseNotification = HRESULT(WINAPI*)(IRawElementProviderSimple* provider, int kind,
                                           int processing, BSTR displayString, BSTR activityId);
RaiseNotification setRaiseNotification(RaiseNotification raise);

constexpr int kNotificationKindOther = 4;
constexpr int kNotificationProcessingImportantAll = 0;

}  // namespace kavinto
