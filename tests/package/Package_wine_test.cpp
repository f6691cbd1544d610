// The installer as a user meets it, under Wine in a prefix of its own: a silent install with
// its files, shortcut and uninstall entry, the versions the installed programs carry, an
// upgrade over a running installation, and a silent uninstall. The tests run in order in one
// prefix, and each brings the installation into the state it starts from.
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
    L"PopyonnEngine.exe", L"popyctl.exe", L"README.txt", L"rules-example.toml", L"uninstall.exe",
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

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

fs::path SetupExe() {
    const wchar_t* dir = ::_wgetenv(L"POPYO_PACKAGE_DIR");
    return fs::path(dir != nullptr ? dir : L"") /
           (std::wstring(L"PopyonnEngine-") + kVersion + L"-setup.exe");
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

// ---- The uninstaller's pages, driven as a user clicks through them ----

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

// Check boxes of the components tree: state image 2 is ticked, 1 not.
UINT TickState(HWND tree, HTREEITEM item) {
    const auto state = SendWithTimeout(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                       TVIS_STATEIMAGEMASK);
    return static_cast<UINT>(state.value_or(0)) >> 12;
}

// ---- The fixture ----

class Package : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(fs::exists(SetupExe())) << "no installer at " << SetupExe().string();
        ASSERT_EQ(FindEngineWindow(), nullptr) << "an engine from elsewhere is still running";
        ASSERT_TRUE(MoveCursorTo(kAway));
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

    static fs::path SettingsFile(const fs::path& dir) {
        return dir / (L"PopyoE_" + UserName() + L".dat");
    }

    // The installed engine, running with a window of another program tucked away at the left
    // edge: what an upgrade or an uninstall finds.
    void HoldWindowWithInstalledEngine(const fs::path& dir) {
        WriteBytes(SettingsFile(dir), kSettings);
        windows_.emplace(std::vector<ForeignWindows::Wanted>{{L"PkgW1", kHome}});
        held_ = (*windows_)[0];
        engine_ = Process::Launch(dir / L"PopyonnEngine.exe");
        const HWND engineWnd = WaitForEngineWindow(engine_.value());
        ASSERT_NE(engineWnd, nullptr) << "the installed engine did not start";
        ASSERT_EQ(SendWithTimeout(engineWnd, EM_REGISTER, HandleParam(held_), edLeft), LRESULT{0});
        ASSERT_TRUE(PollUntil(
            [&] {
                return SendWithTimeout(engineWnd, EM_GETSTATUS, HandleParam(held_), 0) ==
                       LRESULT{rsHidden};
            },
            kSlideTimeout))
            << "the window did not slide away";
        ASSERT_LE(WindowRect(held_).right, 0);
    }

    // Everything that ran before has ended, nothing new runs, and the window is home.
    void ExpectAllEndedAndWindowHome() {
        EXPECT_FALSE(engine_.value().Running()) << "the engine from before still runs";
        EXPECT_EQ(FindEngineWindow(), nullptr);
        EXPECT_TRUE(SameRect(WindowRect(held_), kHome))
            << "the window is at " << WindowRect(held_).left << "," << WindowRect(held_).top;
    }

    std::optional<ForeignWindows> windows_;
    HWND held_ = nullptr;
    std::optional<Process> engine_;
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
    const ConsoleResult popyctl = RunConsole(dir / L"popyctl.exe", L"--version");
    EXPECT_EQ(popyctl.exitCode, DWORD{0});
    EXPECT_EQ(popyctl.out, "popyctl " + Narrow(kVersion) + "\n");
}

// ---- Upgrading ----

TEST_F(Package, InstallOverARunningInstallationPutsTheWindowBackAndKeepsTheSettings) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    HoldWindowWithInstalledEngine(dir);
    Install();
    ExpectAllEndedAndWindowHome();
    EXPECT_EQ(ReadBytes(SettingsFile(dir)), kSettings);
    EXPECT_TRUE(fs::exists(dir / L"PopyonnEngine.exe"));
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
    HoldWindowWithInstalledEngine(dir);
    const std::wstring ourTray = L"\"" + (dir / L"PopyonnTray.exe").wstring() + L"\"";
    SetRunValue(ourTray);
    ASSERT_TRUE(fs::exists(ShortcutFile()));

    Uninstall(dir);
    ExpectAllEndedAndWindowHome();
    for (const wchar_t* name : kInstalledFiles) {
        EXPECT_FALSE(fs::exists(dir / name)) << Narrow(name);
    }
    EXPECT_FALSE(fs::exists(ShortcutFile()));
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_EQ(QueryRegistry(kUninstallKey).exitCode, DWORD{1});
    // The user's file keeps its folder.
    EXPECT_EQ(ReadBytes(SettingsFile(dir)), kSettings);
}

TEST_F(Package, UninstallWithAlsoRemoveMySettingsTickedLeavesNoFolder) {
    EnsureInstalled();
    const fs::path dir = DefaultInstallDir();
    const std::vector<fs::path> userFiles = {
        SettingsFile(dir),
        dir / (L"PopyoE_" + UserName() + L".dat.tmp"),
        dir / (L"PopyoTray_" + UserName() + L".toml"),
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

    HWND tree = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (tree = FindChildOfClass(wizard, L"SysTreeView32")); },
                          kReplyTimeout))
        << "no components page";
    const auto item = [&](WPARAM which, HTREEITEM from) {
        return reinterpret_cast<HTREEITEM>(
            SendWithTimeout(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(from))
                .value_or(0));
    };
    const HTREEITEM program = item(TVGN_ROOT, nullptr);
    const HTREEITEM settings = item(TVGN_NEXT, program);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(TickState(tree, settings), 1u) << "removing the settings must be a choice";
    SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(settings));
    ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageW(tree, WM_KEYUP, VK_SPACE, 0);
    ASSERT_TRUE(PollUntil([&] { return TickState(tree, settings) == 2; }, kReplyTimeout));
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
    const std::wstring portableTray = L"\"C:\\Portable\\PopyonnTray.exe\"";
    SetRunValue(portableTray);

    Uninstall(dir);
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_EQ(RunValue(), Narrow(portableTray));
}

}  // namespace
}  // namespace popyo::wine
