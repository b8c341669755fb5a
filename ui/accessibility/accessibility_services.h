#pragma once
// The production side of the window's accessibility seams: naming a control and
// speaking a sentence.

#include <windows.h>

#include <string>

namespace calderwynfell {

// Dynamic Annotation of the control's client object (IAccPropServices).
HRESULT annotateAccessibleName(HWND control, const wchar_t* name);
// A UI Automation notification, when uiautomationcore.dll offers it (Windows 10 1709+).
void raiseUiaNotification(HWND window, const std::wstring& text);

}  // namespace calderwynfell
