// The main dialog driven through its control identifiers, as a user would; then the real shell call behind the reveal.
#include <shlobj.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include "core/package_builder.h"
#include "core/package_reader.h"
#include "framework/app.h"
#include "settings/settings_file.h"
#include "tests/ui/test_support.h"
#include "ui/reveal_in_explorer.h"

namespace tessam::test {
namespace {

const std::wstring kSucceeded = L"生成成功！", kPathMissing = L"PWM文件路径不存在！\n", kPasswordRule = L"密码必须为8位字符！";

// The payload is MakeProject(blocks)'s image with `password` planted; headers are the core tests' business.
void ExpectPackageOf(const Bytes& package, std::uint16_t blocks, const std::string& password) {
  Bytes image = MakeImage(blocks);
  std::copy(password.begin(), password.end(), image.begin() + 8);
  EXPECT_TRUE(UnscrambleImage(package, InspectPackage(package)) == image) << "payload is not the image";
}

// The progress and reveal seams: each value shown in thousandths (-1: cleared), each reveal request.
struct SeamLog final : BuildProgress {
  void Show(HWND, std::uint64_t done, std::uint64_t total) override { Add(static_cast<int>(done * 1000 / total)); }
  void Clear(HWND) override { Add(-1); }
  void Add(int value) { const std::lock_guard lock(mutex); values.push_back(value); }
  int Reveal(const std::wstring& path) { const std::lock_guard lock(mutex); requested.push_back(path); return 1; }
  std::vector<int> Take() { const std::lock_guard lock(mutex); return std::exchange(values, {}); }
  std::vector<std::wstring> paths() { const std::lock_guard lock(mutex); return requested; }
  std::mutex mutex;  // over the values and the requests
  std::vector<int> values; std::vector<std::wstring> requested;
};

class MainDialog : public ::testing::Test {
 protected:
  CTessamDlg::Services Services() {
    return {settingsPath, builder, [log = log](const std::wstring& path) { return log->Reveal(path); }, log};
  }

  TempFolder folder;
  std::wstring settingsPath = folder.File(L"config.cfg"), projectPath = folder.File(L"line1.pmw"),
               packagePath = folder.File(L"VANTU.PPW");
  std::shared_ptr<PackageBuilder> builder = std::make_shared<PackageBuilder>();
  std::shared_ptr<SeamLog> log = std::make_shared<SeamLog>();
};

RECT RectIn(HWND dialog, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Run at each display scaling (CMakeLists.txt): each label shows its whole text, inside the frame, over no other.
TEST_F(MainDialog, ControlsAndLabelsAtThisScaling) {
  DialogUnderTest dialog(Services());
  const HWND window = dialog.window();
  const LRESULT bigIcon = ::SendMessageW(window, WM_GETICON, ICON_BIG, 0);
  EXPECT_TRUE(bigIcon && ::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0), bigIcon);
  const char* dpi = std::getenv("TESSAM_TEST_DPI");
  const HWND group = ::GetWindow(window, GW_CHILD);
  ASSERT_EQ(::GetWindowLongPtrW(group, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX) << "the frame comes first";
  const RECT box = RectIn(window, group);
  for (HWND label = group; label; label = ::GetWindow(label, GW_HWNDNEXT)) {
    if (ClassName(label) != L"Static") continue;
    const std::wstring text = fw::WindowText(label);
    SCOPED_TRACE(::testing::Message() << "label " << ::testing::PrintToString(text));
    const HDC dc = ::GetDC(label);
    EXPECT_TRUE(!dpi || ::GetDeviceCaps(dc, LOGPIXELSY) == std::atoi(dpi)) << "the scaling was not applied";
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    RECT client, placed = RectIn(window, label), overlap;
    ::GetClientRect(label, &client);
    EXPECT_GE(client.right, size.cx) << "text cut";
    EXPECT_GT(placed.left, box.left) << "over the group box's frame";
    for (HWND other = group; other; other = ::GetWindow(other, GW_HWNDNEXT)) {
      if (other == label || other == group) continue;
      const RECT theirs = RectIn(window, other);
      EXPECT_FALSE(::IntersectRect(&overlap, &placed, &theirs)) << "over control " << ::GetDlgCtrlID(other);
    }
  }
}

// An HDROP as Explorer hands it over: DROPFILES, each name ended by a NUL, one more NUL. The dialog frees it.
void Drop(const DialogUnderTest& dialog, const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
  std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  ::PostMessageW(dialog.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  dialog.Sync();
}

// Path edits note Escape and Enter key-downs (read after a Sync); the package edit wants all keys, as completion lists.
std::map<HWND, WNDPROC> editProcs;
std::vector<std::pair<int, WPARAM>> keysTaken;
LRESULT CALLBACK NoteKeys(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const int id = ::GetDlgCtrlID(edit);
  if (message == WM_GETDLGCODE && lParam && id == IDC_PACKAGE_PATH) return DLGC_WANTALLKEYS;
  if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) keysTaken.emplace_back(id, wParam);
  return ::CallWindowProcW(editProcs.at(edit), edit, message, wParam, lParam);
}

// Unswallowed, Escape or Enter in an edit would end the dialog, Enter on a button press it; keys asked for are passed.
TEST_F(MainDialog, KeysDoNothingAndThePasswordEditTakesEightTypedCharacters) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"");  // too short: pressing "生成U盘下载" would show the warning
  keysTaken.clear();
  const HWND edits[] = {dialog.item(IDC_PROJECT_PATH), dialog.item(IDC_PACKAGE_PATH)};
  for (const HWND edit : edits) editProcs[edit] = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(edit, GWLP_WNDPROC));
  for (const HWND edit : edits) ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteKeys));
  for (const int focused : {IDC_PROJECT_PATH, IDC_GENERATE, IDC_CLOSE_BUTTON, IDC_ENCRYPT, IDC_PACKAGE_PATH}) {
    ::PostMessageW(dialog.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.item(focused)), TRUE);
    dialog.Sync();
    ASSERT_EQ(dialog.Focus(), dialog.item(focused));
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      dialog.PressKey(key);
      EXPECT_TRUE(dialog.Running() && !dialog.WaitForOwned(0ms)) << focused << " key " << key;
    }
  }
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT)) << "Enter pressed the check box";
  EXPECT_EQ(keysTaken, (decltype(keysTaken){{IDC_PACKAGE_PATH, VK_RETURN}, {IDC_PACKAGE_PATH, VK_ESCAPE}}));
  for (const wchar_t c : std::wstring(L"abcdefghijk")) ::PostMessageW(dialog.item(IDC_PASSWORD), WM_CHAR, c, 1);
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"abcdefgh");
}

// Each click on "生成U盘下载" that builds nothing, or fails to, shows one modal message, a too long path shortened.
TEST_F(MainDialog, ThePasswordRulePathChecksAndAFailedBuildEachShowOneModalMessage) {
  WriteFile(projectPath, MakeProject(2));
  const std::wstring missing = folder.File(L"missing.pmw"), huge = L"D:\\" + std::wstring(140000, L'x') + L".pmw";
  // The check hides the password and shows it again, its text kept.
  const struct { bool encrypt; const wchar_t* password; std::wstring project, package, message; } cases[] = {
      {true, L"1234567", projectPath, packagePath, kPasswordRule},
      {true, L"1234567890", missing, packagePath, kPathMissing + missing},  // the first 8 count
      {false, L"", projectPath, L"", kPathMissing},                         // any password when not encrypting
      {true, L"ZYXW9876", huge, packagePath, kPathMissing + L"D:\\xx"},     // start and end kept
      {true, L"ZYXW9876", projectPath, folder.File(L"missing\\VANTU.PPW"), L"生成失败，请检查文件是否被占用！"},
  };
  RECT screen{}, placed{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  DialogUnderTest dialog(Services());
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    dialog.SetPaths(c.project, c.package);
    dialog.SetText(IDC_PASSWORD, c.password);
    if (dialog.Checked(IDC_ENCRYPT) != c.encrypt) dialog.Click(IDC_ENCRYPT);
    EXPECT_EQ(::IsWindowVisible(dialog.item(IDC_PASSWORD)) != FALSE, c.encrypt);
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), c.password);
    dialog.Click(IDC_GENERATE);
    const auto box = dialog.WaitForOwned(60s);
    ASSERT_TRUE(box);
    const bool refused = c.message == kPasswordRule, elided = c.project == huge;
    EXPECT_EQ(box->caption, refused ? fw::ApplicationTitle() : L"提示");
    EXPECT_EQ(box->icon, ::LoadIconW(nullptr, refused ? IDI_WARNING : IDI_INFORMATION));
    EXPECT_EQ(elided ? box->text.substr(0, c.message.size()) : box->text, c.message);
    EXPECT_TRUE(!elided || (box->text.find(L"x…x") != std::wstring::npos && box->text.ends_with(L"x.pmw")));
    ::GetWindowRect(box->window, &placed);
    EXPECT_TRUE(placed.left >= screen.left && placed.right <= screen.right && placed.bottom <= screen.bottom);
    EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the box is modal for the dialog";
    EXPECT_TRUE(::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH))) << "enabled again after a failure";
    Drop(dialog, {projectPath, folder.path.wstring()});  // Wine, unlike Windows, delivers it
    EXPECT_EQ(dialog.Paths(), c.project + L" | " + c.package) << "a drop under the box";
    dialog.Dismiss(*box);
    EXPECT_TRUE(!refused || dialog.Focus() == dialog.item(IDC_PASSWORD)) << "focus";
  }
  EXPECT_TRUE(log->paths().empty()) << "a failure was revealed";
}

TEST_F(MainDialog, DropsAndBrowseBoxesFillThePaths) {
  const std::wstring project = folder.File(L"LINE1.PMW"), other = folder.File(L"notes.txt");
  for (const std::wstring& file : {project, other}) WriteFile(file, std::string("x"));
  const struct { std::vector<std::wstring> dropped; std::wstring projectAfter, packageAfter; } cases[] = {
      {{project}, project, L"before.PPW"},
      {{folder.path.wstring()}, L"before.pmw", folder.File(L"VANTU.PPW")},
      // Only the first project file and the first folder count.
      {{other, folder.path.wstring(), project, project + L"x.pmw"}, project, folder.File(L"VANTU.PPW")},
  };
  DialogUnderTest dialog(Services());
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    dialog.SetPaths(L"before.pmw", L"before.PPW");
    Drop(dialog, c.dropped);
    EXPECT_EQ(dialog.Paths(), c.projectAfter + L" | " + c.packageAfter);
  }

  dialog.SetText(IDC_PACKAGE_PATH, L"unchanged");
  dialog.Click(IDC_BROWSE_FOLDER);
  auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  dialog.Dismiss(*box, IDCANCEL);
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"unchanged") << "a cancelled folder box keeps the path";

  // The open-file box fills the project path and keeps the current directory, though the user went elsewhere in it.
  const std::wstring picked = folder.File(L"picked.pmw");
  WriteFile(picked, std::string(300, '\0'));
  const auto currentBefore = std::filesystem::current_path();
  dialog.Click(IDC_BROWSE_PROJECT);
  box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  // The file-name field of the explorer-style box (cmb13, or edt1 in old ones).
  const HWND name = ::GetDlgItem(box->window, ::GetDlgItem(box->window, 0x47C) ? 0x47C : 0x480);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.path.c_str()));
  ::PostMessageW(box->window, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] {
    wchar_t shown[MAX_PATH] = {};
    ::SendMessageW(box->window, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
    return ::lstrcmpiW(shown, folder.path.c_str()) == 0;
  })) << "the box did not go into the folder";
  std::filesystem::current_path(folder.path);  // as Windows' box does, whatever its flags say
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picked.c_str()));
  dialog.Dismiss(*box);
  EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), picked);
  EXPECT_EQ(std::filesystem::current_path(), currentBefore);
}

// Encryption off plants no password. The quotes of "Copy as path" and stray spaces go round both paths.
TEST_F(MainDialog, SuccessRevealsThePackageAfterTheMessageAndTheCloseBoxReleasesIt) {
  WriteFile(projectPath, MakeProject(300, 17));
  DialogUnderTest dialog(Services());
  dialog.SetPaths(L" \"" + projectPath + L"\" ", L"\"" + packagePath + L"\"");
  dialog.Click(IDC_ENCRYPT);
  dialog.Click(IDC_GENERATE);
  const OwnedWindow box = dialog.WaitForOwned(60s).value_or(OwnedWindow{});
  EXPECT_EQ(box.text, kSucceeded);
  EXPECT_EQ(dialog.Paths(), projectPath + L" | " + packagePath) << "the edits show the paths used";
  const std::vector<int> shown = log->Take();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end() - 1)) << "progress never goes back";
  EXPECT_EQ(shown.end()[-2], 1000) << "the whole package was written";
  EXPECT_EQ(shown.back(), -1) << "cleared when the build ends";
  EXPECT_TRUE(log->paths().empty()) << "the folder window waits for the message";
  dialog.Dismiss(box);
  EXPECT_EQ(log->paths(), std::vector{packagePath});
  ExpectPackageOf(ReadFile(packagePath), 300, "");
  ASSERT_FALSE(builder->payload().empty());
  ::PostMessageW(dialog.window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(dialog.WaitForEnd());
  EXPECT_TRUE(builder->payload().empty());
}

// Holds a build at its first step (reading the clock) until opened.
struct BuildGate {
  std::int64_t Pass() { entered = true; open.wait(false); return std::time(nullptr); }
  std::atomic<bool> entered{false}, open{false};
};

// A result box of its own would turn the dialog on again when it closes (Wine's do), under the About box.
TEST_F(MainDialog, OnlyTheProjectEditIsDisabledAndAResultUnderTheAboutBoxWaitsForItToClose) {
  const auto gate = std::make_shared<BuildGate>();
  builder = std::make_shared<PackageBuilder>([gate] { return gate->Pass(); }, std::make_unique<RuntimeRandom>());
  WriteFile(projectPath, MakeProject(1));
  DialogUnderTest dialog(Services());
  dialog.SetPaths(projectPath, packagePath);
  dialog.SetText(IDC_PASSWORD, L"Ab3$Ef7!xy");  // the first 8 are planted
  dialog.Click(IDC_GENERATE);
  ASSERT_TRUE(WaitUntil([&] { return gate->entered.load(); }));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)); }));
  for (const int enabled : {IDC_GENERATE, IDC_CLOSE_BUTTON, IDC_BROWSE_PROJECT, IDC_BROWSE_FOLDER, IDC_PACKAGE_PATH,
                            IDC_ENCRYPT, IDC_PASSWORD}) EXPECT_TRUE(::IsWindowEnabled(dialog.item(enabled))) << enabled;
  // A drop passes the disabled project path by (Wine would deliver it there).
  std::filesystem::create_directory(folder.path / L"stick");
  Drop(dialog, {folder.File(L"dropped.pmw"), folder.File(L"stick")});
  EXPECT_EQ(dialog.Paths(), projectPath + L" | " + folder.File(L"stick\\VANTU.PPW"));
  // A second worker would complain at once about the empty package path.
  dialog.SetText(IDC_PACKAGE_PATH, L"");
  dialog.Click(IDC_GENERATE);
  EXPECT_FALSE(dialog.WaitForOwned(500ms)) << "a second click started a worker";

  // The About box's entry ends the system menu; the low four bits of a system command are the system's own.
  const HMENU menu = ::GetSystemMenu(dialog.window(), FALSE);
  EXPECT_EQ(::GetMenuItemID(menu, ::GetMenuItemCount(menu) - 1), static_cast<UINT>(IDM_ABOUTBOX));
  ::PostMessageW(dialog.window(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
  const auto about = dialog.WaitForOwned();
  ASSERT_TRUE(about);
  EXPECT_EQ(about->caption, L"关于我们");
  gate->open = true; gate->open.notify_all();
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)) != FALSE; }));
  dialog.Sync();
  EXPECT_EQ(dialog.WaitForOwned(0ms).value_or(OwnedWindow{}).window, about->window) << "no result box over the About box";
  EXPECT_FALSE(::IsWindowEnabled(dialog.window()));

  dialog.PressKey(VK_ESCAPE);  // closes the About box
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(about->window); }));
  const OwnedWindow box = dialog.WaitForOwned().value_or(OwnedWindow{});
  EXPECT_EQ(box.text, kSucceeded) << "the first worker kept its own copy of the package path";
  dialog.Dismiss(box);
  EXPECT_TRUE(log->paths().size() == 1 && ::IsWindowEnabled(dialog.window()));
  ExpectPackageOf(ReadFile(packagePath), 1, "Ab3$Ef7!");
}

// Starts from the settings file (no password: the default), encrypting; "关闭" saves nothing, the close box both paths.
TEST_F(MainDialog, StartsFromTheSettingsFileAndBothWaysOfClosingStopABuildOfTheLargestProject) {
  const std::wstring largest = folder.File(L"largest.pmw"), stored = L"D:\\plc\\line1.pmw | E:\\plc\\VANTU.PPW";
  WriteFile(largest, MakeProject(65535));  // a 131 MB program image
  const struct { bool closeBox; std::string password; std::wstring shown; } cases[] = {
      {false, "ABCD1234", L"ABCD1234"}, {true, "", L"58203147"}};  // the default
  for (const auto& c : cases) {
    SCOPED_TRACE(c.closeBox ? "close box" : "\"关闭\"");
    WriteFile(settingsPath, "[Path]\r\nPMW=D:\\plc\\line1.pmw\r\nPPM=E:\\plc\\VANTU.PPW\r\n[Password]\r\nPassword=" +
                                c.password + "\r\n");
    DialogUnderTest dialog(Services());
    EXPECT_EQ(dialog.Paths(), stored);
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), c.shown);
    EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT) && ::IsWindowVisible(dialog.item(IDC_PASSWORD)));
    EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PROJECT_PATH); }));
    dialog.SetPaths(largest, packagePath);
    dialog.Click(IDC_GENERATE);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)); }));
    const HWND target = c.closeBox ? dialog.window() : dialog.item(IDC_CLOSE_BUTTON);
    ::PostMessageW(target, c.closeBox ? WM_CLOSE : BM_CLICK, 0, 0);
    ASSERT_TRUE(dialog.WaitForEnd()) << "the dialog hangs";
    EXPECT_EQ(builder->result().failure, BuildFailure::kStopped) << "the build ran to its end before the stop";
    EXPECT_TRUE(log->paths().empty());
    const SavedSettings saved = SettingsFile(settingsPath).Load();
    EXPECT_EQ(saved.projectPath + L" | " + saved.packagePath, c.closeBox ? largest + L" | " + packagePath : stored);
  }
}

// Visible top-level windows other than those `known` (this test itself shows none).
std::vector<HWND> VisibleWindows(const std::vector<HWND>& known = {}) {
  std::vector<HWND> found;
  for (HWND window = ::GetTopWindow(nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (::IsWindowVisible(window) && std::ranges::count(known, window) == 0) found.push_back(window);
  }
  return found;
}

// Some Wine sessions lack the shell's window service: any open-and-select fails, whoever asks; here the shell is asked.
bool ShellCannotSelectInThisSession(const std::wstring& path) {
  const fw::ComApartment com;
  PIDLIST_ABSOLUTE item = nullptr;
  if (FAILED(::SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr))) return false;
  const fw::UniquePidl owned(item);
  return ::SHOpenFolderAndSelectItems(item, 0, nullptr, 0) == REGDB_E_CLASSNOTREG;
}

TEST(ShellParsablePath, IsAbsoluteAndDropsTheVerbatimPrefixWhereItCan) {
  const struct { std::wstring path, parsable; } cases[] = {
      {L"VANTU.PPW", (std::filesystem::current_path() / L"VANTU.PPW").wstring()},
      {L"\\\\?\\C:\\plc\\VANTU.PPW", L"C:\\plc\\VANTU.PPW"},
      {L"\\\\?\\UNC\\server\\share\\VANTU.PPW", L"\\\\server\\share\\VANTU.PPW"},
      {L"\\\\?\\C:\\plc.\\VANTU.PPW", L"\\\\?\\C:\\plc.\\VANTU.PPW"},  // the dot would be lost
  };
  for (const auto& c : cases) EXPECT_EQ(ShellParsablePath(c.path), c.parsable) << ::testing::PrintToString(c.path);
}

// A package past 260 characters, named with the prefix, removed with calls that take it (remove_all stops at 260).
struct LongPackage {
  explicit LongPackage(const TempFolder& folder)
      : top(L"\\\\?\\" + folder.File(std::wstring(120, L'a'))), deep(top + L"\\" + std::wstring(120, L'b')) {
    std::filesystem::create_directories(deep);
    WriteFile(path, std::string(156, '\0'));
  }
  ~LongPackage() { ::DeleteFileW(path.c_str()), ::RemoveDirectoryW(deep.c_str()), ::RemoveDirectoryW(top.c_str()); }
  const std::wstring top, deep, path = deep + L"\\VANTU.PPW";
};

// Relative paths and the prefix alone are ShellParsablePath's business, above.
TEST(RevealInExplorer, OpensAFolderWindowForShortAndLongPathsAndRefusesAMissingPackage) {
  TempFolder folder;
  WriteFile(folder.File(L"VANTU.PPW"), std::string(156, '\0'));
  const LongPackage deep(folder);
  // Wine opens a long path's folder but cannot select in it, and says so: there only the folder window counts.
  for (const std::wstring& path : {folder.File(L"VANTU.PPW"), deep.path}) {
    SCOPED_TRACE(path.size());
    const std::vector<HWND> before = VisibleWindows();
    const int revealed = RevealInExplorer(path);
    if (revealed == 0 && ShellCannotSelectInThisSession(folder.File(L"VANTU.PPW"))) {
      GTEST_SKIP() << "this Wine session's shell cannot open a folder with a selection";
    }
    EXPECT_TRUE(revealed == 1 || path.size() >= MAX_PATH);
    std::vector<HWND> opened;
    EXPECT_TRUE(WaitUntil([&] { return !(opened = VisibleWindows(before)).empty(); }, 30s)) << "no folder window";
    for (const HWND window : opened) ::PostMessageW(window, WM_CLOSE, 0, 0);
    WaitUntil([&] { return std::none_of(opened.begin(), opened.end(), ::IsWindow); });
  }
  EXPECT_EQ(RevealInExplorer(folder.File(L"nothing\\VANTU.PPW")), 0);
}

}  // namespace
}  // namespace tessam::test
