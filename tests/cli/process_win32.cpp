#include <windows.h>

#include <memory>

#include "tests/cli/process.h"

namespace tessam::test {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// Quotes one argument so that the C runtime's parser (CommandLineToArgvW
// rules) gives it back unchanged: backslashes only double before a quote.
void AppendQuoted(std::wstring& commandLine, const std::wstring& argument) {
  if (!commandLine.empty()) commandLine += L' ';
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    commandLine += argument;
    return;
  }
  commandLine += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    commandLine.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    commandLine += c;
  }
  commandLine.append(backslashes * 2, L'\\');
  commandLine += L'"';
}

UniqueHandle OpenInheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace

bool ArgumentsAreBytes() { return false; }

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& scratch) {
  std::filesystem::create_directories(scratch);
  const auto outPath = scratch / "stdout.txt";
  const auto errPath = scratch / "stderr.txt";
  ProcessResult result;
  {
    UniqueHandle in = OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    UniqueHandle out = OpenInheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    UniqueHandle err = OpenInheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    if (!in || !out || !err) return result;

    std::wstring commandLine;
    AppendQuoted(commandLine, program.wstring());
    for (const std::string& argument : arguments) AppendQuoted(commandLine, Widen(argument));

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
      return result;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    if (WaitForSingleObject(process.get(), 60'000) != WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 10'000);
      return result;
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process.get(), &code)) result.exitCode = static_cast<int>(code);
  }  // our copies of the capture handles close here, before the files are read
  result.out = ReadCapture(outPath);
  result.err = ReadCapture(errPath);
  return result;
}

}  // namespace tessam::test
