// "config.cfg" in every form an editor saves, judged by what Windows' profile functions make of what they get.

#include <algorithm>
#include <cstdlib>

#include "framework/handles.h"
#include "settings/settings_file.h"
#include "tests/import_swap_win32.h"
#include "tests/ui/test_support.h"

namespace tessam::test {
namespace {

// `text` in `codePage` (1200, 1201: UTF-16 LE, BE), or nothing when it is not in it.
std::optional<std::string> Encoded(const std::wstring& text, UINT codePage) {
  if (codePage == 1200 || codePage == 1201) {
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    for (std::size_t i = 0; codePage == 1201 && i < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
  }
  std::string bytes(text.size() * 4, '\0');
  BOOL lost = FALSE;
  bytes.resize(static_cast<std::size_t>(::WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS,
      text.data(), static_cast<int>(text.size()), bytes.data(), static_cast<int>(bytes.size()), nullptr,
      codePage == CP_UTF8 ? nullptr : &lost)));
  return lost ? std::nullopt : std::optional(bytes);
}

// The profile functions' imports lead through a watch: it counts reads, keeps the file as the first write finds it.
struct ProfileCallWatch {
  void Clear() { reads = 0, written.reset(); }
  static DWORD WINAPI Get(LPCWSTR section, LPCWSTR key, LPCWSTR fallback, LPWSTR value, DWORD size, LPCWSTR file) {
    ++reads;
    return realGet(section, key, fallback, value, size, file);
  }
  static BOOL WINAPI Write(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    if (!written) written = ReadFile<std::string>(file);
    return realWrite(section, key, value, file);
  }
  static inline int reads = 0;
  static inline std::optional<std::string> written;
  static inline decltype(&::GetPrivateProfileStringW) realGet = nullptr;
  static inline decltype(&::WritePrivateProfileStringW) realWrite = nullptr;
  const ImportSwap<decltype(realGet)> getSwap{realGet = &::GetPrivateProfileStringW, &Get};
  const ImportSwap<decltype(realWrite)> writeSwap{realWrite = &::WritePrivateProfileStringW, &Write};
};

class Settings : public ::testing::Test {
 protected:
  TempFolder folder;
  std::wstring path = folder.File(L"config.cfg");
  SettingsFile settings{path};
};

// Each form an editor saves: loading reads the values, through the profile functions exactly when Windows reads the
// file (ANSI, UTF-16 LE marked, plain ASCII), changing nothing. Saving hands them UTF-16 LE, marked, with every line
// written, or the ANSI file as is while the paths fit its code page. Run in code page 936 too (GBK valid as UTF-8).
TEST_F(Settings, EveryFormAnEditorSavesLoadsAndSavesAsWindowsReadsIt) {
  const char* codePage = std::getenv("TESSAM_TEST_CODE_PAGE");  // the run in a Chinese locale
  ASSERT_TRUE(!codePage || ::GetACP() == std::stoul(codePage)) << "the locale did not apply: " << ::GetACP();
  const std::wstring foreign = L"D:\\线Ü\\" + std::wstring(300, L'x') + L".pmw";  // in no ANSI code page
  const struct { std::wstring text; SavedSettings values; std::wstring saved; } contents[] = {
      {L"[Path]\r\nPMW=D:\\工程\\线体1.pmw\r\n; 上次的路径\r\nPPM=E:\\下载\\VANTU.PPW\r\nNote=保留\r\n\r\n"
       L"[Password]\r\nPassword=密码1234\r\n\r\n[Machine]\r\nModel=FX3U\r\n",
       {L"D:\\工程\\线体1.pmw", L"E:\\下载\\VANTU.PPW", L"密码1234"}, foreign},
      {L"[Path]\r\nPMW=D:\\涂装\\line1.pmw\r\nPPM=E:\\细纱\\一站\\VANTU.PPW\r\n",
       {L"D:\\涂装\\line1.pmw", L"E:\\细纱\\一站\\VANTU.PPW", L""}, foreign},
      // Line ends as on Unix; only the first section of a name counts.
      {L"; written by hand\n[ path ]\npmw = \"D:\\plc\\line 1.pmw\"\n[Path]\nPMW=2nd\nPPM=2nd\n"
       L"[PASSWORD]\n\tpassword = 'ABCDEFGH' \n",
       {L"D:\\plc\\line 1.pmw", L"", L"ABCDEFGH"}, L"D:\\plc\\line2.pmw"},
      {L"", {}, foreign},
  };
  const struct { const char* name, *mark; UINT codePage; bool windowsReads; } forms[] = {
      {"ANSI", "", CP_ACP, true}, {"UTF-8 with a mark", "\xEF\xBB\xBF", CP_UTF8, false}, {"UTF-8", "", CP_UTF8, false},
      {"UTF-16 LE with a mark", "\xFF\xFE", 1200, true}, {"UTF-16 LE", "", 1200, false},
      {"UTF-16 BE with a mark", "\xFE\xFF", 1201, false}, {"UTF-16 BE", "", 1201, false},
  };
  ProfileCallWatch watch;
  for (const auto& content : contents) {
    for (const auto& form : forms) {
      const std::optional<std::string> encoded = Encoded(content.text, form.codePage);
      if (!encoded) continue;  // not in this system's code page
      SCOPED_TRACE(::testing::Message() << form.name << ": " << ::testing::PrintToString(content.text));
      const std::string bytes = form.mark + *encoded;
      const bool windowsReads = form.windowsReads || std::ranges::all_of(bytes, [](char c) { return c > 0; });
      WriteFile(path, bytes);
      watch.Clear();
      EXPECT_EQ(Joined(settings.Load()), Joined(content.values));
      EXPECT_EQ(watch.reads > 0, windowsReads) << "read with the profile functions";
      EXPECT_EQ(ReadFile<std::string>(path), bytes) << "loading changed the file";
      watch.Clear();
      settings.SavePaths(content.saved, L"F:\\VANTU.PPW");
      const bool staysAnsi = !form.mark[0] && windowsReads && content.saved != foreign;
      EXPECT_EQ(watch.written, staysAnsi ? bytes : "\xFF\xFE" + *Encoded(content.text, 1200)) << "handed over to write";
      EXPECT_EQ(Joined(settings.Load()), content.saved + L" | F:\\VANTU.PPW | " + content.values.password);
    }
  }
}

// Held for good: unshared, the file cannot be read; shared for reading, not replaced. Held a moment unshared (a
// scanner), it is waited for and converted, past an earlier save's hidden read-only leftover, nothing left beside it.
TEST_F(Settings, FileHeldElsewhere) {
  const std::wstring leftover = folder.File(L"config.cfg.new");
  WriteFile(leftover, std::string("x"));
  ::SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  ProfileCallWatch watch;
  const struct { DWORD sharing; bool letGo; } holds[] = {{0, false}, {FILE_SHARE_READ, false}, {0, true}};
  for (const auto& hold : holds) {
    const std::string before = hold.sharing || hold.letGo ? "\xEF\xBB\xBF[Path]\r\nPMW=保留.pmw\r\n" : "[Path]\r\n";
    WriteFile(path, before);
    watch.Clear();
    fw::UniqueHandle held(fw::NullIfInvalid(::CreateFileW(path.c_str(), GENERIC_READ, hold.sharing, nullptr,
                                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(held);
    std::thread scanner([&] { if (hold.letGo) std::this_thread::sleep_for(300ms), held.reset(); });
    settings.SavePaths(L"新.pmw", L"b");
    scanner.join();
    held.reset();
    EXPECT_EQ(ReadFile<std::string>(path) == before, !hold.letGo) << hold.sharing;
    EXPECT_EQ(watch.written, hold.letGo ? std::optional("\xFF\xFE" + *Encoded(L"[Path]\r\nPMW=保留.pmw\r\n", 1200))
                                        : std::nullopt) << "handed over to write";
  }
  EXPECT_EQ(Joined(settings.Load()), L"新.pmw | b | ");
  const std::filesystem::directory_iterator files(folder.path);
  EXPECT_EQ(std::distance(begin(files), end(files)), 2) << "config.cfg and the leftover";
  ::SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_NORMAL);
  SettingsFile(folder.File(L"gone\\config.cfg")).SavePaths(L"a.pmw", L"b");
  EXPECT_FALSE(std::filesystem::exists(folder.path / L"gone")) << "a missing folder is not made";
}

}  // namespace
}  // namespace tessam::test
