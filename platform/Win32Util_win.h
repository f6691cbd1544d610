// Small Win32 helpers: owners for handles, UTF-8 <-> UTF-16, and the 32-bit handle form
// the engine and its front-ends exchange.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

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

// Owner of a kernel handle (file, process, mutex); move-only.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.h_;
            other.h_ = nullptr;
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset() {
        if (h_ != nullptr) {
            ::CloseHandle(h_);
            h_ = nullptr;
        }
    }

  private:
    HANDLE h_ = nullptr;
};

// Owner of a loaded library; move-only.
class UniqueModule {
  public:
    UniqueModule() = default;
    explicit UniqueModule(HMODULE m) : m_(m) {}
    UniqueModule(UniqueModule&& other) noexcept : m_(other.m_) { other.m_ = nullptr; }
    UniqueModule& operator=(UniqueModule&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ = other.m_;
            other.m_ = nullptr;
        }
        return *this;
    }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;
    ~UniqueModule() { Reset(); }

    HMODULE Get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }
    void Reset() {
        if (m_ != nullptr) {
            ::FreeLibrary(m_);
            m_ = nullptr;
        }
    }

  private:
    HMODULE m_ = nullptr;
};

}  // namespace popyo
