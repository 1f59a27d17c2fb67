#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {

int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  // Each argument quoted whole, which the C runtime gives back unchanged as
  // long as it holds no quote and does not end in a backslash.
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) {
    if (argument.find('"') != std::string::npos || (!argument.empty() && argument.back() == '\\')) return -1;
    commandLine += L" \"" + std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring() + L"\"";
  }
  const auto open = [](const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return fw::UniqueHandle(fw::NullIfInvalid(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                            &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)));
  };
  const fw::UniqueHandle in = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const fw::UniqueHandle outFile = open(out, GENERIC_WRITE, CREATE_ALWAYS);
  const fw::UniqueHandle errFile = open(err, GENERIC_WRITE, CREATE_ALWAYS);
  if (!in || !outFile || !errFile) return -1;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = outFile.get();
  startup.hStdError = errFile.get();
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
    return -1;
  }
  const fw::UniqueHandle process(info.hProcess), thread(info.hThread);
  DWORD code = 0;
  if (::WaitForSingleObject(process.get(), 60'000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 10'000);
    return -1;
  }
  return ::GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace tessam::test
