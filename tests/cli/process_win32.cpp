#include <windows.h>

#include <memory>

#include "tests/cli/process.h"

namespace tessam::test {

namespace {

using UniqueHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

UniqueHandle OpenInheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle, CloseHandle);
}

}  // namespace

int RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& out, const std::filesystem::path& err) {
  // Each argument quoted whole, which the C runtime gives back unchanged as
  // long as it holds no quote and does not end in a backslash.
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) {
    if (argument.find('"') != std::string::npos || (!argument.empty() && argument.back() == '\\')) return -1;
    commandLine += L" \"" + std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring() + L"\"";
  }
  UniqueHandle in = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  UniqueHandle outFile = OpenInheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
  UniqueHandle errFile = OpenInheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
  if (!in || !outFile || !errFile) return -1;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = outFile.get();
  startup.hStdError = errFile.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    return -1;
  }
  const UniqueHandle process(info.hProcess, CloseHandle);
  const UniqueHandle thread(info.hThread, CloseHandle);
  if (WaitForSingleObject(process.get(), 60'000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 10'000);
    return -1;
  }
  DWORD code = 0;
  return GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace tessam::test
