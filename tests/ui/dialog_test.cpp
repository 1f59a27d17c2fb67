// The main dialog driven through its control identifiers: layout, start-up
// from the settings file, the password rule, keys, the password edit's
// visibility, the two ways of closing, and the browse boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "settings/settings_file.h"
#include "tests/ui/dialog_harness.h"
#include "ui/framework/app.h"
#include "ui/framework/strings.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

class MainDialog : public ::testing::Test {
 protected:
  CTessamDlg::Services Services() const { return {settingsPath, nullptr, nullptr}; }
  void WriteSettings(const std::string& contents) { WriteBytes(settingsPath, contents); }

  TempFolder folder;
  std::wstring settingsPath = folder.File(L"config.cfg");
};

// The dialog manager converts position and size separately.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT units{x, y, width, height};
  ::MapDialogRect(dialog, &units);
  return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT RectInDialog(HWND dialog, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Comparable and printable by gtest.
std::vector<LONG> Corners(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      char code[12];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

TEST_F(MainDialog, FrameIsFixedSizeWithCaptionFontAndNoOkButton) {
  DialogUnderTest dialog(Services());
  const HWND window = dialog.window();
  EXPECT_EQ(fw::WindowText(window), L"HalvorU盘下载PLC工程");

  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & DS_MODALFRAME);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  RECT client;
  ::GetClientRect(window, &client);
  EXPECT_EQ(Corners(client), Corners(DialogUnits(window, 0, 0, 291, 150)));

  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
  const HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
  ::ReleaseDC(nullptr, screen);

  EXPECT_EQ(::GetDlgItem(window, IDOK), nullptr);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(::SendMessageW(window, WM_QUERYDRAGICON, 0, 0), ::SendMessageW(window, WM_GETICON, ICON_BIG, 0));
}

TEST_F(MainDialog, ControlsFollowTheTemplateInTabOrder) {
  struct Control {
    const wchar_t* className;
    int id;  // -1: no identifier
    const wchar_t* text;
    int x, y, width, height;
    LONG_PTR type;  // BS_ or SS_ type bits
  };
  const Control expected[] = {
      {L"Button", -1, L"", 7, 7, 277, 136, BS_GROUPBOX},
      {L"Static", -1, L"请选择PWM文件：", 15, 58, 58, 8, SS_RIGHT},
      {L"Edit", IDC_PROJECT_PATH, L"", 79, 55, 157, 13, 0},
      {L"Button", IDC_GENERATE, L"生成U盘下载", 17, 109, 124, 26, BS_PUSHBUTTON},
      {L"Button", IDC_CLOSE_BUTTON, L"关闭", 148, 109, 124, 26, BS_PUSHBUTTON},
      {L"Button", IDC_BROWSE_PROJECT, L"...", 241, 53, 31, 14, BS_PUSHBUTTON},
      {L"Static", -1, L"输出U盘文件：", 15, 83, 58, 8, SS_RIGHT},
      {L"Edit", IDC_PACKAGE_PATH, L"", 79, 80, 157, 13, 0},
      {L"Button", IDC_BROWSE_FOLDER, L"...", 241, 78, 31, 14, BS_PUSHBUTTON},
      {L"Static", -1, L"是否加密：", 15, 30, 58, 8, SS_RIGHT},
      {L"Button", IDC_ENCRYPT, L"启用", 80, 29, 26, 10, BS_AUTOCHECKBOX},
      {L"Edit", IDC_PASSWORD, L"58203147", 114, 28, 53, 14, 0},
  };

  DialogUnderTest dialog(Services());
  HWND child = ::GetWindow(dialog.window(), GW_CHILD);
  for (const Control& want : expected) {
    SCOPED_TRACE(Narrow(want.text) + " " + std::to_string(want.id));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ClassName(child), want.className);
    EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(child)), static_cast<WORD>(want.id));
    EXPECT_EQ(fw::WindowText(child), want.text);
    EXPECT_EQ(Corners(RectInDialog(dialog.window(), child)),
              Corners(DialogUnits(dialog.window(), want.x, want.y, want.width, want.height)));
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (std::wstring(want.className) == L"Edit") {
      // A bordered edit in a dialog may get the sunken edge in place of the line.
      EXPECT_TRUE((style & WS_BORDER) || (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
      EXPECT_TRUE(style & ES_AUTOHSCROLL);
      EXPECT_TRUE(style & WS_TABSTOP);
      EXPECT_FALSE(style & (ES_PASSWORD | ES_READONLY));
    } else if (std::wstring(want.className) == L"Button") {
      EXPECT_EQ(style & BS_TYPEMASK, want.type);
    } else {
      EXPECT_EQ(style & SS_TYPEMASK, want.type);
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template has";
}

TEST_F(MainDialog, StartsFromAnEmptySettingsFolderWithTheDefaultPassword) {
  DialogUnderTest dialog(Services());
  EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), L"");
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"");
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"58203147");
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
  EXPECT_TRUE(::IsWindowVisible(dialog.item(IDC_PASSWORD)));
  EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PROJECT_PATH); }));
}

TEST_F(MainDialog, StartsFromTheSettingsFile) {
  WriteSettings("[Path]\r\nPMW=D:\\plc\\line1.pmw\r\nPPM=E:\\plc\\VANTU.PPW\r\n[Password]\r\nPassword=ABCD1234\r\n");
  DialogUnderTest dialog(Services());
  EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), L"D:\\plc\\line1.pmw");
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"E:\\plc\\VANTU.PPW");
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"ABCD1234");
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
}

TEST_F(MainDialog, EmptyPasswordValueGivesTheDefaultAndALongerOneIsShownWhole) {
  {
    WriteSettings("[Password]\r\nPassword=\r\n");
    DialogUnderTest dialog(Services());
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"58203147");
  }
  {
    WriteSettings("[Password]\r\nPassword=0123456789AB\r\n");
    DialogUnderTest dialog(Services());
    EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"0123456789AB");
  }
  EXPECT_EQ(SettingsFile(settingsPath).Load().password, L"0123456789AB") << "the default is never written";
}

TEST_F(MainDialog, SystemMenuEndsWithTheAboutEntry) {
  DialogUnderTest dialog(Services());
  const HMENU menu = ::GetSystemMenu(dialog.window(), FALSE);
  const int count = ::GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_TRUE(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[64] = {};
  ::GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"关于我们 (&A)...");
}

TEST_F(MainDialog, ShortPasswordIsRefusedWithAWarningAndTheFocusMovesToIt) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"1234567");
  dialog.Click(IDC_GENERATE);

  const auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, fw::ApplicationTitle());
  EXPECT_EQ(box->text, L"密码必须为8位字符！");
  EXPECT_EQ(box->icon, ::LoadIconW(nullptr, IDI_WARNING));
  EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the box is modal for the dialog";
  dialog.Dismiss(*box);
  EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.item(IDC_PASSWORD); }));
  EXPECT_TRUE(dialog.Running());
}

// A password that passes the rule starts the worker, whose first word here
// is the path check (the project path is empty).
void ExpectWorkerStarted(DialogUnderTest& dialog, const std::string& label) {
  const auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box) << label;
  EXPECT_EQ(box->caption, L"提示") << label;
  EXPECT_EQ(box->text, L"PWM文件路径不存在！\n") << label;
  dialog.Dismiss(*box);
}

TEST_F(MainDialog, PasswordRuleCountsAtMostEightCharacters) {
  DialogUnderTest dialog(Services());
  for (const wchar_t* accepted : {L"12345678", L"1234567890"}) {
    dialog.SetText(IDC_PASSWORD, accepted);
    dialog.Click(IDC_GENERATE);
    ExpectWorkerStarted(dialog, Narrow(accepted));
  }
  dialog.SetText(IDC_PASSWORD, L"");
  dialog.Click(IDC_GENERATE);
  const auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"密码必须为8位字符！") << "an empty password with encryption on is refused";
  dialog.Dismiss(*box);
}

TEST_F(MainDialog, UncheckedEncryptionAcceptsAnyPassword) {
  DialogUnderTest dialog(Services());
  dialog.Click(IDC_ENCRYPT);
  dialog.SetText(IDC_PASSWORD, L"");
  dialog.Click(IDC_GENERATE);
  ExpectWorkerStarted(dialog, "unchecked");
}

TEST_F(MainDialog, TypingStopsAtEightCharactersButProgramTextIsNotCut) {
  WriteSettings("[Password]\r\nPassword=0123456789\r\n");
  DialogUnderTest dialog(Services());
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"0123456789");
  dialog.SetText(IDC_PASSWORD, L"");
  dialog.TypeText(L"abcdefghijk", dialog.item(IDC_PASSWORD));
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PASSWORD), L"abcdefgh");
}

TEST_F(MainDialog, EncryptCheckHidesAndShowsThePasswordWithItsText) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PASSWORD, L"ZYXW9876");
  dialog.Click(IDC_ENCRYPT);
  dialog.Sync();
  EXPECT_FALSE(dialog.Checked(IDC_ENCRYPT));
  EXPECT_FALSE(::IsWindowVisible(dialog.item(IDC_PASSWORD)));
  dialog.Click(IDC_ENCRYPT);
  dialog.Sync();
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
  EXPECT_TRUE(::IsWindowVisible(dialog.item(IDC_PASSWORD)));
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
      EXPECT_FALSE(dialog.FindOwned()) << focused << " key " << key;
    }
  }
  EXPECT_TRUE(dialog.Checked(IDC_ENCRYPT));
}

TEST_F(MainDialog, CloseButtonEndsWithoutSaving) {
  WriteSettings("[Path]\r\nPMW=old.pmw\r\n");
  const std::string before = ReadBytes(settingsPath);
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PROJECT_PATH, L"C:\\new.pmw");
  dialog.Click(IDC_CLOSE_BUTTON);
  ASSERT_TRUE(dialog.WaitForEnd());
  EXPECT_EQ(dialog.result(), IDCANCEL);
  EXPECT_EQ(ReadBytes(settingsPath), before);
}

TEST_F(MainDialog, CloseButtonCreatesNoSettingsFile) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PROJECT_PATH, L"C:\\new.pmw");
  dialog.Click(IDC_CLOSE_BUTTON);
  ASSERT_TRUE(dialog.WaitForEnd());
  EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(MainDialog, CloseBoxSavesBothPathsWholeForTheNextStart) {
  // Longer than 259 characters, and outside any ANSI code page.
  const std::wstring project = L"D:\\项目\\" + std::wstring(300, L'p') + L"\\线路一.pmw";
  const std::wstring package = L"E:\\下载\\VANTU.PPW";
  {
    DialogUnderTest dialog(Services());
    dialog.SetText(IDC_PROJECT_PATH, project);
    dialog.SetText(IDC_PACKAGE_PATH, package);
    ::PostMessageW(dialog.window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(dialog.WaitForEnd());
    EXPECT_EQ(dialog.result(), IDCANCEL);
  }
  DialogUnderTest next(Services());
  EXPECT_EQ(next.Text(IDC_PROJECT_PATH), project);
  EXPECT_EQ(next.Text(IDC_PACKAGE_PATH), package);
}

TEST_F(MainDialog, SystemMenuCloseAlsoSaves) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PACKAGE_PATH, L"F:\\VANTU.PPW");
  ::PostMessageW(dialog.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(dialog.WaitForEnd());
  const SavedSettings saved = SettingsFile(settingsPath).Load();
  EXPECT_EQ(saved.projectPath, L"");
  EXPECT_EQ(saved.packagePath, L"F:\\VANTU.PPW");
}

TEST_F(MainDialog, AboutBoxOpensFromTheSystemMenuAndClosesThreeWays) {
  DialogUnderTest dialog(Services());
  enum class Way { kOk, kEscape, kCloseBox };
  for (const Way way : {Way::kOk, Way::kEscape, Way::kCloseBox}) {
    SCOPED_TRACE(static_cast<int>(way));
    ::PostMessageW(dialog.window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const auto about = dialog.WaitForOwned();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->caption, L"关于我们");
    EXPECT_NE(about->icon, nullptr);
    EXPECT_EQ(about->text, L"U盘下载PLC，1.0 版");
    EXPECT_FALSE(::IsWindowEnabled(dialog.window())) << "the main dialog waits for the About box";

    switch (way) {
      case Way::kOk:
        dialog.Click(::GetDlgItem(about->window, IDOK));
        break;
      case Way::kEscape:
        dialog.PressKey(VK_ESCAPE);
        break;
      case Way::kCloseBox:
        ::PostMessageW(about->window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about->window); }));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(dialog.window()) != FALSE; }));
    EXPECT_TRUE(dialog.Running());
  }
}

TEST_F(MainDialog, AboutBoxShowsTheMakersAddress) {
  DialogUnderTest dialog(Services());
  ::PostMessageW(dialog.window(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);  // low bits are ignored
  const auto about = dialog.WaitForOwned();
  ASSERT_TRUE(about);
  std::vector<std::wstring> texts;
  for (HWND child = ::GetWindow(about->window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(fw::WindowText(child));
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"http://www.halvor.cn"), texts.end());
  EXPECT_EQ(::SendMessageW(about->window, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  dialog.Dismiss(*about);
}

TEST_F(MainDialog, OpenFileBoxFillsTheProjectPathAndCancelKeepsIt) {
  const std::wstring project = folder.File(L"line1.pmw");
  WriteBytes(project, std::string(300, '\0'));
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PROJECT_PATH, L"unchanged");

  dialog.Click(IDC_BROWSE_PROJECT);
  auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  EXPECT_FALSE(::IsWindowEnabled(dialog.window()));
  ::PostMessageW(box->window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
  EXPECT_EQ(dialog.Text(IDC_PROJECT_PATH), L"unchanged");

  dialog.Click(IDC_BROWSE_PROJECT);
  box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  // The file-name field of the explorer-style box (cmb13, or edt1 in old ones).
  HWND name = ::GetDlgItem(box->window, 0x47C);
  if (!name) name = ::GetDlgItem(box->window, 0x480);
  ASSERT_NE(name, nullptr);
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(project.c_str()));
  dialog.Dismiss(*box);
  EXPECT_TRUE(WaitUntil([&] { return dialog.Text(IDC_PROJECT_PATH) == project; }));
}

TEST_F(MainDialog, FolderBoxHasItsTitleAndCancelKeepsThePackagePath) {
  DialogUnderTest dialog(Services());
  dialog.SetText(IDC_PACKAGE_PATH, L"unchanged");
  dialog.Click(IDC_BROWSE_FOLDER);
  const auto box = dialog.WaitForOwned();
  ASSERT_TRUE(box);
  std::vector<std::wstring> texts;
  for (HWND child = ::GetWindow(box->window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(fw::WindowText(child));
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), L"请选择生成U盘PLC程序的文件夹"), texts.end());
  ::PostMessageW(box->window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
  dialog.Sync();
  EXPECT_EQ(dialog.Text(IDC_PACKAGE_PATH), L"unchanged");
}

}  // namespace
}  // namespace tessam::test
