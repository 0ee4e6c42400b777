// Owners of Win32 handles: every closer of the backend, in one place.
#pragma once

#include <windows.h>
#include <oleacc.h>
#include <uxtheme.h>

#include "platform/unique_resource.h"

namespace brellix::platform::win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = unique_resource<HANDLE, HandleCloser>;

struct IconDestroyer {
    void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
using UniqueIcon = unique_resource<HICON, IconDestroyer>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
using UniqueGdiObject = unique_resource<HGDIOBJ, GdiObjectDeleter>;

struct MenuDestroyer {
    void operator()(HMENU menu) const noexcept { ::DestroyMenu(menu); }
};
using UniqueMenu = unique_resource<HMENU, MenuDestroyer>;

struct ModuleFreer {
    void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};
using UniqueModule = unique_resource<HMODULE, ModuleFreer>;

struct WindowDestroyer {
    void operator()(HWND window) const noexcept { ::DestroyWindow(window); }
};
using UniqueWindow = unique_resource<HWND, WindowDestroyer>;

struct ThemeCloser {
    void operator()(HTHEME theme) const noexcept { ::CloseThemeData(theme); }
};
using UniqueTheme = unique_resource<HTHEME, ThemeCloser>;

struct RegistryKeyCloser {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using RegistryKey = unique_resource<HKEY, RegistryKeyCloser>;

struct ComReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
using UniqueAccessible = unique_resource<IAccessible*, ComReleaser>;

}  // namespace brellix::platform::win32
