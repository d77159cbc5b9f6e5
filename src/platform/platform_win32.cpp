#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/wide_text_win32.h"
#include "platform/windows_path.h"

// Test builds set this to keep the painted window on screen long enough for a
// screenshot; shipped builds leave it at 0.
#ifndef SCENARIO_HOLD_WINDOW_MS
#define SCENARIO_HOLD_WINDOW_MS 0
#endif

namespace scenario {
namespace {

constexpr char kWindowClass[] = "ScenarioBuilderForm1";

// The window's layout, in twips (1/1440 inch).
constexpr int kClientWidthTw = 4200;
constexpr int kClientHeightTw = 2688;
constexpr int kLabelLeftTw = 960;
constexpr int kLabelTopTw = 960;
constexpr int kLabelWidthTw = 2652;
constexpr int kLabelHeightTw = 792;

constexpr char kLabelFont[] = "MS Sans Serif";
constexpr int kLabelFontPoints = 24;

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW;

// The full path of the running executable, as UTF-8. The wide call keeps
// every character of the folder's name (the narrow one turns those outside
// the ANSI code page into "?"). It truncates without failing when the buffer
// is short, so a full buffer means "retry with a larger one".
std::string module_file_name() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      throw FileError(kErrPathFileAccess, "cannot find the program's directory (error " +
                                              std::to_string(::GetLastError()) + ")");
    }
    // A program started through an extended-length path gets its name back
    // with the prefix; without it the directory joins with names like any
    // other, and the prefix goes on again where a path needs it.
    if (n < buffer.size()) return without_long_prefix(to_utf8(std::wstring_view(buffer.data(), n)));
    buffer.resize(buffer.size() * 2);
  }
}

// The application's default title: the executable's file name without its
// extension.
std::string application_title() {
  std::string name = module_file_name();
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0) name.erase(dot);
  return name;
}

// Pixels for a length in twips at `dpi` logical pixels per inch, rounded to
// the nearest pixel.
int twips_to_pixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  ~Win32Platform() override { destroy_window(); }

  std::string program_directory() override {
    const std::string exe = module_file_name();
    const size_t slash = exe.rfind('\\');
    if (slash == std::string::npos) return ".";
    // A drive's root keeps its backslash ("X:\"): "X:" alone would mean the
    // drive's current directory. Joining then gives "X:\\name", which the
    // file functions accept.
    if (slash == 2 && exe[1] == ':') return exe.substr(0, 3);
    return exe.substr(0, slash);
  }

  std::string executable_path() override { return module_file_name(); }

  char path_separator() const override { return '\\'; }

  void show_window(const std::string& title, const std::string& label) override {
    destroy_window();
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    register_class(instance);

    // Without this a scaled display reports 96 dpi and Windows stretches the
    // finished bitmap; aware, the twips give the same size in sharp pixels.
    ::SetProcessDPIAware();
    int dpi_x = 96;
    int dpi_y = 96;
    if (HDC screen = ::GetDC(nullptr)) {
      dpi_x = ::GetDeviceCaps(screen, LOGPIXELSX);
      dpi_y = ::GetDeviceCaps(screen, LOGPIXELSY);
      ::ReleaseDC(nullptr, screen);
    }

    RECT frame{0, 0, twips_to_pixels(kClientWidthTw, dpi_x),
               twips_to_pixels(kClientHeightTw, dpi_y)};
    ::AdjustWindowRect(&frame, kFormStyle, FALSE);
    window_ = ::CreateWindowExA(0, kWindowClass, title.c_str(), kFormStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
    if (window_ == nullptr) {
      throw FileError(kErrPathFileAccess,
                      "cannot create the window (error " + std::to_string(::GetLastError()) + ")");
    }

    // A static control paints its text on the brush its parent hands it for
    // WM_CTLCOLORSTATIC; the default one is the standard button-face colour,
    // so the label is opaque in the standard colours without further work.
    HWND label_window = ::CreateWindowExA(
        0, "STATIC", label.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT,
        twips_to_pixels(kLabelLeftTw, dpi_x), twips_to_pixels(kLabelTopTw, dpi_y),
        twips_to_pixels(kLabelWidthTw, dpi_x), twips_to_pixels(kLabelHeightTw, dpi_y), window_,
        nullptr, instance, nullptr);
    // Negative height: the size of the characters themselves, as points are
    // meant, not of the character cell.
    font_ = ::CreateFontA(-::MulDiv(kLabelFontPoints, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                          FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kLabelFont);
    if (label_window != nullptr && font_ != nullptr) {
      ::SendMessageA(label_window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }

    ::ShowWindow(window_, SW_SHOWNORMAL);
  }

  void repaint_window() override {
    if (window_ == nullptr) return;
    // Paints the window and its label now, without a message loop: nothing
    // else of the window is handled until the run ends.
    ::UpdateWindow(window_);
    // Some hosts (Wine among them) paint into an off-screen surface and put it
    // on screen only when the thread next looks at its message queue. A wait
    // of zero length looks without taking or dispatching any message; on
    // Windows it returns at once and changes nothing.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    if constexpr (SCENARIO_HOLD_WINDOW_MS > 0) ::Sleep(SCENARIO_HOLD_WINDOW_MS);
  }

  void destroy_window() override {
    if (window_ != nullptr) {
      ::DestroyWindow(window_);
      window_ = nullptr;
    }
    if (font_ != nullptr) {
      ::DeleteObject(font_);
      font_ = nullptr;
    }
  }

  void message_box(const std::string& text) override { show_box(text); }

  void report_unhandled_error(int number, const std::string& description) override {
    show_box("Run-time error '" + std::to_string(number) + "':\n\n" + description);
  }

  // The window keeps silent about codes that do not stop the build.
  void note_recorded_code(int32_t, int32_t) override {}

 private:
  // Wide, as the texts may hold a path with any characters.
  void show_box(const std::string& text) {
    ::MessageBoxW(window_, to_wide(text).c_str(), to_wide(application_title()).c_str(), MB_OK);
  }

  static void register_class(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (::GetClassInfoA(instance, kWindowClass, &wc)) return;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassA(&wc);
  }

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<Platform> make_platform() { return std::make_unique<Win32Platform>(); }

}  // namespace scenario
