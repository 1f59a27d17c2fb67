// The main dialog driven through its control identifiers: layout, start-up
// from the settings file, the password rule, keys, the two ways of closing,
// the About box and the browse boxes.
#include <gtest/gtest.h>

#include <vector>

#include "settings/settings_file.h"
#include "tests/ui/test_support.h"
#include "framework/app.h"
#include "framework/strings.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

const std::wstring kDefaultPassword = L"58203147";

class MainDialog : public ::testing::Test {
 protected:
  CTessamDlg::Services Services() const { return {settingsPath, nullptr, nullptr}; }

  TempFolder folder;
  std::wstring settingsPath = folder.File(L"config.cfg");
};

// Corners of a rectangle in dialog units, converted as the dialog manager
// does (position and size separately), or of a control as placed.
std::vector<LONG> DialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT r{x, y, width, height};
  ::MapDialogRect(dialog, &r);
  return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}
std::vector<LONG> Placement(HWND dialog, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

bool HasChildWithText(HWND window, const std::wstring& text) {
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (fw::WindowText(child) == text) return true;
  }
  return false;
}

TEST_F(MainDialog, FrameAndControlsFollowTheTemplateInTabOrder) {
  DialogUnderTest dialog(Services());
  const HWND window = dialog.window();
  EXPECT_EQ(fw::WindowText(window), L"HalvorU盘下载PLC工程");
  const LONG_PTR frame = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(frame & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  EXPECT_FALSE(frame & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT client;
  ::GetClientRect(window, &client);
  EXPECT_EQ((std::vector<LONG>{0, 0, client.right, client.bottom}), DialogUnits(window, 0, 0, 291, 150));
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
  const HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72)) << "9 points";
  ::ReleaseDC(nullptr, screen);
  const LRESULT bigIcon = ::SendMessageW(window, WM_GETICON, ICON_BIG, 0);
  EXPECT_NE(bigIcon, 0);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0), bigIcon);

  const struct {
    const wchar_t* className;
    int id;
    const wchar_t* text;
    int x, y, width, height;
    LONG_PTR type;  // BS_ or SS_ type bits
  } expected[] = {
      {L"Button", IDC_STATIC, L"", 7, 7, 277, 136, BS_GROUPBOX},
      {L"Static", IDC_STATIC, L"请选择PWM文件：", 15, 58, 58, 8, SS_RIGHT},
      {L"Edit", IDC_PROJECT_PATH, L"", 79, 55, 157, 13, 0},
      {L"Button", IDC_GENERATE, L"生成U盘下载", 17, 109, 124, 26, BS_PUSHBUTTON},
      {L"Button", IDC_CLOSE_BUTTON, L"关闭", 148, 109, 124, 26, BS_PUSHBUTTON},
      {L"Button", IDC_BROWSE_PROJECT, L"...", 241, 53, 31, 14, BS_PUSHBUTTON},
      {L"Static", IDC_STATIC, L"输出U盘文件：", 15, 83, 58, 8, SS_RIGHT},
      {L"Edit", IDC_PACKAGE_PATH, L"", 79, 80, 157, 13, 0},
      {L"Button", IDC_BROWSE_FOLDER, L"...", 241, 78, 31, 14, BS_PUSHBUTTON},
      {L"Static", IDC_STATIC, L"是否加密：", 15, 30, 58, 8, SS_RIGHT},
      {L"Button", IDC_ENCRYPT, L"启用", 80, 29, 26, 10, BS_AUTOCHECKBOX},
      {L"Edit", IDC_PASSWORD, kDefaultPassword.c_str(), 114, 28, 53, 14, 0},
  };
  HWND child = ::GetWindow(window, GW_CHILD);
  for (const auto& want : expected) {
    SCOPED_TRACE(::testing::Message() << "control " << (&want - expected));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ClassName(child), want.className);
    EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(child)), static_cast<WORD>(want.id));
    EXPECT_EQ(fw::WindowText(child), want.text);
    EXPECT_EQ(Placement(window, child), DialogUnits(window, want.x, want.y, want.width, want.height));
    const std::wstring type = ClassName(child);
    const LONG_PTR mask = type == L"Button" ? BS_TYPEMASK : type == L"Static" ? SS_TYPEMASK : 0;
    EXPECT_EQ(::GetWindowLongPtrW(child, GWL_STYLE) & mask, want.type);
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template has";
}

TEST_F(MainDialog, StartsFromTheSettingsFileWithTheDefaultPasswordWhenThereIsNone) {
  const struct {
    const char* settings;  // nullptr: no file
    std::wstring project, package, password;
  } cases[] = {
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

TEST_F(MainDialog, PasswordRuleWantsEightCharactersWhenEncrypting) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"");
  for (const wchar_t c : std::wstring(L"abcdefghijk")) ::PostMessageW(dialog.item(IDC_PASSWORD), WM_CHAR, c, 1);
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"abcdefgh") << "typing stops at eight characters";

  const struct {
    bool encrypt;
    const wchar_t* password;
    bool refused;
  } cases[] = {
      {true, L"1234567", true}, {true, L"", true}, {true, L"12345678", false},
      {true, L"1234567890", false}, {false, L"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    if (dialog.Checked(IDC_ENCRYPT) != c.encrypt) dialog.Click(IDC_ENCRYPT);
    dialog.SetText(IDC_PASSWORD, c.password);
    dialog.Click(IDC_GENERATE);
    const auto box = dialog.WaitForOwned();
    ASSERT_TRUE(box);
    EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the box is modal for the dialog";
    // Accepted: the worker starts, and its path check speaks first.
    EXPECT_EQ(box->caption, c.refused ? fw::ApplicationTitle() : L"提示");
    EXPECT_EQ(box->text, c.refused ? L"密码必须为8位字符！" : L"PWM文件路径不存在！\n");
    EXPECT_EQ(box->icon, ::LoadIconW(nullptr, c.refused ? IDI_WARNING : IDI_INFORMATION));
    dialog.Dismiss(*box);
    if (c.refused) {
      EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PASSWORD); }));
    }
  }
}

TEST_F(MainDialog, EncryptCheckHidesAndShowsThePasswordWithItsText) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"ZYXW9876");
  for (const bool checked : {false, true}) {
    dialog.Click(IDC_ENCRYPT);
    dialog.Sync();
    EXPECT_EQ(dialog.Checked(IDC_ENCRYPT), checked);
    EXPECT_EQ(::IsWindowVisible(dialog.item(IDC_PASSWORD)) != FALSE, checked);
  }
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"ZYXW9876");
}

// Without the swallowing, Escape would end the dialog, Enter in an edit would
// end it too, and Enter on a focused button would press that button.
TEST_F(MainDialog, EscapeAndEnterDoNothingWhateverHasTheFocus) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"short");  // pressing 1002 would show the warning
  for (const int focused : {IDC_PROJECT_PATH, IDC_GENERATE, IDC_CLOSE_BUTTON, IDC_ENCRYPT}) {
    ::PostMessageW(dialog.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.item(focused)), TRUE);
    dialog.Sync();
    ASSERT_EQ(dialog.Focus(), dialog.item(focused));
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      dialog.PressKey(key);
      dialog.Sync();
      EXPECT_TRUE(dialog.Running()) << focused << " key " << key;
      EXPECT_FALSE(dialog.WaitForOwned(0ms)) << focused << " key " << key;
    }
  }
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
}

TEST_F(MainDialog, CloseButtonSavesNothingAndTheCloseBoxSavesBothPathsWholeForTheNextStart) {
  // Longer than 259 characters, and outside any ANSI code page.
  const std::wstring project = L"D:\\项目\\" + std::wstring(300, L'p') + L"\\线路一.pmw";
  const std::wstring package = L"E:\\下载\\VANTU.PPW";
  const std::string before = "[Path]\r\nPMW=old.pmw\r\n";
  WriteBytes(settingsPath, before);
  for (const bool closeBox : {false, true}) {
    DialogUnderTest dialog(Services());
    dialog.SetText(IDC_PROJECT_PATH, project);
    dialog.SetText(IDC_PACKAGE_PATH, package);
    if (closeBox) {
      ::PostMessageW(dialog.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      dialog.Click(IDC_CLOSE_BUTTON);
    }
    ASSERT_TRUE(dialog.WaitForEnd());
    if (!closeBox) {
      EXPECT_EQ(ReadBytes(settingsPath), before) << "\"关闭\" saves nothing";
      std::filesystem::remove(settingsPath);  // so the close box writes a new, Unicode file
    }
  }
  DialogUnderTest next(Services());
  EXPECT_EQ(next.Text(IDC_PROJECT_PATH), project);
  EXPECT_EQ(next.Text(IDC_PACKAGE_PATH), package);
}

TEST_F(MainDialog, AboutBoxOpensFromTheSystemMenuAndClosesThreeWays) {
  DialogUnderTest dialog(Services());
  const HMENU menu = ::GetSystemMenu(dialog.window(), FALSE);
  const int count = ::GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t entry[64] = {};
  ::GetMenuStringW(menu, count - 1, entry, 64, MF_BYPOSITION);
  EXPECT_STREQ(entry, L"关于我们 (&A)...");

  enum Way { kOk, kEscape, kCloseBox };
  for (const Way way : {kOk, kEscape, kCloseBox}) {
    SCOPED_TRACE(way);
    // The low four bits of a system command are the system's own.
    ::PostMessageW(dialog.window(), WM_SYSCOMMAND, IDM_ABOUTBOX | (way == kCloseBox ? 0x3 : 0), 0);
    const auto about = dialog.WaitForOwned();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->caption, L"关于我们");
    EXPECT_NE(about->icon, nullptr);
    EXPECT_EQ(about->text, L"U盘下载PLC，1.0 版");
    EXPECT_TRUE(HasChildWithText(about->window, L"http://www.halvor.cn"));
    EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the main dialog waits for the About box";
    if (way == kOk) dialog.Click(::GetDlgItem(about->window, IDOK));
    if (way == kEscape) dialog.PressKey(VK_ESCAPE);
    if (way == kCloseBox) ::PostMessageW(about->window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about->window) && ::IsWindowEnabled(dialog.window()); }));
    EXPECT_TRUE(dialog.Running());
  }
}

TEST_F(MainDialog, FolderBoxHasItsTitleAndTheOpenFileBoxFillsTheProjectPath) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PACKAGE_PATH, L"unchanged");
  dialog.Click(IDC_BROWSE_FOLDER);
  auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  EXPECT_TRUE(HasChildWithText(box->window, L"请选择生成U盘PLC程序的文件夹"));
  ::PostMessageW(box->window, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"unchanged") << "cancel keeps the path";

  const std::wstring project = folder.File(L"line1.pmw");
  WriteBytes(project, std::string(300, '\0'));
  dialog.Click(IDC_BROWSE_PROJECT);
  box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  // The file-name field of the explorer-style box (cmb13, or edt1 in old ones).
  const HWND name = ::GetDlgItem(box->window, 0x47C) ? ::GetDlgItem(box->window, 0x47C) : ::GetDlgItem(box->window, 0x480);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(project.c_str()));
  dialog.Dismiss(*box);
  EXPECT_TRUE(WaitUntil([&] { return dialog.Text(IDC_PROJECT_PATH) == project; }));
}

}  // namespace
}  // namespace tessam::test
