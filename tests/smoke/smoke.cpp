#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, CreatesWindow) {
  HWND h = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  DestroyWindow(h);
}
