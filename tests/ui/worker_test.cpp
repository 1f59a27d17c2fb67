// Building from the dialog: the outcomes a user sees, with the package
// checked byte for byte; the edit disabled during a build; a second click;
// "关闭" and the close box in the middle of a build of the largest project.
#include <gtest/gtest.h>

#include <condition_variable>
#include <ctime>
#include <iostream>
#include <mutex>
#include <vector>

#include "core/package_builder.h"
#include "core/random.h"
#include "settings/settings_file.h"
#include "tests/ui/dialog_harness.h"
#include "tests/ui/package_check.h"
#include "ui/resource.h"

namespace tessam::test {
namespace {

const std::wstring kSucceeded = L"生成成功！";
const std::wstring kFailed = L"生成失败，请检查文件是否被占用！";
const std::wstring kPathMissing = L"PWM文件路径不存在！\n";

// The reveal seam: records each request instead of opening a folder window.
class RevealLog {
 public:
  int Add(const std::wstring& path) {
    const std::lock_guard lock(mutex_);
    paths_.push_back(path);
    return 1;
  }
  std::vector<std::wstring> paths() const {
    const std::lock_guard lock(mutex_);
    return paths_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> paths_;
};

class Building : public ::testing::Test {
 protected:
  CTessamDlg::Services Services() {
    return {settingsPath, builder, [log = reveals](const std::wstring& path) { return log->Add(path); }};
  }
  void Fill(DialogUnderTest& dialog, const std::wstring& project, const std::wstring& package) {
    dialog.SetText(IDC_PROJECT_PATH, project);
    dialog.SetText(IDC_PACKAGE_PATH, package);
  }
  // Clicks "生成U盘下载" and returns the box that follows, checked for caption
  // and icon, still open.
  OwnedWindow Generate(DialogUnderTest& dialog) {
    dialog.Click(IDC_GENERATE);
    const auto box = dialog.WaitForOwned(nullptr, 60s);
    if (!box) {
      ADD_FAILURE() << "no message after the click";
      return {};
    }
    EXPECT_EQ(box->caption, L"提示");
    EXPECT_EQ(box->icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    return *box;
  }

  TempFolder folder;
  std::wstring settingsPath = folder.File(L"config.cfg");
  std::wstring projectPath = folder.File(L"line1.pmw");
  std::wstring packagePath = folder.File(L"VANTU.PPW");
  std::shared_ptr<PackageBuilder> builder = std::make_shared<PackageBuilder>();
  std::shared_ptr<RevealLog> reveals = std::make_shared<RevealLog>();
};

TEST_F(Building, SuccessWithEncryptionPlantsThePasswordThenRevealsThePackage) {
  const std::string project = MakeProject(3, 17);
  WriteBytes(projectPath, project);
  DialogUnderTest dialog(Services());
  Fill(dialog, projectPath, packagePath);
  dialog.SetText(IDC_PASSWORD, L"Ab3$Ef7!");

  const OwnedWindow box = Generate(dialog);
  EXPECT_EQ(box.text, kSucceeded);
  EXPECT_TRUE(reveals->paths().empty()) << "the folder window waits for the message";
  dialog.Dismiss(box);
  ASSERT_TRUE(WaitUntil([&] { return reveals->paths().size() == 1; }));
  EXPECT_EQ(reveals->paths()[0], packagePath);
  ExpectPackageOf(ReadBytes(packagePath), project, "Ab3$Ef7!");
  EXPECT_EQ(ReadBytes(projectPath), project) << "the project is only read";
}

TEST_F(Building, SuccessWithoutEncryptionPlantsNoPassword) {
  const std::string project = MakeProject(0);
  WriteBytes(projectPath, project);
  DialogUnderTest dialog(Services());
  Fill(dialog, projectPath, packagePath);
  dialog.Click(IDC_ENCRYPT);

  const OwnedWindow box = Generate(dialog);
  EXPECT_EQ(box.text, kSucceeded);
  dialog.Dismiss(box);
  ExpectPackageOf(ReadBytes(packagePath), project, std::nullopt);
  EXPECT_TRUE(WaitUntil([&] { return reveals->paths().size() == 1; }));
}

TEST_F(Building, PathChecksComeFirstAndBuildNothing) {
  WriteBytes(projectPath, MakeProject(1));
  const std::wstring missing = folder.File(L"missing.pmw");
  const struct {
    std::wstring project, package, message;
  } cases[] = {
      {L"", packagePath, kPathMissing},
      {missing, packagePath, kPathMissing + missing},
      {projectPath, L"", kPathMissing},
  };
  DialogUnderTest dialog(Services());
  for (const auto& c : cases) {
    Fill(dialog, c.project, c.package);
    const OwnedWindow box = Generate(dialog);
    EXPECT_EQ(box.text, c.message);
    dialog.Dismiss(box);
  }
  EXPECT_FALSE(std::filesystem::exists(packagePath));
  EXPECT_TRUE(reveals->paths().empty());
}

TEST_F(Building, FailedBuildsShowOneMessageAndRevealNothing) {
  const std::string project = MakeProject(2);
  WriteBytes(projectPath, project);
  const std::wstring tiny = folder.File(L"tiny.pmw");
  WriteBytes(tiny, std::string(200, 'x'));
  const std::wstring aFolder = folder.File(L"folder.pmw");
  std::filesystem::create_directory(aFolder);
  const struct {
    const char* name;
    std::wstring project, package;
  } cases[] = {
      {"project of 200 bytes", tiny, packagePath},
      {"project is a folder", aFolder, packagePath},
      {"package folder missing", projectPath, folder.File(L"nowhere\\VANTU.PPW")},
      {"package path is a folder", projectPath, aFolder},
      {"package path is the project", projectPath, projectPath},
  };
  DialogUnderTest dialog(Services());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(dialog, c.project, c.package);
    const OwnedWindow box = Generate(dialog);
    EXPECT_EQ(box.text, kFailed);
    EXPECT_TRUE(::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH))) << "enabled again after a failure";
    dialog.Dismiss(box);
  }
  EXPECT_EQ(ReadBytes(projectPath), project);
  EXPECT_FALSE(std::filesystem::exists(packagePath));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / L"nowhere"));
  EXPECT_TRUE(reveals->paths().empty());
}

// Holds a build at its first step (reading the clock) until opened.
class BuildGate {
 public:
  std::int64_t Pass() {
    std::unique_lock lock(mutex_);
    entered_ = true;
    opened_.wait(lock, [this] { return open_; });
    return static_cast<std::int64_t>(std::time(nullptr));
  }
  bool entered() {
    const std::lock_guard lock(mutex_);
    return entered_;
  }
  void Open() {
    {
      const std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool entered_ = false;
  bool open_ = false;
};

TEST_F(Building, DuringABuildOnlyTheProjectEditIsDisabledAndASecondClickStartsNothing) {
  const auto gate = std::make_shared<BuildGate>();
  builder = std::make_shared<PackageBuilder>([gate] { return gate->Pass(); }, std::make_unique<RuntimeRandom>());
  const std::string project = MakeProject(1);
  WriteBytes(projectPath, project);
  DialogUnderTest dialog(Services());
  Fill(dialog, projectPath, packagePath);

  dialog.Click(IDC_GENERATE);
  ASSERT_TRUE(WaitUntil([&] { return gate->entered(); }));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)); }));
  for (const int stillEnabled : {IDC_GENERATE, IDC_CLOSE_BUTTON, IDC_BROWSE_PROJECT, IDC_BROWSE_FOLDER,
                                 IDC_PACKAGE_PATH, IDC_ENCRYPT, IDC_PASSWORD}) {
    EXPECT_TRUE(::IsWindowEnabled(dialog.item(stillEnabled))) << stillEnabled;
  }

  // A second worker would complain at once about the empty package path.
  dialog.SetText(IDC_PACKAGE_PATH, L"");
  dialog.Click(IDC_GENERATE);
  dialog.Sync();
  EXPECT_FALSE(dialog.WaitForOwned(nullptr, 500ms)) << "a second click started a worker";

  gate->Open();
  const OwnedWindow box = Generate(dialog);
  EXPECT_EQ(box.text, kSucceeded) << "the first worker kept its own copy of the package path";
  EXPECT_TRUE(::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)));
  dialog.Dismiss(box);
  ASSERT_TRUE(WaitUntil([&] { return reveals->paths().size() == 1; }));
  EXPECT_EQ(reveals->paths()[0], packagePath);
  ExpectPackageOf(ReadBytes(packagePath), project, "58203147");
}

TEST_F(Building, CloseBoxReleasesThePayloadAndCloseButtonKeepsIt) {
  WriteBytes(projectPath, MakeProject(1));
  for (const bool closeBox : {true, false}) {
    DialogUnderTest dialog(Services());
    Fill(dialog, projectPath, packagePath);
    dialog.Dismiss(Generate(dialog));
    ASSERT_FALSE(builder->payload().empty());
    if (closeBox) {
      ::PostMessageW(dialog.window(), WM_CLOSE, 0, 0);
    } else {
      dialog.Click(IDC_CLOSE_BUTTON);
    }
    ASSERT_TRUE(dialog.WaitForEnd());
    EXPECT_EQ(builder->payload().empty(), closeBox);
  }
}

// The largest legal project: block count 65535, a 131 MB program image.
class StoppingTheLargestBuild : public Building {
 protected:
  static void SetUpTestSuite() {
    largest_ = new TempFolder;
    WriteBytes(largest_->File(L"largest.pmw"), MakeProject(65535));
  }
  static void TearDownTestSuite() {
    delete largest_;
    largest_ = nullptr;
  }

  // Starts the build and returns once it runs (the project edit is disabled).
  void StartBuild(DialogUnderTest& dialog) {
    Fill(dialog, largest_->File(L"largest.pmw"), packagePath);
    dialog.Click(IDC_GENERATE);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowEnabled(dialog.item(IDC_PROJECT_PATH)); }));
  }

  void ExpectStoppedCleanly(const DialogUnderTest& dialog, std::chrono::steady_clock::time_point askedAt) {
    ASSERT_TRUE(dialog.WaitForEnd()) << "the dialog hangs";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - askedAt);
    std::cout << "  stop and close took " << took.count() << " ms\n";
    RecordProperty("stop_ms", static_cast<int>(took.count()));
    EXPECT_EQ(builder->lastFailure(), BuildFailure::kStopped) << "the build ran to its end before the stop";
    EXPECT_FALSE(std::filesystem::exists(packagePath)) << "no partial package";
    EXPECT_TRUE(reveals->paths().empty());
  }

  static TempFolder* largest_;
};

TempFolder* StoppingTheLargestBuild::largest_ = nullptr;

TEST_F(StoppingTheLargestBuild, CloseButtonStopsItWithoutSavingOrMessages) {
  DialogUnderTest dialog(Services());
  StartBuild(dialog);
  const auto askedAt = std::chrono::steady_clock::now();
  dialog.Click(IDC_CLOSE_BUTTON);
  ExpectStoppedCleanly(dialog, askedAt);
  EXPECT_FALSE(std::filesystem::exists(settingsPath)) << "\"关闭\" saves nothing";
}

TEST_F(StoppingTheLargestBuild, CloseBoxStopsItThenSavesThePaths) {
  DialogUnderTest dialog(Services());
  StartBuild(dialog);
  const auto askedAt = std::chrono::steady_clock::now();
  ::PostMessageW(dialog.window(), WM_CLOSE, 0, 0);
  ExpectStoppedCleanly(dialog, askedAt);
  const SavedSettings saved = SettingsFile(settingsPath).Load();
  EXPECT_EQ(saved.projectPath, largest_->File(L"largest.pmw"));
  EXPECT_EQ(saved.packagePath, packagePath);
  EXPECT_TRUE(builder->payload().empty());
}

}  // namespace
}  // namespace tessam::test
