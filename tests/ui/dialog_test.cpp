// The main dialog driven through its control identifiers, as a user would.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/ui/test_support.h"
#include "framework/app.h"
#include "framework/strings.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

const std::wstring kDefaultPassword = L"58203147";

class MainDialog : public ::testing::Test {
 protected:
  CTessamDlg::Services Services() const { return {settingsPath, nullptr, nullptr, nullptr}; }

  TempFolder folder;
  std::wstring settingsPath = folder.File(L"config.cfg");
};

RECT RectIn(HWND dialog, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Run once per display scaling (see CMakeLists.txt): each label shows its
// whole text, inside the group box, over no other control. (The controls'
// order is the template's; other tests reach each one by its identifier.)
TEST_F(MainDialog, ControlsAndLabelsAtThisScaling) {
  DialogUnderTest dialog(Services());
  const HWND window = dialog.window();
  const LRESULT bigIcon = ::SendMessageW(window, WM_GETICON, ICON_BIG, 0);
  EXPECT_TRUE(bigIcon && ::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0), bigIcon);
  if (const char* dpi = std::getenv("TESSAM_TEST_DPI")) {
    const HDC screen = ::GetDC(nullptr);
    ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), std::atoi(dpi)) << "the scaling was not applied";
    ::ReleaseDC(nullptr, screen);
  }
  const HWND group = ::GetWindow(window, GW_CHILD);
  ASSERT_EQ(::GetWindowLongPtrW(group, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX) << "the frame comes first";
  const RECT box = RectIn(window, group);
  for (HWND label = group; label; label = ::GetWindow(label, GW_HWNDNEXT)) {
    if (ClassName(label) != L"Static") continue;
    const std::wstring text = fw::WindowText(label);
    SCOPED_TRACE(::testing::Message() << "label " << ::testing::PrintToString(text));
    const HDC dc = ::GetDC(label);
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

// Saving them is the app tests' business. A null `settings`: no file.
TEST_F(MainDialog, StartsFromTheSettingsFile) {
  const struct { const char* settings; std::wstring project, package, password; } cases[] = {
      {nullptr, L"", L"", kDefaultPassword},
      {"[Path]\r\nPMW=D:\\plc\\line1.pmw\r\nPPM=E:\\plc\\VANTU.PPW\r\n[Password]\r\nPassword=ABCD1234\r\n",
       L"D:\\plc\\line1.pmw", L"E:\\plc\\VANTU.PPW", L"ABCD1234"},
      {"[Password]\r\nPassword=\r\n", L"", L"", kDefaultPassword},
      {"[Password]\r\nPassword=0123456789AB\r\n", L"", L"", L"0123456789AB"},  // longer: shown whole
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings ? c.settings : "no file");
    if (c.settings) WriteBytes(settingsPath, c.settings);
    DialogUnderTest dialog(Services());
    EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), c.project);
    EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), c.package);
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), c.password);
    EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
    EXPECT_TRUE(::IsWindowVisible(dialog.item(IDC_PASSWORD)));
    EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PROJECT_PATH); }));
  }
}

// Without the swallowing, Escape would end the dialog, Enter in an edit would
// end it too, and Enter on a focused button would press that button.
TEST_F(MainDialog, KeysDoNothingAndThePasswordWantsEightCharactersOnlyWhenEncrypting) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"short");  // pressing "生成U盘下载" would show the warning
  for (const int focused : {IDC_PROJECT_PATH, IDC_GENERATE, IDC_CLOSE_BUTTON, IDC_ENCRYPT}) {
    ::PostMessageW(dialog.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.item(focused)), TRUE);
    dialog.Sync();
    ASSERT_EQ(dialog.Focus(), dialog.item(focused));
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      dialog.PressKey(key);
      dialog.Sync();
      EXPECT_TRUE(dialog.Running() && !dialog.WaitForOwned(0ms)) << focused << " key " << key;
    }
  }
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT)) << "Enter pressed the check box";
  dialog.SetText(IDC_PASSWORD, L"");
  for (const wchar_t c : std::wstring(L"abcdefghijk")) ::PostMessageW(dialog.item(IDC_PASSWORD), WM_CHAR, c, 1);
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"abcdefgh") << "typing stops at eight characters";

  const struct { bool encrypt; const wchar_t* password; bool refused; } cases[] = {
      {true, L"1234567", true}, {true, L"", true}, {true, L"12345678", false},
      {true, L"1234567890", false}, {false, L"123", false}, {true, L"ZYXW9876", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    dialog.SetText(IDC_PASSWORD, c.password);
    if (dialog.Checked(IDC_ENCRYPT) != c.encrypt) dialog.Click(IDC_ENCRYPT);
    dialog.Sync();
    // The check hides and shows the password, its text kept.
    EXPECT_EQ(::IsWindowVisible(dialog.item(IDC_PASSWORD)) != FALSE, c.encrypt);
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), c.password);
    dialog.Click(IDC_GENERATE);
    const auto box = dialog.WaitForOwned();
    ASSERT_TRUE(box);
    EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the box is modal for the dialog";
    // Accepted: the worker starts, and its path check speaks first.
    EXPECT_EQ(box->caption, c.refused ? fw::ApplicationTitle() : L"提示");
    EXPECT_EQ(box->text, c.refused ? L"密码必须为8位字符！" : L"PWM文件路径不存在！\n");
    EXPECT_EQ(box->icon, ::LoadIconW(nullptr, c.refused ? IDI_WARNING : IDI_INFORMATION));
    dialog.Dismiss(*box);
    EXPECT_TRUE(!c.refused || WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PASSWORD); })) << "focus";
  }
}

// An HDROP as Explorer hands it over: a DROPFILES record, then the names,
// each ended by a NUL, and one more NUL. The receiver frees it.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  list += L'\0';
  const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  return memory;
}

TEST_F(MainDialog, DropsAndBrowseBoxesFillThePaths) {
  const std::wstring project = folder.File(L"LINE1.PMW"), other = folder.File(L"notes.txt");
  WriteBytes(project, "x");
  WriteBytes(other, "x");
  // What the edits hold after each drop.
  const struct { std::vector<std::wstring> dropped; std::wstring project, package; } cases[] = {
      {{project}, project, L"before.PPW"},
      {{folder.path.wstring()}, L"before.pmw", folder.File(L"VANTU.PPW")},
      // Only the first project file and the first folder count.
      {{other, folder.path.wstring(), project, project + L"x.pmw"}, project, folder.File(L"VANTU.PPW")},
  };
  DialogUnderTest dialog(Services());
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    dialog.SetText(IDC_PROJECT_PATH, L"before.pmw");
    dialog.SetText(IDC_PACKAGE_PATH, L"before.PPW");
    ::PostMessageW(dialog.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(c.dropped)), 0);
    dialog.Sync();
    EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), c.project);
    EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), c.package);
  }
  // Smoke check of path completion: both path edits are taken over by it,
  // the password edit is not.
  const auto procedure = [&](int id) { return ::GetWindowLongPtrW(dialog.item(id), GWLP_WNDPROC); };
  EXPECT_NE(procedure(IDC_PROJECT_PATH), procedure(IDC_PASSWORD));
  EXPECT_NE(procedure(IDC_PACKAGE_PATH), procedure(IDC_PASSWORD));

  // A cancelled folder box keeps the package path; the open-file box fills the project path.
  dialog.SetText(IDC_PACKAGE_PATH, L"unchanged");
  dialog.Click(IDC_BROWSE_FOLDER);
  auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  ::PostMessageW(box->window, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"unchanged") << "cancel keeps the path";

  const std::wstring picked = folder.File(L"picked.pmw");
  WriteBytes(picked, std::string(300, '\0'));
  dialog.Click(IDC_BROWSE_PROJECT);
  box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  // The file-name field of the explorer-style box (cmb13, or edt1 in old ones).
  const HWND name = ::GetDlgItem(box->window, ::GetDlgItem(box->window, 0x47C) ? 0x47C : 0x480);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picked.c_str()));
  dialog.Dismiss(*box);
  EXPECT_TRUE(WaitUntil([&] { return dialog.Text(IDC_PROJECT_PATH) == picked; }));
}

}  // namespace
}  // namespace tessam::test
