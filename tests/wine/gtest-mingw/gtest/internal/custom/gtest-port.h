// Takes the place of GoogleTest's empty customisation header in the MinGW build.
// MinGW's win32 thread model has no std::mutex or std::condition_variable before GCC 13,
// and GoogleTest's Notification is built on them. Notification serves only GoogleTest's
// own thread tests, so a plain Win32 event does.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { ::CloseHandle(event_); }

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
