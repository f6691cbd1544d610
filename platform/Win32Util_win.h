// Small Win32 helpers: owners for handles, UTF-8 <-> UTF-16, and the 32-bit handle form
// the engine and its front-ends exchange.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "platform/Geometry.h"
#include "platform/Monitors.h"

namespace popyo {

// The caption of the framework's error boxes until the engine says which language it speaks.
inline constexpr wchar_t kApplicationTitle[] = L"Qovポピョンと！Engine";

// Window handles travel as 32-bit values; 64-bit Windows keeps them sign-extended.
inline HWND ToHwnd(Hwnd wnd) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(wnd)));
}
inline Hwnd FromHwnd(HWND wnd) {
    return static_cast<Hwnd>(reinterpret_cast<UINT_PTR>(wnd));
}

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Each monitor's rectangle (EnumDisplayMonitors, GetMonitorInfo).
MonitorList EnumerateMonitors();

// Owner of one Win32 resource, given back by `Release` when the owner ends; move-only. A
// null value owns nothing.
template <class T, auto Release>
class UniqueOwner {
  public:
    UniqueOwner() = default;
    explicit UniqueOwner(T value) : value_(value) {}
    UniqueOwner(UniqueOwner&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { Reset(); }

    T Get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }
    void Reset() {
        if (value_ != nullptr) {
            Release(value_);
            value_ = nullptr;
        }
    }

  private:
    T value_ = nullptr;
};

// Owner of a kernel handle (file, process, mutex). Calls that open one answer null or
// INVALID_HANDLE_VALUE when they fail: either owns nothing.
class UniqueHandle : public UniqueOwner<HANDLE, &::CloseHandle> {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : UniqueOwner(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

// Owner of a loaded library.
using UniqueModule = UniqueOwner<HMODULE, &::FreeLibrary>;

}  // namespace popyo
