// The packages as a user meets them, under Wine in a prefix of its own: a silent install with
// its files, shortcut and uninstall entry, the versions the installed programs carry, the
// installer's pages ending with the tray started, upgrades over a running installation,
// uninstalls, and the portable copy run from wherever it was unzipped. The tests run in order
// in one prefix, and each brings the installation into the state it starts from.
#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/PopyoDef.h"
#include "tests/wine/support/WineHarness.h"

namespace popyo::wine {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kVersion[] = L"" POPYO_VERSION;
constexpr wchar_t kUninstallKey[] =
    L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PopyonnEngine";
constexpr wchar_t kRunKey[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Decompressing a few megabytes and ending a running engine first; a loaded machine is slow.
constexpr milliseconds kSetupTimeout{60000};
constexpr milliseconds kSlideTimeout{10000};
constexpr POINT kAway{960, 150};
constexpr RECT kHome{300, 300, 700, 600};

// A window the cursor leaves hides at once, and the foreground plays no part.
constexpr char kSettings[] =
    "wx=195\r\nmv=150\r\nmgn=1\r\nmgn2=15\r\nactwin=False\r\nhiact=False\r\noutwin=True\r\n"
    "DisableKey=17\r\nAutoRestore=True\r\nMouseDownDisable=True\r\nOnTime=2\r\n"
    "OffTime=0\r\nOutCheck=True\r\nSwitchOnTime=False\r\nAutoActivate=False\r\n"
    "ChangePopyonStyle=False\r\n";

// What the installer puts in the installation folder, the user's files apart.
const wchar_t* const kInstalledFiles[] = {
    L"PopyonnTray.exe", L"PopyonnEngine.exe",  L"popyctl.exe",
    L"README.txt",      L"rules-example.toml", L"uninstall.exe",
};

// The tray takes the test window to the left edge by its title.
constexpr char kRules[] = "[[window]]\nedge = \"left\"\ntitle = \"PkgW1\"\n";
constexpr wchar_t kTrayClass[] = L"PopyonnTrayWindow";
// --exit waits up to 10 s for the tray; the Wine process start comes on top.
constexpr milliseconds kTrayExitTimeout{20000};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    fs::path result = SUCCEEDED(hr) ? fs::path(path) : fs::path();
    ::CoTaskMemFree(path);
    return result;
}

fs::path DefaultInstallDir() {
    return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"PopyonnEngine";
}

fs::path ShortcutFile() {
    return KnownFolder(FOLDERID_Programs) / L"PopyonnEngine.lnk";
}

fs::path FromEnvironment(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    return value != nullptr ? fs::path(value) : fs::path();
}

fs::path SetupExe() {
    return FromEnvironment(L"POPYO_PACKAGE_DIR") /
           (std::wstring(L"PopyonnEngine-") + kVersion + L"-setup.exe");
}

// The zip's PopyonnEngine folder, unzipped by the script that runs this test.
fs::path PortableDir() {
    return FromEnvironment(L"POPYO_PORTABLE_DIR");
}

fs::path SettingsFile(const fs::path& dir) {
    return dir / (L"PopyoE_" + UserName() + L".dat");
}

fs::path RulesFile(const fs::path& dir) {
    return dir / (L"PopyoTray_" + UserName() + L".toml");
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

std::optional<std::string> ReadBytes(const fs::path& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    OwnedHandle owner(file);
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << path.string();
    OwnedHandle owner(file);
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())
        << "cannot write " << path.string();
}

// A process this test did not start, such as the engine the tray starts, known by a window.
OwnedHandle OwnerOf(HWND wnd) {
    return OwnedHandle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     WindowProcessId(wnd)));
}

bool Ended(const OwnedHandle& process) {
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

fs::path ImagePath(const OwnedHandle& process) {
    wchar_t path[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path, &size)) {
        return {};
    }
    return fs::path(std::wstring(path, size));
}

HWND FindTrayWindow() {
    return ::FindWindowW(kTrayClass, nullptr);
}

HWND WaitForAnyEngineWindow() {
    HWND wnd = nullptr;
    PollUntil([&] { return (wnd = FindEngineWindow()) != nullptr; }, kStartTimeout);
    return wnd;
}

std::optional<DWORD> ExitCode(Process& process, milliseconds timeout) {
    DWORD code = 0;
    if (!process.WaitForExit(timeout) || !::GetExitCodeProcess(process.Handle(), &code)) {
        return std::nullopt;
    }
    return code;
}

// ---- The registry, read the way a user checks it: with reg query ----

struct RegValue {
    std::string type;
    std::string data;
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

struct RegQuery {
    std::optional<DWORD> exitCode;
    std::map<std::string, RegValue> values;
};

// reg query prints each value as "    NAME    TYPE    DATA".
RegQuery QueryRegistry(const std::wstring& key, const std::wstring& extra = L"") {
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const ConsoleResult r =
        RunConsole(fs::path(system) / L"reg.exe", L"query \"" + key + L"\" " + extra);
    RegQuery query{r.exitCode, {}};
    constexpr std::string_view kGap = "    ";
    for (std::size_t start = 0; start < r.out.size();) {
        auto end = r.out.find('\n', start);
        end = end == std::string::npos ? r.out.size() : end;
        std::string line = r.out.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with(kGap)) {
            continue;
        }
        line.erase(0, kGap.size());
        const auto nameEnd = line.find(kGap);
        const auto typeEnd = line.find(kGap, nameEnd + kGap.size());
        if (nameEnd == std::string::npos || typeEnd == std::string::npos) {
            continue;
        }
        query.values[line.substr(0, nameEnd)] = {
            line.substr(nameEnd + kGap.size(), typeEnd - nameEnd - kGap.size()),
            line.substr(typeEnd + kGap.size())};
    }
    return query;
}

std::optional<std::string> RunValue() {
    const RegQuery q = QueryRegistry(kRunKey, L"/v PopyonnTray");
    const auto found = q.values.find("PopyonnTray");
    if (q.exitCode != DWORD{0} || found == q.values.end()) {
        return std::nullopt;
    }
    return found->second.data;
}

// As the tray's "Start with Windows" writes it.
void SetRunValue(const std::wstring& data) {
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          L"PopyonnTray", REG_SZ, data.c_str(), bytes),
        ERROR_SUCCESS);
}

// ---- Shortcuts and version resources ----

struct ComRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

std::optional<fs::path> ShortcutTarget(const fs::path& lnk) {
    IShellLinkW* rawLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&rawLink)))) {
        return std::nullopt;
    }
    ComPtr<IShellLinkW> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
        return std::nullopt;
    }
    ComPtr<IPersistFile> file(rawFile);
    wchar_t target[MAX_PATH] = {};
    if (FAILED(file->Load(lnk.c_str(), STGM_READ)) ||
        FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        return std::nullopt;
    }
    return fs::path(target);
}

struct VersionInfo {
    std::wstring productName;
    std::wstring productVersion;
    std::wstring fileVersion;
    std::wstring description;
    DWORD fixedMs = 0;
    DWORD fixedLs = 0;
};

std::optional<VersionInfo> ReadVersionInfo(const fs::path& exe) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<BYTE> data(size);
    if (size == 0 || !::GetFileVersionInfoW(exe.c_str(), 0, size, data.data())) {
        return std::nullopt;
    }
    VersionInfo info;
    void* fixed = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(data.data(), L"\\", &fixed, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        info.fixedMs = static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS;
        info.fixedLs = static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionLS;
    }
    // The first language and code page the resource lists: 040904B0 (UTF-16) from windres,
    // 040904E4 (code page 1252) from NSIS.
    void* translation = nullptr;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &translation, &length) ||
        length < 2 * sizeof(WORD)) {
        return std::nullopt;
    }
    wchar_t block[64];
    std::swprintf(block, std::size(block), L"\\StringFileInfo\\%04X%04X\\",
                  static_cast<const WORD*>(translation)[0],
                  static_cast<const WORD*>(translation)[1]);
    const auto text = [&](const wchar_t* name) {
        const std::wstring key = block + std::wstring(name);
        void* value = nullptr;
        UINT chars = 0;
        if (!::VerQueryValueW(data.data(), key.c_str(), &value, &chars) || chars == 0) {
            return std::wstring();
        }
        return std::wstring(static_cast<const wchar_t*>(value));
    };
    info.productName = text(L"ProductName");
    info.productVersion = text(L"ProductVersion");
    info.fileVersion = text(L"FileVersion");
    info.description = text(L"FileDescription");
    return info;
}

// A window that front-ends and the installer take for the engine's, but that ignores
// WM_CLOSE, as a hung engine would. Its process is this test.
class StubbornEngineWindow {
  public:
    StubbornEngineWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TformPopyonnEngine";
        ::RegisterClassW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"QovPopyonEngineWindowServer", WS_OVERLAPPED,
                                 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    StubbornEngineWindow(const StubbornEngineWindow&) = delete;
    StubbornEngineWindow& operator=(const StubbornEngineWindow&) = delete;
    ~StubbornEngineWindow() {
        ::DestroyWindow(wnd_);
        ::UnregisterClassW(L"TformPopyonnEngine", ::GetModuleHandleW(nullptr));
    }
    HWND Window() const { return wnd_; }

  private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        return msg == WM_CLOSE ? 0 : ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
    HWND wnd_ = nullptr;
};

// ---- The wizards' pages, driven as a user clicks through them ----

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (ClassName(child) == s->className && ::IsWindowVisible(child)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The installer's or uninstaller's main window, by the start of its caption.
HWND FindWizard(std::wstring_view caption) {
    struct Search {
        std::wstring_view caption;
        HWND found;
    } search{caption, nullptr};
    ::EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (ClassName(wnd) == L"#32770" && ::IsWindowVisible(wnd) &&
                WindowText(wnd).starts_with(s->caption)) {
                s->found = wnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The main window's button with id 1 is "Next", "Uninstall" or "Close" by page.
void PressNext(HWND wizard) {
    ::PostMessageW(::GetDlgItem(wizard, IDOK), BM_CLICK, 0, 0);
}

HWND FindButton(HWND wizard, std::wstring_view text) {
    struct Search {
        std::wstring_view text;
        HWND found;
    } search{text, nullptr};
    ::EnumChildWindows(
        wizard,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (ClassName(child) == L"Button" && ::IsWindowVisible(child) &&
                WindowText(child) == s->text) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The components page's tree, its items in order.
struct ComponentsPage {
    HWND tree = nullptr;
    std::vector<HTREEITEM> items;
};

ComponentsPage WaitForComponentsPage(HWND wizard) {
    ComponentsPage page;
    PollUntil([&] { return (page.tree = FindChildOfClass(wizard, L"SysTreeView32")); },
              kStartTimeout);
    const auto next = [&](WPARAM which, HTREEITEM from) {
        return reinterpret_cast<HTREEITEM>(
            SendWithTimeout(page.tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(from))
                .value_or(0));
    };
    for (HTREEITEM item = next(TVGN_ROOT, nullptr); item != nullptr && page.tree != nullptr;
         item = next(TVGN_NEXT, item)) {
        page.items.push_back(item);
    }
    return page;
}

// Check boxes of the components tree: state image 2 is ticked, 1 not.
UINT TickState(HWND tree, HTREEITEM item) {
    const auto state = SendWithTimeout(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                       TVIS_STATEIMAGEMASK);
    return static_cast<UINT>(state.value_or(0)) >> 12;
}

// As the keyboard does it: select the item, press space.
bool Toggle(HWND tree, HTREEITEM item) {
    const UINT before = TickState(tree, item);
    SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageW(tree, WM_KEYUP, VK_SPACE, 0);
    return PollUntil([&] { return TickState(tree, item) != before; }, kReplyTimeout);
}

// ---- The fixture ----

class Package : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(fs::exists(SetupExe())) << "no installer at " << SetupExe().string();
        ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
        ASSERT_EQ(FindTrayWindow(), nullptr) << "a tray from elsewhere is still running";
        ASSERT_TRUE(MoveCursorTo(kAway));
    }

    // A test that failed half-way must not leave the next one a running tray or engine.
    void TearDown() override {
        for (HWND wnd : {FindTrayWindow(), FindEngineWindow()}) {
            if (wnd != nullptr) {
                ::PostMessageW(wnd, WM_CLOSE, 0, 0);
                PollUntil([&] { return !::IsWindow(wnd); }, kTrayExitTimeout);
            }
        }
    }

    static void Install(const std::wstring& args = L"/S") {
        Process setup = Process::Launch(SetupExe(), args);
        ASSERT_EQ(ExitCode(setup, kSetupTimeout), DWORD{0}) << "setup " << Narrow(args);
    }

    static void EnsureInstalled() {
        if (!fs::exists(DefaultInstallDir() / L"uninstall.exe")) {
            Install();
        }
    }

    // Runs the uninstaller the way "Apps & features" does: it copies itself away and returns
    // at once, so its end shows as the uninstall entry going, which it removes last.
    static void Uninstall(const fs::path& dir) {
        Process uninstaller = Process::Launch(dir / L"uninstall.exe", L"/S");
        ASSERT_EQ(ExitCode(uninstaller, kSetupTimeout), DWORD{0});
        ASSERT_TRUE(PollUntil([] { return QueryRegistry(kUninstallKey).exitCode == DWORD{1}; },
                              kSetupTimeout))
            << "the uninstall entry is still there";
    }

    void OpenTestWindow() {
        windows_.emplace(std::vector<ForeignWindows::Wanted>{{L"PkgW1", kHome}});
        held_ = (*windows_)[0];
    }

    void ExpectHeldWindowTuckedAway(HWND engineWnd) const {
        EXPECT_TRUE(PollUntil(
            [&] {
                return SendWithTimeout(engineWnd, EM_GETSTATUS, HandleParam(held_), 0) ==
                       LRESULT{rsHidden};
            },
            kSlideTimeout))
            << "the window did not slide away";
        EXPECT_LE(WindowRect(held_).right, 0);
    }

    // The installed tray, holding a window its rule took: what an upgrade or an uninstall
    // usually finds. The engine it brought up is the installation's own.
    void HoldWindowWithInstalledTray(const fs::path& dir) {
        WriteBytes(SettingsFile(dir), kSettings);
        WriteBytes(RulesFile(dir), kRules);
        OpenTestWindow();
        started_ = Process::Launch(dir / L"PopyonnTray.exe");
        const HWND engineWnd = WaitForAnyEngineWindow();
        ASSERT_NE(engineWnd, nullptr) << "the installed tray brought up no engine";
        engine_ = OwnerOf(engineWnd);
        ASSERT_EQ(ImagePath(engine_), dir / L"PopyonnEngine.exe");
        ExpectHeldWindowTuckedAway(engineWnd);
    }

    // The installed engine alone, as popyctl or another front-end runs it.
    void HoldWindowWithInstalledEngine(const fs::path& dir) {
        WriteBytes(SettingsFile(dir), kSettings);
        OpenTestWindow();
        started_ = Process::Launch(dir / L"PopyonnEngine.exe");
        const HWND engineWnd = WaitForEngineWindow(started_.value());
        ASSERT_NE(engineWnd, nullptr) << "the installed engine did not start";
        engine_ = OwnerOf(engineWnd);
        ASSERT_EQ(SendWithTimeout(engineWnd, EM_REGISTER, HandleParam(held_), edLeft), LRESULT{0});
        ExpectHeldWindowTuckedAway(engineWnd);
    }

    // What ran before has ended, nothing new runs, and the window is home.
    void ExpectAllEndedAndWindowHome() const {
        EXPECT_TRUE(Ended(engine_)) << "the engine from before still runs";
        EXPECT_FALSE(started_.value().Running()) << "the program started before still runs";
        EXPECT_EQ(FindEngineWindow(), nullptr);
        EXPECT_EQ(FindTrayWindow(), nullptr);
        EXPECT_TRUE(SameRect(WindowRect(held_), kHome))
            << "the window is at " << WindowRect(held_).left << "," << WindowRect(held_).top;
    }

    // The tray of `dir` and the engine beside it run, with the engine's settings file
    // written beside it; `--exit` then ends both.
    static void ExpectTrayAndEngineRunFrom(const fs::path& dir) {
        const HWND engineWnd = WaitForAnyEngineWindow();
        ASSERT_NE(engineWnd, nullptr) << "the tray brought up no engine";
        const OwnedHandle engine = OwnerOf(engineWnd);
        EXPECT_EQ(ImagePath(engine), dir / L"PopyonnEngine.exe");
        ASSERT_TRUE(PollUntil([] { return FindTrayWindow() != nullptr; }, kStartTimeout));
        EXPECT_EQ(ImagePath(OwnerOf(FindTrayWindow())), dir / L"PopyonnTray.exe");
        // The first start writes it: the folder is the user's to write.
        EXPECT_TRUE(PollUntil([&] { return fs::exists(SettingsFile(dir)); }, kStartTimeout));

        const ConsoleResult exit =
            RunConsole(dir / L"PopyonnTray.exe", L"--exit", kTrayExitTimeout);
        EXPECT_EQ(exit.exitCode, DWORD{0}) << exit.err;
        EXPECT_TRUE(PollUntil([&] { return Ended(engine); }, kStartTimeout));
        EXPECT_EQ(FindTrayWindow(), nullptr);
    }

    std::optional<ForeignWindows> windows_;
    HWND held_ = nullptr;
    std::optional<Process> started_;
    OwnedHandle engine_;
};

// ---- Installing ----

TEST_F(Package, SilentInstallPutsFilesShortcutAndUninstallEntryInPlace) {
    const fs::path dir = DefaultInstallDir();
    ASSERT_FALSE(fs::exists(dir)) << "the prefix is not fresh";
    ASSERT_EQ(QueryRegistry(kUninstallKey).exitCode, DWORD{1});
    Install();

    std::uintmax_t bytes = 0;
    for (const wchar_t* name : kInstalledFiles) {
        ASSERT_TRUE(fs::is_regular_file(dir / name)) << Narrow(name);
        bytes += fs::file_size(dir / name);
    }
    EXPECT_EQ(ShortcutTarget(ShortcutFile()), dir / L"PopyonnTray.exe");
    // Starting with Windows is a choice, off unless the user makes it.
    EXPECT_EQ(RunValue(), std::nullopt);

    const RegQuery entry = QueryRegistry(kUninstallKey);
    ASSERT_EQ(entry.exitCode, DWORD{0});
    const std::string at = Narrow(dir.wstring());
    const std::map<std::string, RegValue> expected = {
        {"DisplayName", {"REG_SZ", "PopyonnEngine"}},
        {"DisplayVersion", {"REG_SZ", Narrow(kVersion)}},
        {"Publisher", {"REG_SZ", "The PopyonnEngine developers"}},
        {"DisplayIcon", {"REG_SZ", at + "\\PopyonnEngine.exe,0"}},
        {"InstallLocation", {"REG_SZ", at}},
        {"UninstallString", {"REG_SZ", "\"" + at + "\\uninstall.exe\""}},
        {"QuietUninstallString", {"REG_SZ", "\"" + at + "\\uninstall.exe\" /S"}},
        {"NoModify", {"REG_DWORD", "0x1"}},
        {"NoRepair", {"REG_DWORD", "0x1"}},
    };
    for (const auto& [name, value] : expected) {
        const auto found = entry.values.find(name);
        ASSERT_NE(found, entry.values.end()) << name;
        EXPECT_EQ(found->second, value) << name;
    }
    // Kilobytes, as "Apps & features" shows them.
    const auto size = entry.values.find("EstimatedSize");
    ASSERT_NE(size, entry.values.end());
    EXPECT_EQ(size->second.type, "REG_DWORD");
    const auto kilobytes = std::stoul(size->second.data, nullptr, 16);
    EXPECT_GE(kilobytes, bytes / 1024);
    EXPECT_LE(kilobytes, bytes / 1024 + std::size(kInstalledFiles));
}

TEST_F(Package, EveryShippedProgramCarriesTheOneVersion) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    struct Case {
        fs::path exe;
        const wchar_t* description;
    };
    const Case kCases[] = {
        {dir / L"PopyonnTray.exe", L"PopyonnEngine tray"},
        {dir / L"PopyonnEngine.exe", L"PopyonnEngine window server"},
        {dir / L"popyctl.exe", L"PopyonnEngine command-line front-end"},
        {SetupExe(), L"PopyonnEngine setup"},
    };
    for (const Case& c : kCases) {
        const auto info = ReadVersionInfo(c.exe);
        ASSERT_TRUE(info.has_value()) << c.exe.string();
        EXPECT_EQ(info->productName, L"PopyonnEngine") << c.exe.string();
        EXPECT_EQ(info->productVersion, kVersion) << c.exe.string();
        EXPECT_EQ(info->fileVersion, kVersion) << c.exe.string();
        EXPECT_EQ(info->description, c.description) << c.exe.string();
        const std::wstring fixed = std::to_wstring(HIWORD(info->fixedMs)) + L"." +
                                   std::to_wstring(LOWORD(info->fixedMs)) + L"." +
                                   std::to_wstring(HIWORD(info->fixedLs));
        EXPECT_EQ(fixed, kVersion) << c.exe.string();
    }
    const std::string version = Narrow(kVersion);
    const std::pair<const wchar_t*, std::string> kSays[] = {
        {L"popyctl.exe", "popyctl " + version + "\n"},
        {L"PopyonnTray.exe", "PopyonnTray " + version + "\n"},
    };
    for (const auto& [exe, says] : kSays) {
        const ConsoleResult r = RunConsole(dir / exe, L"--version");
        EXPECT_EQ(r.exitCode, DWORD{0}) << Narrow(exe);
        EXPECT_EQ(r.out, says);
    }
}

// The pages a user clicks through, over the installation already there: the folder offered
// is the per-user one, "Start with Windows" is ticked, and the last page's "Run PopyonnEngine
// now" starts the installed tray, which brings up the installed engine.
TEST_F(Package, InstallerPagesInstallAndTheLastOneStartsTheTray) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    fs::remove(SettingsFile(dir));
    Process setup = Process::Launch(SetupExe());
    HWND wizard = nullptr;
    ASSERT_TRUE(
        PollUntil([&] { return (wizard = FindWizard(L"PopyonnEngine Setup")); }, kStartTimeout))
        << "no installer window";

    HWND folder = nullptr;
    ASSERT_TRUE(
        PollUntil([&] { return (folder = FindChildOfClass(wizard, L"Edit")); }, kStartTimeout));
    // An upgrade offers the folder of the installation there, with a closing backslash.
    std::wstring offered = WindowText(folder);
    while (offered.ends_with(L'\\')) {
        offered.pop_back();
    }
    EXPECT_EQ(offered, dir.wstring());
    PressNext(wizard);

    const ComponentsPage page = WaitForComponentsPage(wizard);
    ASSERT_EQ(page.items.size(), 3u) << "program, shortcut, start with Windows";
    EXPECT_EQ(TickState(page.tree, page.items[1]), 2u) << "the shortcut is offered ticked";
    EXPECT_EQ(TickState(page.tree, page.items[2]), 1u) << "starting with Windows is a choice";
    ASSERT_TRUE(Toggle(page.tree, page.items[2]));
    PressNext(wizard);

    HWND run = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (run = FindButton(wizard, L"Run PopyonnEngine now")); },
                          kSetupTimeout))
        << "no finish page";
    EXPECT_EQ(SendWithTimeout(run, BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED});
    PressNext(wizard);
    EXPECT_EQ(ExitCode(setup, kSetupTimeout), DWORD{0});

    EXPECT_EQ(RunValue(), Narrow(Quoted(dir / L"PopyonnTray.exe")));
    ExpectTrayAndEngineRunFrom(dir);
}

// ---- Upgrading ----

TEST_F(Package, InstallOverARunningTrayPutsItsWindowBackAndKeepsTheUsersFiles) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    // "Start with Windows", as the tray's menu or an earlier installation left it.
    SetRunValue(Quoted(dir / L"PopyonnTray.exe"));
    HoldWindowWithInstalledTray(dir);
    Install();
    ExpectAllEndedAndWindowHome();
    EXPECT_EQ(ReadBytes(SettingsFile(dir)), kSettings);
    EXPECT_EQ(ReadBytes(RulesFile(dir)), kRules);
    EXPECT_EQ(RunValue(), Narrow(Quoted(dir / L"PopyonnTray.exe")));
    for (const wchar_t* name : kInstalledFiles) {
        EXPECT_TRUE(fs::is_regular_file(dir / name)) << Narrow(name);
    }
}

TEST_F(Package, InstallOverARunningEngineWithoutTrayPutsItsWindowBack) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    HoldWindowWithInstalledEngine(dir);
    Install();
    ExpectAllEndedAndWindowHome();
    EXPECT_EQ(ReadBytes(SettingsFile(dir)), kSettings);
}

// Killing it would leave the windows it holds beyond the edge, so an engine that does not end
// stops the installer before any file changes, and the exit code says so.
TEST_F(Package, AnEngineThatDoesNotEndStopsTheInstallBeforeAnyFileChanges) {
    EnsureInstalled();
    const fs::path readme = DefaultInstallDir() / L"README.txt";
    WriteBytes(readme, "the installed file, changed");
    {
        StubbornEngineWindow stubborn;
        ASSERT_NE(stubborn.Window(), nullptr);
        Process setup = Process::Launch(SetupExe(), L"/S");
        EXPECT_EQ(ExitCode(setup, kSetupTimeout), DWORD{3});
    }
    EXPECT_EQ(ReadBytes(readme), "the installed file, changed");
}

// ---- Uninstalling ----

TEST_F(Package, SilentUninstallRemovesEverythingButTheSettings) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    SetRunValue(Quoted(dir / L"PopyonnTray.exe"));
    HoldWindowWithInstalledTray(dir);
    ASSERT_TRUE(fs::exists(ShortcutFile()));

    Uninstall(dir);
    ExpectAllEndedAndWindowHome();
    for (const wchar_t* name : kInstalledFiles) {
        EXPECT_FALSE(fs::exists(dir / name)) << Narrow(name);
    }
    EXPECT_FALSE(fs::exists(ShortcutFile()));
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_EQ(QueryRegistry(kUninstallKey).exitCode, DWORD{1});
    // The user's files keep their folder.
    EXPECT_EQ(ReadBytes(SettingsFile(dir)), kSettings);
    EXPECT_EQ(ReadBytes(RulesFile(dir)), kRules);
}

TEST_F(Package, UninstallWithAlsoRemoveMySettingsTickedLeavesNoFolder) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    const std::vector<fs::path> userFiles = {
        SettingsFile(dir),
        dir / (L"PopyoE_" + UserName() + L".dat.tmp"),
        RulesFile(dir),
    };
    for (const fs::path& file : userFiles) {
        WriteBytes(file, "mine");
    }
    Process uninstaller = Process::Launch(dir / L"uninstall.exe");
    HWND wizard = nullptr;
    ASSERT_TRUE(
        PollUntil([&] { return (wizard = FindWizard(L"PopyonnEngine Uninstall")); }, kStartTimeout))
        << "no uninstaller window";
    PressNext(wizard);

    const ComponentsPage page = WaitForComponentsPage(wizard);
    ASSERT_EQ(page.items.size(), 2u) << "program, also remove my settings";
    EXPECT_EQ(TickState(page.tree, page.items[1]), 1u) << "removing the settings is a choice";
    ASSERT_TRUE(Toggle(page.tree, page.items[1]));
    PressNext(wizard);

    ASSERT_TRUE(
        PollUntil([] { return QueryRegistry(kUninstallKey).exitCode == DWORD{1}; }, kSetupTimeout))
        << "the uninstall entry is still there";
    // The last page: "Close".
    PollUntil(
        [&] {
            PressNext(wizard);
            return !::IsWindow(wizard);
        },
        kReplyTimeout);
    EXPECT_FALSE(::IsWindow(wizard));
    for (const fs::path& file : userFiles) {
        EXPECT_FALSE(fs::exists(file)) << file.string();
    }
    EXPECT_FALSE(fs::exists(dir));
}

TEST_F(Package, IntoAFolderOfOnesOwnAndOutAgainLeavingNothingButOthersFiles) {
    const fs::path dir = L"C:\\Apps\\Popyonn Engine";
    Install(L"/S /D=" + dir.wstring());
    for (const wchar_t* name : kInstalledFiles) {
        ASSERT_TRUE(fs::is_regular_file(dir / name)) << Narrow(name);
    }
    EXPECT_EQ(QueryRegistry(kUninstallKey).values["InstallLocation"].data, Narrow(dir.wstring()));
    // A portable copy's "Start with Windows" is not the installation's to remove.
    const std::wstring portableTray = Quoted(L"C:\\Portable\\PopyonnTray.exe");
    SetRunValue(portableTray);

    Uninstall(dir);
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_EQ(RunValue(), Narrow(portableTray));
}

// ---- The portable zip ----

TEST_F(Package, PortableCopyRunsFromWhereverItWasUnzipped) {
    const fs::path dir = PortableDir();
    ASSERT_TRUE(fs::exists(dir / L"PopyonnTray.exe")) << "no unzipped copy at " << dir.string();
    started_ = Process::Launch(dir / L"PopyonnTray.exe");
    ExpectTrayAndEngineRunFrom(dir);
    EXPECT_TRUE(ExitCode(started_.value(), kTrayExitTimeout).has_value());
}

}  // namespace
}  // namespace popyo::wine
