#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {

namespace fs = std::filesystem;

namespace {

fw::UniqueHandle OpenInheritable(const fs::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return fw::UniqueHandle(fw::NullIfInvalid(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                          &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

fw::UniqueHandle Start(const fs::path& program, const Words& arguments, HANDLE out, HANDLE err, DWORD flags) {
  // Each argument quoted whole: the C runtime gives it back unchanged unless it holds a quote or ends in a backslash.
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) {
    if (argument.find('"') != std::string::npos || (!argument.empty() && argument.back() == '\\')) return {};
    commandLine += L" \"" + Utf8Path(argument).wstring() + L"\"";
  }
  const fw::UniqueHandle in = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  if (!in) return {};
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                        &startup, &info)) {
    return {};
  }
  ::CloseHandle(info.hThread);
  return fw::UniqueHandle(info.hProcess);
}

int Wait(const fw::UniqueHandle& process) {
  DWORD code = 0;
  if (!process) return -1;
  if (::WaitForSingleObject(process.get(), 60'000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 10'000);
    return -1;
  }
  return ::GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
}

}  // namespace

fw::UniqueHandle StartProcess(const fs::path& exe, const Words& arguments, const fs::path& out, const fs::path& err) {
  const fw::UniqueHandle outFile = OpenInheritable(out, GENERIC_WRITE, CREATE_ALWAYS),
                         errFile = OpenInheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
  if (!outFile || !errFile) return {};
  return Start(exe, arguments, outFile.get(), errFile.get(), CREATE_NO_WINDOW);
}

int RunProcessOn(const fs::path& program, const Words& arguments, std::intptr_t out, std::intptr_t err) {
  // No flags: the child shares this process's console.
  return Wait(Start(program, arguments, reinterpret_cast<HANDLE>(out), reinterpret_cast<HANDLE>(err), 0));
}

int RunProcess(const fs::path& program, const Words& arguments, const fs::path& out, const fs::path& err) {
  return Wait(StartProcess(program, arguments, out, err));
}

}  // namespace tessam::test
