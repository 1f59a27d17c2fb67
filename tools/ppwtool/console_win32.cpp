#include "tools/ppwtool/console_win32.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <iostream>
#include <string>

#include "tools/ppwtool/terminal.h"

namespace ppwtool {

namespace {

// How many bytes a UTF-8 sequence starting with `lead` takes; 1 for a byte
// that cannot start one (the conversion shows it as a replacement character).
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC0 && lead < 0xE0) return 2;
  return 1;
}

// The length of the longest start of `bytes` that ends with a whole character:
// a sequence cut at the buffer's end waits for its rest.
std::size_t WholeCharacters(const char* bytes, std::size_t size) {
  for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    return SequenceLength(byte) > back ? size - back : size;
  }
  return size;
}

// UTF-8 in, UTF-16 out to one console.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(bytes_.data(), bytes_.data() + bytes_.size()); }

 protected:
  int_type overflow(int_type c) override {
    if (!WriteOut()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);  // room: at most 3 bytes wait after WriteOut
    pbump(1);
    return c;
  }
  int sync() override { return WriteOut() ? 0 : -1; }

 private:
  // Writes the whole characters buffered and keeps a cut one for later.
  bool WriteOut() {
    const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
    const std::size_t whole = WholeCharacters(pbase(), size);
    const bool written = WriteWide(pbase(), whole);
    std::memmove(bytes_.data(), pbase() + whole, size - whole);
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    pbump(static_cast<int>(size - whole));
    return written;
  }

  bool WriteWide(const char* bytes, std::size_t size) {
    if (size == 0) return true;
    const int count = static_cast<int>(size);
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes, count, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes, count, wide.data(), static_cast<int>(wide.size()));
    for (std::size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      const auto rest = static_cast<DWORD>(wide.size() - done);
      if (!::WriteConsoleW(console_, wide.data() + done, rest, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }

  HANDLE console_;
  std::array<char, 4096> bytes_{};
};

// A console buffer when the standard handle `which` is a console; none otherwise.
std::unique_ptr<std::streambuf> BufferFor(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  return IsConsole(handle) ? std::make_unique<ConsoleBuffer>(handle) : nullptr;
}

}  // namespace

// Writing nothing succeeds on a console and fails on a file, a pipe or NUL.
// GetConsoleMode would need read access, which a console opened for writing
// alone (CONOUT$ with GENERIC_WRITE) does not give.
bool IsConsole(HANDLE handle) {
  DWORD written = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::WriteConsoleW(handle, L"", 0, &written, nullptr);
}

ConsoleStreams::ConsoleStreams() : out_(BufferFor(STD_OUTPUT_HANDLE)), err_(BufferFor(STD_ERROR_HANDLE)) {
  if (out_) savedOut_ = std::cout.rdbuf(out_.get());
  if (err_) savedErr_ = std::cerr.rdbuf(err_.get());
}

ConsoleStreams::~ConsoleStreams() {
  if (out_) {
    std::cout.flush();
    std::cout.rdbuf(savedOut_);
  }
  if (err_) {
    std::cerr.flush();
    std::cerr.rdbuf(savedErr_);
  }
}

bool StandardErrorIsTerminal() { return IsConsole(::GetStdHandle(STD_ERROR_HANDLE)); }

}  // namespace ppwtool
